// A control's text in Hobrin's code page, read into a field of fixed size.
#include "common/dialog_text.h"

#include "common/bounded_text.h"

#include <string>

bool readDialogText(HWND dialog, int id, char* text, std::size_t size)
{
    // Read wide and converted whole: an ANSI read into a short buffer could
    // stop inside a character.
    HWND control = GetDlgItem(dialog, id);
    int units = control ? GetWindowTextLengthW(control) : 0;
    std::wstring wide(static_cast<std::size_t>(units > 0 ? units : 0) + 1, L'\0');
    units = control ? GetWindowTextW(control, &wide[0], static_cast<int>(wide.size())) : 0;
    int bytes = units > 0 ? WideCharToMultiByte(CP_ACP, 0, wide.c_str(), units, nullptr, 0, nullptr, nullptr) : 0;
    std::string converted(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), units, &converted[0], bytes, nullptr, nullptr);
    return copyText(text, size, converted.c_str());
}
