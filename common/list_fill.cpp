// Filling a list box with many lines at once: one repaint for the whole fill.
#include "common/list_fill.h"

void beginListFill(HWND list, FillMode mode, int lines, DWORD bytes)
{
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    // Emptying a list box drops the room reserved in it, so it comes first.
    if (mode == FillMode::replace)
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
    SendMessageA(list, LB_INITSTORAGE, static_cast<WPARAM>(lines), static_cast<LPARAM>(bytes));
}

void endListFill(HWND list)
{
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    // A list box does not repaint by itself when redrawing is turned back on.
    RedrawWindow(list, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
}
