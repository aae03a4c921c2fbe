// What the two check windows share: where each keeps its state, its picture, the time a check takes, and Close
// taking over from Cancel.
#include "shell/check_window.h"

#include "common/late_dlls.h"
#include "emulator/recording_check.h"
#include "shell/picture.h"

void keepWindowState(HWND window, void* state)
{
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
}

void readyPictures()
{
    static bool comReady = SUCCEEDED(late::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    (void)comReady;
}

HBITMAP pictureToFit(HWND control, const char* path)
{
    RECT room;
    GetClientRect(control, &room);
    return loadPicture(path, room.right - 4, room.bottom - 4);
}

void forgetPicture(HWND window, int pictureId, HBITMAP& shown)
{
    showPicture(GetDlgItem(window, pictureId), nullptr, shown);
}

void formatElapsed(DWORD milliseconds, char* text, std::size_t size)
{
    formatPlayLength(milliseconds / 1000.0, text, size);
}

void offerClose(HWND window, int cancelId, int closeId)
{
    EnableWindow(GetDlgItem(window, cancelId), FALSE);
    EnableWindow(GetDlgItem(window, closeId), TRUE);
    SendMessageA(window, DM_SETDEFID, static_cast<WPARAM>(closeId), 0);
    SetFocus(GetDlgItem(window, closeId));
}
