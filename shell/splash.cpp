// The splash window, shown while the program waits on an emulator: the game list's build, a new emulator's answer.
#include "shell/splash.h"

#include "shell/app.h"
#include "resource.h"

namespace {

// It answers only its opening, letting the focus be set.
INT_PTR CALLBACK splashProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

} // namespace

HWND openSplash(HWND owner, const char* text)
{
    HWND splash = CreateDialogParamA(appInstance, MAKEINTRESOURCEA(IDD_SPLASH), owner, splashProc, 0);
    if (!splash)
        return nullptr;
    ShowWindow(splash, SW_SHOW);
    SetDlgItemTextA(splash, IDC_SPLASH_TEXT, text);
    // What follows blocks the thread, so paint now, children included.
    RedrawWindow(splash, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return splash;
}
