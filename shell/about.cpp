// The About box: version, build date and logo on a grey background.
#include "shell/about.h"

#include "shell/app.h"
#include "common/bounded_text.h"
#include "resource.h"

namespace {

const COLORREF kAboutGrey = RGB(128, 128, 128);
const char kVersion[] = "0.3.1 beta";

// One brush serves for as long as the box is open.
HBRUSH aboutBrush;

void onInit(HWND box)
{
    char text[128];
    formatText(text, sizeof text, "Hobrin v%s [%s]", kVersion, __DATE__);
    SetDlgItemTextA(box, IDC_ABOUT_VERSION, text);
    aboutBrush = CreateSolidBrush(kAboutGrey);
}

INT_PTR onBackground(HDC context)
{
    SetBkColor(context, kAboutGrey);
    return reinterpret_cast<INT_PTR>(aboutBrush);
}

INT_PTR CALLBACK aboutProc(HWND box, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: onInit(box); return TRUE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC: return onBackground(reinterpret_cast<HDC>(wParam));
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_ABOUT_OK)
            SendMessageA(box, WM_CLOSE, 0, 0);
        return TRUE;
    case WM_CLOSE: EndDialog(box, 0); return TRUE;
    case WM_DESTROY:
        DeleteObject(aboutBrush);
        aboutBrush = nullptr;
        return TRUE;
    }
    return FALSE;
}

} // namespace

void runAboutBox(HWND owner)
{
    DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_ABOUT), owner, aboutProc, 0);
}
