// The code pages of the native builds: Hobrin on today's Windows, UTF-8, with Windows code page 1252 as the legacy one.
#include "common/shown_text.h"
#include "common/shown_text_posix.h"

namespace {

// The characters of bytes 80-9F, none past U+2122. Bytes 81, 8D, 8F, 90
// and 9D stand for the control characters of their numbers, as Windows
// reads them.
const std::uint16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::size_t encode1252(std::uint32_t codePoint, char* out)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
        out[0] = static_cast<char>(codePoint);
        return 1;
    }
    for (unsigned i = 0; i < 32 && codePoint <= 0x2122; ++i) {
        if (kHighControls[i] == codePoint) {
            out[0] = static_cast<char>(0x80 + i);
            return 1;
        }
    }
    out[0] = '?';
    return 1;
}

std::size_t decode1252(const unsigned char* text, std::size_t, std::uint32_t& codePoint)
{
    codePoint = text[0] >= 0x80 && text[0] < 0xA0 ? kHighControls[text[0] - 0x80] : text[0];
    return 1;
}

} // namespace

const LegacyCodePage kCodePage1252 = {encode1252, decode1252};

const CodePages& programCodePages()
{
    static const CodePages pages = {true, &kCodePage1252};
    return pages;
}
