// The rule for shown texts, stated again for the fuzzers' oracles: its own
// strict UTF-8 decoder and the C library's code page 1252, not the program's.
#pragma once

#include <iconv.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

inline void require(bool condition)
{
    if (!condition)
        std::abort();
}

// The text as code points, when it is strict UTF-8: no overlong form, no
// surrogate, nothing past U+10FFFF, no cut or stray sequence.
inline bool decodeStrictly(const std::string& text, std::vector<std::uint32_t>& codePoints)
{
    for (std::size_t i = 0; i < text.size();) {
        const std::uint8_t lead = static_cast<std::uint8_t>(text[i]);
        std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size())
            return false;
        static const std::uint32_t kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
        static const std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        std::uint32_t codePoint = lead & kLeadMask[length];
        for (std::size_t k = 1; k < length; ++k) {
            const std::uint8_t next = static_cast<std::uint8_t>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            codePoint = codePoint << 6 | (next & 0x3F);
        }
        if (codePoint < kSmallest[length] || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
            return false;
        codePoints.push_back(codePoint);
        i += length;
    }
    return true;
}

// Code page 1252 as the C library knows it; Windows also maps bytes 81, 8D,
// 8F, 90 and 9D to the control characters of their numbers.
inline char inCodePage1252(std::uint32_t codePoint)
{
    if (codePoint == 0x81 || codePoint == 0x8D || codePoint == 0x8F || codePoint == 0x90 || codePoint == 0x9D)
        return static_cast<char>(codePoint);
    static iconv_t toCp1252 = iconv_open("CP1252", "UTF-32LE");
    require(toCp1252 != reinterpret_cast<iconv_t>(-1));
    char in[4] = {static_cast<char>(codePoint), static_cast<char>(codePoint >> 8), static_cast<char>(codePoint >> 16),
                  0};
    char out[4];
    char* inPointer = in;
    char* outPointer = out;
    std::size_t inLeft = sizeof in, outLeft = sizeof out;
    iconv(toCp1252, nullptr, nullptr, nullptr, nullptr);
    if (iconv(toCp1252, &inPointer, &inLeft, &outPointer, &outLeft) != 0 || outLeft != 3)
        return '?';
    return out[0];
}

// The rule: a text that is strict UTF-8 with a character past U+007F is
// shown in the code page, "?" for what it lacks; any other keeps its bytes.
// Either way as much as a field of `size` bytes holds, up to a zero byte.
inline std::string shownText(const std::string& raw, std::size_t size)
{
    std::vector<std::uint32_t> codePoints;
    std::string shown;
    bool converted = false;
    if (decodeStrictly(raw, codePoints)) {
        for (std::uint32_t codePoint : codePoints)
            converted = converted || codePoint >= 0x80;
    }
    if (converted) {
        for (std::uint32_t codePoint : codePoints)
            shown += inCodePage1252(codePoint);
    } else
        shown = raw;
    shown = shown.substr(0, size - 1);
    return shown.substr(0, shown.find('\0'));
}
