// The system's ANSI code page, asked of Windows one character at a time.
#include "common/shown_text.h"

#include <windows.h>

namespace {

UINT ansiCodePage()
{
    static const UINT codePage = GetACP();
    return codePage;
}

} // namespace

std::size_t encodeAnsiChar(std::uint32_t codePoint, char* out)
{
    wchar_t wide[2];
    int units = 1;
    if (codePoint > 0x10FFFF) {
        out[0] = '?';
        return 1;
    }
    if (codePoint >= 0x10000) {
        codePoint -= 0x10000;
        wide[0] = static_cast<wchar_t>(0xD800 + (codePoint >> 10));
        wide[1] = static_cast<wchar_t>(0xDC00 + (codePoint & 0x3FF));
        units = 2;
    } else
        wide[0] = static_cast<wchar_t>(codePoint);
    char bytes[8];
    BOOL usedDefault = FALSE;
    // A system set to the UTF-8 code page takes neither flags nor a default
    // character, and it has every character.
    const bool utf8 = ansiCodePage() == CP_UTF8;
    int size = WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, wide, units, bytes, sizeof bytes,
                                   utf8 ? nullptr : "?", utf8 ? nullptr : &usedDefault);
    if (size <= 0 || static_cast<std::size_t>(size) > kMaxAnsiCharBytes || usedDefault) {
        out[0] = '?';
        return 1;
    }
    for (int i = 0; i < size; ++i)
        out[i] = bytes[i];
    return static_cast<std::size_t>(size);
}

std::size_t ansiCharLength(unsigned char lead)
{
    if (ansiCodePage() == CP_UTF8)
        return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return IsDBCSLeadByte(lead) ? 2 : 1;
}
