// Texts shown to the user are in the system's ANSI code page; today's emulators and services write UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>

// The most bytes one character takes in an ANSI code page (four in the
// UTF-8 code page that Windows can be set to use).
constexpr std::size_t kMaxAnsiCharBytes = 4;

// The system's ANSI code page, one character at a time; shown_text_win.cpp
// asks Windows, shown_text_posix.cpp (native tests) is code page 1252.
// encodeAnsiChar writes the code page's bytes for `codePoint` into `out`
// (room for kMaxAnsiCharBytes) and returns their count; a character that the
// code page lacks becomes "?", never a look-alike: a fullwidth backslash
// must not turn into a real one. ansiCharLength gives the length of the
// character that `lead` starts: 2 for a lead byte of a double-byte code page.
std::size_t encodeAnsiChar(std::uint32_t codePoint, char* out);
std::size_t ansiCharLength(unsigned char lead);

struct AnsiCodePage {
    std::size_t (*encode)(std::uint32_t codePoint, char* out);
    std::size_t (*charLength)(unsigned char lead);
};
extern const AnsiCodePage systemCodePage;

// A strict UTF-8 check fed one byte at a time: overlong forms, surrogates,
// code points above U+10FFFF, stray continuation bytes and bytes that never
// start a sequence make the text "not UTF-8", and such text is kept as it is.
struct Utf8Check {
    unsigned char pending = 0; // continuation bytes still expected
    unsigned char low = 0x80;  // range of the next continuation byte
    unsigned char high = 0xBF;
    bool invalid = false;
    bool multiByte = false; // a sequence of two or more bytes was begun
};

inline void checkUtf8Byte(Utf8Check& check, unsigned char byte)
{
    if (check.pending == 0 && byte < 0x80)
        return;
    if (check.pending > 0) {
        if (byte < check.low || byte > check.high) {
            check.invalid = true;
            check.pending = 0;
            return;
        }
        --check.pending;
        check.low = 0x80;
        check.high = 0xBF;
        return;
    }
    check.multiByte = true;
    if (byte >= 0xC2 && byte <= 0xDF)
        check.pending = 1;
    else if (byte >= 0xE0 && byte <= 0xEF) {
        check.pending = 2;
        if (byte == 0xE0)
            check.low = 0xA0; // below: overlong
        else if (byte == 0xED)
            check.high = 0x9F; // above: surrogates
    } else if (byte >= 0xF0 && byte <= 0xF4) {
        check.pending = 3;
        if (byte == 0xF0)
            check.low = 0x90; // below: overlong
        else if (byte == 0xF4)
            check.high = 0x8F; // above: past U+10FFFF
    } else
        check.invalid = true; // 80-C1 (stray or overlong) and F5-FF
}

// Whole UTF-8 with at least one multi-byte sequence: the text to convert.
inline bool isUtf8Text(const Utf8Check& check)
{
    return !check.invalid && check.multiByte && check.pending == 0;
}

// The check over a whole text; it stops at the first invalid byte.
Utf8Check checkUtf8Text(const char* text, std::size_t length);
bool isUtf8Text(const char* text, std::size_t length);

enum class TextForm { ansi, utf8 };

struct ShownCopy {
    std::size_t length; // bytes written, the terminating zero not counted
    bool cut;           // the field was full before the text ended
};

// Copies `length` bytes of `text` into `field` of `size` bytes (size > 0):
// converted to the code page when `form` is utf8 (a cut-off last character
// is left out), else byte for byte. Cut to the field without splitting a
// character, always zero-terminated.
ShownCopy copyShownText(char* field, std::size_t size, const char* text, std::size_t length, TextForm form,
                        const AnsiCodePage& codePage = systemCodePage);

// The same, converting exactly when the text is UTF-8 by isUtf8Text.
ShownCopy copyShownText(char* field, std::size_t size, const char* text, std::size_t length);
