// Character classes of the plain ASCII texts the program reads, whatever the C locale says.
#pragma once

// Space, tab, line ends, vertical tab and form feed, as the C library's isspace in the "C" locale.
inline bool isAsciiWhiteSpace(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// A blank inside a line: space or tab.
inline bool isAsciiBlank(int c)
{
    return c == ' ' || c == '\t';
}

inline bool isAsciiDigit(int c)
{
    return c >= '0' && c <= '9';
}

inline bool isAsciiLower(int c)
{
    return c >= 'a' && c <= 'z';
}

inline bool isAsciiLetter(int c)
{
    return isAsciiLower(c) || (c >= 'A' && c <= 'Z');
}
