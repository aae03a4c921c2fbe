// A text of any length in a read-only edit: it gets a scroll bar once it needs one.
#include "shell/long_text.h"

#include "shell/app.h"

namespace {

// The lines the edit shows at once, in its own font.
int visibleLines(HWND edit)
{
    RECT room{};
    SendMessageA(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&room));
    HDC context = GetDC(edit);
    HGDIOBJ before = SelectObject(context, reinterpret_cast<HGDIOBJ>(SendMessageA(edit, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics{};
    GetTextMetricsA(context, &metrics);
    SelectObject(context, before);
    ReleaseDC(edit, context);
    return metrics.tmHeight > 0 ? (room.bottom - room.top) / metrics.tmHeight : 1;
}

} // namespace

void showLongText(HWND window, int id, const char* text)
{
    HWND edit = GetDlgItem(window, id);
    SetWindowTextA(edit, text);
    LONG style = GetWindowLongA(edit, GWL_STYLE);
    if ((style & WS_VSCROLL) || SendMessageA(edit, EM_GETLINECOUNT, 0, 0) <= visibleLines(edit))
        return;
    RECT place;
    GetWindowRect(edit, &place);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
    HWND scrolled = CreateWindowExA(GetWindowLongA(edit, GWL_EXSTYLE), "EDIT", text, style | WS_VSCROLL, place.left,
                                    place.top, place.right - place.left, place.bottom - place.top, window,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), appInstance, nullptr);
    if (!scrolled)
        return;
    SendMessageA(scrolled, WM_SETFONT, SendMessageA(edit, WM_GETFONT, 0, 0), FALSE);
    SetWindowPos(scrolled, edit, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    DestroyWindow(edit);
}
