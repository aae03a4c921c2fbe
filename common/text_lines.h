// Walking a text in memory line by line.
#pragma once

#include <cstddef>
#include <cstring>

// Whether the `length` bytes at `text` begin with `prefix`.
inline bool startsWith(const char* text, std::size_t length, const char* prefix)
{
    std::size_t size = std::strlen(prefix);
    return length >= size && std::memcmp(text, prefix, size) == 0;
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
