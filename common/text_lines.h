// Walking a text in memory line by line, and reading its fields.
#pragma once

#include <cstddef>
#include <cstring>

// Whether the `length` bytes at `text` begin with `prefix`.
inline bool startsWith(const char* text, std::size_t length, const char* prefix)
{
    std::size_t size = std::strlen(prefix);
    return length >= size && std::memcmp(text, prefix, size) == 0;
}

// Whether the `length` bytes at `text` are `word`, no more and no less.
inline bool spanIs(const char* text, std::size_t length, const char* word)
{
    return length == std::strlen(word) && std::memcmp(text, word, length) == 0;
}

// The `length` bytes at `text` as a whole unsigned decimal number that fits
// 64 bits; false, with `value` untouched, for anything else.
inline bool readNumber(const char* text, std::size_t length, unsigned long long& value)
{
    if (length == 0 || length > 20)
        return false;
    unsigned long long result = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        unsigned digit = static_cast<unsigned>(text[i] - '0');
        if (result > (~0ull - digit) / 10)
            return false;
        result = result * 10 + digit;
    }
    value = result;
    return true;
}

// The line of `text` (`length` bytes) that starts at `start` (start <
// length): it ends before its "\n" or at the text's end. Moves `start` to
// the next line and returns the line's length; `line` points to it.
inline std::size_t takeLine(const char* text, std::size_t length, std::size_t& start, const char*& line)
{
    const char* end = static_cast<const char*>(std::memchr(text + start, '\n', length - start));
    std::size_t lineEnd = end ? static_cast<std::size_t>(end - text) : length;
    line = text + start;
    std::size_t size = lineEnd - start;
    start = lineEnd + 1;
    return size;
}
