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

// A byte of code page 1252 as the C library knows it, in UTF-8; Windows
// also maps bytes 81, 8D, 8F, 90 and 9D to the control characters of their
// numbers.
inline std::string fromCodePage1252(std::uint8_t byte)
{
    if (byte < 0x80)
        return std::string(1, static_cast<char>(byte));
    if (byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D)
        return std::string{static_cast<char>(0xC2), static_cast<char>(byte)};
    static iconv_t toUtf8 = iconv_open("UTF-8", "CP1252");
    require(toUtf8 != reinterpret_cast<iconv_t>(-1));
    char in[1] = {static_cast<char>(byte)};
    char out[4];
    char* inPointer = in;
    char* outPointer = out;
    std::size_t inLeft = sizeof in, outLeft = sizeof out;
    iconv(toUtf8, nullptr, nullptr, nullptr, nullptr);
    require(iconv(toUtf8, &inPointer, &inLeft, &outPointer, &outLeft) != static_cast<std::size_t>(-1));
    return std::string(out, sizeof out - outLeft);
}

// The rule, for the program in its UTF-8 code page with 1252 as the legacy
// one: a text from an input that is strict UTF-8 as a whole is kept, any
// other is read in code page 1252. Either way as many whole characters as a
// field of `size` bytes holds, up to a zero byte.
inline std::string shownText(const std::string& raw, std::size_t size, bool inputIsUtf8)
{
    std::vector<std::string> characters;
    if (inputIsUtf8) {
        std::vector<std::uint32_t> codePoints;
        require(decodeStrictly(raw, codePoints));
        for (std::size_t i = 0; i < raw.size();) {
            const std::uint8_t lead = static_cast<std::uint8_t>(raw[i]);
            const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            characters.push_back(raw.substr(i, length));
            i += length;
        }
    } else {
        for (char byte : raw)
            characters.push_back(fromCodePage1252(static_cast<std::uint8_t>(byte)));
    }
    std::string shown;
    for (const std::string& character : characters) {
        if (shown.size() + character.size() > size - 1)
            break;
        shown += character;
    }
    return shown.substr(0, shown.find('\0'));
}

// Whether a whole input is strict UTF-8 with a character past U+007F.
inline bool isUtf8Input(const std::string& text)
{
    std::vector<std::uint32_t> codePoints;
    if (!decodeStrictly(text, codePoints))
        return false;
    for (std::uint32_t codePoint : codePoints) {
        if (codePoint >= 0x80)
            return true;
    }
    return false;
}
