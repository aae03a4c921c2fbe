// Steps the demo through the program's windows from outside, for headless runs:
//   demo_ctl wait TITLE      waits until a window titled TITLE shows
//   demo_ctl press TITLE ID  clicks control ID of that window
//   demo_ctl tick TITLE ID   clicks check box ID unless it is already ticked
//   demo_ctl text TITLE ID TEXT     sets the text of control ID (an edit) to TEXT
//   demo_ctl select TITLE ID INDEX  selects line INDEX of list box ID
//   demo_ctl open TITLE ID INDEX    selects line INDEX of list box ID and double-clicks it
//   demo_ctl lines TITLE ID N       waits until list box ID holds at least N lines
//   demo_ctl save TITLE PATH        types PATH into the file dialog TITLE and confirms
//   demo_ctl when ID TEXT [BUTTON]  waits for a window whose control ID reads TEXT
//                                   (windows without a caption), then clicks BUTTON
//   demo_ctl close TITLE     closes it as its close box would
//   demo_ctl rect TITLE      prints the window's frame as WIDTHxHEIGHT+X+Y, for cropping screenshots
//   demo_ctl rectwhen ID TEXT       the same for the window whose control ID reads TEXT
//   demo_ctl gone TITLE      waits until no window titled TITLE is left
//   demo_ctl enabled TITLE ID       waits until control ID of that window can be pressed
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

struct ControlSearch {
    int id;
    const char* text;
    HWND found;
};

BOOL CALLBACK matchControlText(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<ControlSearch*>(parameter);
    HWND control = GetDlgItem(window, search->id);
    char text[256] = "";
    if (control && IsWindowVisible(window))
        GetWindowTextA(control, text, sizeof text);
    if (control && std::strcmp(text, search->text) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

void printFrame(HWND window)
{
    RECT frame;
    GetWindowRect(window, &frame);
    std::printf("%ldx%ld+%ld+%ld\n", frame.right - frame.left, frame.bottom - frame.top, frame.left, frame.top);
}

int whenControlReads(int id, const char* text, int button, bool print)
{
    ControlSearch search{id, text, nullptr};
    DWORD start = GetTickCount();
    while (EnumWindows(matchControlText, reinterpret_cast<LPARAM>(&search)) && !search.found) {
        if (GetTickCount() - start > kTimeoutMs) {
            std::fprintf(stderr, "demo_ctl: no window shows \"%s\"\n", text);
            return 1;
        }
        Sleep(50);
    }
    if (print)
        printFrame(search.found);
    if (button)
        PostMessageA(GetDlgItem(search.found, button), BM_CLICK, 0, 0);
    return 0;
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
    if (std::strcmp(step, "when") == 0 && argc >= 4)
        return whenControlReads(std::atoi(argv[2]), argv[3], argc >= 5 ? std::atoi(argv[4]) : 0, false);
    if (std::strcmp(step, "rectwhen") == 0 && argc >= 4)
        return whenControlReads(std::atoi(argv[2]), argv[3], 0, true);
    if (!waitFor(title, true))
        return 1;
    HWND window = visibleWindow(title);
    if (std::strcmp(step, "save") == 0 && argc >= 4) {
        // The file-name box of the common file dialogs.
        HWND name = GetDlgItem(window, 0x47C);
        if (!name)
            name = GetDlgItem(window, 0x480);
        if (!name)
            return 1;
        SetWindowTextA(name, argv[3]);
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return 0;
    }
    if (std::strcmp(step, "rect") == 0) {
        printFrame(window);
        return 0;
    }
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
    if (std::strcmp(step, "text") == 0 && argc >= 5) {
        SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]));
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
    if (std::strcmp(step, "enabled") == 0) {
        DWORD start = GetTickCount();
        while (!IsWindowEnabled(control)) {
            if (GetTickCount() - start > kTimeoutMs)
                return 1;
            Sleep(50);
        }
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
