// Bounded copies and formats into fixed buffers: the only way text enters one.
#pragma once

#include <cstdarg>
#include <cstddef>

// Copies `source` into `target` of `size` bytes (size > 0), always ending it
// with a zero byte. Returns false when the text had to be cut; a cut never
// splits a character of Hobrin's code page, here and below.
bool copyText(char* target, std::size_t size, const char* source);

// Copies the first `length` bytes of `source` into `target` of `size` bytes
// (size > 0), cut to fit and always zero-terminated. Returns false when it
// had to be cut.
bool copySpan(char* target, std::size_t size, const char* source, std::size_t length);

// printf-style format into `target` of `size` bytes (size > 0), always
// zero-terminated. Returns false when the result had to be cut (or the format
// failed, which leaves an empty text).
bool formatText(char* target, std::size_t size, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

bool formatTextV(char* target, std::size_t size, const char* format, std::va_list args);

// Builds a text piece by piece in a fixed buffer. Once a piece does not fit,
// the builder is marked overflowed, keeps what fitted before it and ignores
// every later piece: callers refuse an overflowed text rather than use it cut.
struct TextBuilder {
    char* text;
    std::size_t size;
    std::size_t length;
    bool overflowed;
};

// Starts an empty text in `buffer` of `size` bytes (size > 0).
TextBuilder startText(char* buffer, std::size_t size);
void appendText(TextBuilder& builder, const char* piece);
// The first `length` bytes of `piece`, which holds at least that many.
void appendSpan(TextBuilder& builder, const char* piece, std::size_t length);
void appendFormat(TextBuilder& builder, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
