// The "Console output" window: what the emulator printed during its last run.
#include "shell/console_output.h"

#include "emulator/console_text.h"
#include "common/program_folder.h"
#include "common/program_files.h"
#include "shell/app.h"
#include "resource.h"

#include <cstring>

namespace {

const DWORD kRetryMs = 250;
const int kMaxRetries = 20;

char readBuffer[20480];
// Room for a line feed after up to 480 lone carriage returns; a text that
// needs more is cut at the end of the buffer.
char displayBuffer[20960];

// The file is opened without sharing, so this also waits for an emulator
// (or a process it left behind) that still holds it open.
HANDLE openConsoleFile()
{
    for (int retries = 0;;) {
        HANDLE file = CreateFileA(ownFile(kConsoleFile).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            return file;
        Sleep(kRetryMs);
        if (++retries > kMaxRetries)
            return INVALID_HANDLE_VALUE;
    }
}

DWORD readConsoleFile(HANDLE file)
{
    DWORD total = 0;
    while (total < sizeof readBuffer) {
        DWORD got = 0;
        if (!ReadFile(file, readBuffer + total, sizeof readBuffer - total, &got, nullptr) || got == 0)
            break;
        total += got;
    }
    return total;
}

void onOpen(HWND window)
{
    std::memset(readBuffer, 0, sizeof readBuffer);
    std::memset(displayBuffer, 0, sizeof displayBuffer);
    HANDLE file = openConsoleFile();
    DWORD length = file != INVALID_HANDLE_VALUE ? readConsoleFile(file) : 0;
    convertConsoleText(readBuffer, length, length == sizeof readBuffer, displayBuffer, sizeof displayBuffer);
    SetDlgItemTextA(window, IDC_CONSOLE_TEXT, displayBuffer);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    DeleteFileA(ownFile(kConsoleFile).c_str());
}

INT_PTR CALLBACK consoleOutputProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: onOpen(window); return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_CONSOLE_CLOSE)
            SendMessageA(window, WM_CLOSE, 0, 0);
        return TRUE;
    case WM_CLOSE: EndDialog(window, 50); return TRUE;
    }
    return FALSE;
}

} // namespace

void runConsoleOutput()
{
    DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_CONSOLE_OUTPUT), nullptr, consoleOutputProc, 0);
}

void showConsoleAfterRun(int launchResult)
{
    if (launchResult == 0 && settings.showConsole == 1)
        runConsoleOutput();
}
