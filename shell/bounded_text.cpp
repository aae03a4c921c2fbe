// Bounded copies and formats into fixed buffers.
#include "bounded_text.h"

#include <cstdio>
#include <cstring>

bool copyText(char* target, std::size_t size, const char* source)
{
    if (size == 0)
        return false;
    std::size_t length = std::strlen(source);
    bool fits = length < size;
    std::size_t count = fits ? length : size - 1;
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
    return static_cast<std::size_t>(written) < size;
}

bool formatText(char* target, std::size_t size, const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    bool fits = formatTextV(target, size, format, args);
    va_end(args);
    return fits;
}
