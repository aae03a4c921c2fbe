// The floor of the start-up figure: the smallest dialog program, one template
// and one button, started and timed under the same Wine as hobrin.exe.
#include <windows.h>

namespace {

const int kBareDialog = 1;

INT_PTR CALLBACK bareDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            EndDialog(window, 0);
        return TRUE;
    }
    return FALSE;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(kBareDialog), nullptr, bareDialogProc, 0));
}
