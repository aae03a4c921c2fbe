// Hobrin's code page and the system's legacy one, asked of Windows.
#include "common/shown_text.h"

#include <windows.h>

namespace {

// GetLocaleInfoEx came with Windows Vista: looked up, so that the program
// still loads where it is missing.
using GetLocaleInfoExFunction = int(WINAPI*)(LPCWSTR, LCTYPE, LPWSTR, int);
const LCTYPE kReturnNumber = 0x20000000;    // LOCALE_RETURN_NUMBER
const LCTYPE kDefaultAnsiCodePage = 0x1004; // LOCALE_IDEFAULTANSICODEPAGE

// The system's ANSI code page whatever the process's own: the one older
// emulators and hand-written files use. Code page 1252 where the system
// itself is set to UTF-8, since older emulators' bytes are then most likely
// Western.
UINT systemLegacyCodePage()
{
    UINT own = GetACP();
    if (own != CP_UTF8)
        return own;
    DWORD number = 0;
    auto getLocaleInfoEx = reinterpret_cast<GetLocaleInfoExFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetLocaleInfoEx")));
    const int units = sizeof number / sizeof(WCHAR);
    if (!getLocaleInfoEx || getLocaleInfoEx(L"!x-sys-default-locale", kDefaultAnsiCodePage | kReturnNumber,
                                            reinterpret_cast<LPWSTR>(&number), units) != units)
        GetLocaleInfoW(GetSystemDefaultLCID(), kDefaultAnsiCodePage | kReturnNumber, reinterpret_cast<LPWSTR>(&number),
                       units);
    return number != 0 && number != CP_UTF8 && IsValidCodePage(number) ? number : 1252;
}

struct Legacy {
    UINT codePage;
    bool doubleByte;
    WCHAR single[256]; // what each byte of a single-byte code page stands for
};

const Legacy& legacy()
{
    static const Legacy table = [] {
        Legacy made{};
        made.codePage = systemLegacyCodePage();
        CPINFO info{};
        made.doubleByte = GetCPInfo(made.codePage, &info) && info.MaxCharSize > 1;
        for (int byte = 0; byte < 256; ++byte) {
            char one = static_cast<char>(byte);
            if (MultiByteToWideChar(made.codePage, 0, &one, 1, &made.single[byte], 1) != 1)
                made.single[byte] = L'?';
        }
        return made;
    }();
    return table;
}

std::uint32_t codePointOf(const WCHAR* units, int count)
{
    if (count == 1)
        return units[0];
    if (count == 2 && units[0] >= 0xD800 && units[0] < 0xDC00 && units[1] >= 0xDC00 && units[1] < 0xE000)
        return 0x10000u + ((units[0] - 0xD800u) << 10) + (units[1] - 0xDC00u);
    return '?';
}

std::size_t encodeLegacy(std::uint32_t codePoint, char* out)
{
    WCHAR wide[2];
    int units = 1;
    if (codePoint > 0x10FFFF) {
        out[0] = '?';
        return 1;
    }
    if (codePoint >= 0x10000) {
        codePoint -= 0x10000;
        wide[0] = static_cast<WCHAR>(0xD800 + (codePoint >> 10));
        wide[1] = static_cast<WCHAR>(0xDC00 + (codePoint & 0x3FF));
        units = 2;
    } else
        wide[0] = static_cast<WCHAR>(codePoint);
    char bytes[8];
    BOOL usedDefault = FALSE;
    int size = WideCharToMultiByte(legacy().codePage, WC_NO_BEST_FIT_CHARS, wide, units, bytes, sizeof bytes, "?",
                                   &usedDefault);
    if (size <= 0 || static_cast<std::size_t>(size) > kMaxAnsiCharBytes || usedDefault) {
        out[0] = '?';
        return 1;
    }
    for (int i = 0; i < size; ++i)
        out[i] = bytes[i];
    return static_cast<std::size_t>(size);
}

std::size_t decodeLegacy(const unsigned char* text, std::size_t length, std::uint32_t& codePoint)
{
    const Legacy& page = legacy();
    if (!page.doubleByte || !IsDBCSLeadByteEx(page.codePage, text[0])) {
        codePoint = page.single[text[0]];
        return 1;
    }
    if (length < 2)
        return 0;
    WCHAR wide[2];
    int units =
        MultiByteToWideChar(page.codePage, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(text), 2, wide, 2);
    if (units <= 0) {
        // A lead byte without its trail: the next byte, a line end perhaps,
        // is read for itself.
        codePoint = '?';
        return 1;
    }
    codePoint = codePointOf(wide, units);
    return 2;
}

} // namespace

const CodePages& programCodePages()
{
    static const LegacyCodePage legacyPage = {encodeLegacy, decodeLegacy};
    static const CodePages pages = {GetACP() == CP_UTF8, &legacyPage};
    return pages;
}
