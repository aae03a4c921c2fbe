// A file's times as Windows gives them, in two 32-bit halves, made one number.
#pragma once

#include <windows.h>

// Counts 100-nanosecond steps since 1601, as FILETIME does.
inline unsigned long long fileTimeNumber(const FILETIME& time)
{
    return static_cast<unsigned long long>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}
