// Steps the demo through the program's windows from outside, for headless runs:
//   demo_ctl wait TITLE      waits until a window titled TITLE shows
//   demo_ctl press TITLE ID  clicks control ID of that window
//   demo_ctl tick TITLE ID   clicks check box ID unless it is already ticked
//   demo_ctl select TITLE ID INDEX  selects line INDEX of list box ID
//   demo_ctl open TITLE ID INDEX    selects line INDEX of list box ID and double-clicks it
//   demo_ctl lines TITLE ID N       waits until list box ID holds at least N lines
//   demo_ctl close TITLE     closes it as its close box would
//   demo_ctl gone TITLE      waits until no window titled TITLE is left
// Exits 0 on success, 1 when the window never came (or never went), 2 on bad use.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const DWORD kTimeoutMs = 30000;

HWND visibleWindow(const char* title)
{
    HWND window = FindWindowA(nullptr, title);
    return window && IsWindowVisible(window) ? window : nullptr;
}

bool waitFor(const char* title, bool present)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < kTimeoutMs) {
        if ((visibleWindow(title) != nullptr) == present)
            return true;
        Sleep(50);
    }
    std::fprintf(stderr, "demo_ctl: window \"%s\" %s\n", title, present ? "did not show" : "did not go");
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    const char* step = argv[1];
    const char* title = argv[2];
    if (std::strcmp(step, "wait") == 0)
        return waitFor(title, true) ? 0 : 1;
    if (std::strcmp(step, "gone") == 0)
        return waitFor(title, false) ? 0 : 1;
    if (!waitFor(title, true))
        return 1;
    HWND window = visibleWindow(title);
    if (std::strcmp(step, "close") == 0) {
        PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    }
    HWND control = argc >= 4 ? GetDlgItem(window, std::atoi(argv[3])) : nullptr;
    if (!control)
        return 2;
    if (std::strcmp(step, "press") == 0) {
        PostMessageA(control, BM_CLICK, 0, 0);
        return 0;
    }
    if (std::strcmp(step, "tick") == 0) {
        if (SendMessageA(control, BM_GETCHECK, 0, 0) != BST_CHECKED)
            PostMessageA(control, BM_CLICK, 0, 0);
        return 0;
    }
    if ((std::strcmp(step, "select") == 0 || std::strcmp(step, "open") == 0) && argc >= 5) {
        SendMessageA(control, LB_SETCURSEL, static_cast<WPARAM>(std::atoi(argv[4])), 0);
        if (step[0] == 'o')
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), LBN_DBLCLK),
                         reinterpret_cast<LPARAM>(control));
        return 0;
    }
    if (std::strcmp(step, "lines") == 0 && argc >= 5) {
        LRESULT wanted = std::atoi(argv[4]);
        DWORD start = GetTickCount();
        while (SendMessageA(control, LB_GETCOUNT, 0, 0) < wanted) {
            if (GetTickCount() - start > kTimeoutMs)
                return 1;
            Sleep(50);
        }
        return 0;
    }
    return 2;
}
