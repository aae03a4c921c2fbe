// Bounded copies and formats into fixed buffers.
#include "common/bounded_text.h"

#include "common/shown_text.h"

#include <cstdio>
#include <cstring>

bool copyText(char* target, std::size_t size, const char* source)
{
    return copySpan(target, size, source, std::strlen(source));
}

bool copySpan(char* target, std::size_t size, const char* source, std::size_t length)
{
    if (size == 0)
        return false;
    bool fits = length < size;
    // A cut never splits a character.
    std::size_t count = fits ? length : wholeCharsLength(source, size - 1);
    std::memcpy(target, source, count);
    target[count] = '\0';
    return fits;
}

bool formatTextV(char* target, std::size_t size, const char* format, std::va_list args)
{
    if (size == 0)
        return false;
    int written = std::vsnprintf(target, size, format, args);
    if (written < 0) {
        target[0] = '\0';
        return false;
    }
    if (static_cast<std::size_t>(written) < size)
        return true;
    // A cut never splits a character.
    target[wholeCharsLength(target, size - 1)] = '\0';
    return false;
}

bool formatText(char* target, std::size_t size, const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    bool fits = formatTextV(target, size, format, args);
    va_end(args);
    return fits;
}

TextBuilder startText(char* buffer, std::size_t size)
{
    TextBuilder builder{buffer, size, 0, size == 0};
    if (size > 0)
        buffer[0] = '\0';
    return builder;
}

void appendText(TextBuilder& builder, const char* piece)
{
    appendSpan(builder, piece, std::strlen(piece));
}

void appendSpan(TextBuilder& builder, const char* piece, std::size_t length)
{
    if (builder.overflowed)
        return;
    if (length >= builder.size - builder.length) {
        builder.overflowed = true;
        return;
    }
    std::memcpy(builder.text + builder.length, piece, length);
    builder.length += length;
    builder.text[builder.length] = '\0';
}

void appendFormat(TextBuilder& builder, const char* format, ...)
{
    if (builder.overflowed)
        return;
    std::va_list args;
    va_start(args, format);
    char* end = builder.text + builder.length;
    bool fits = formatTextV(end, builder.size - builder.length, format, args);
    va_end(args);
    if (fits)
        builder.length += std::strlen(end);
    else {
        *end = '\0';
        builder.overflowed = true;
    }
}
