// The floor of the start-up figures: the smallest dialog program, one template
// and one button, started and timed under the same Wine as hobrin.exe.
//
// When its working folder holds "bare-listings.txt", it first runs each of
// its lines as a command, the way hobrin.exe runs an emulator's listing:
// hidden, without a console, its output in a file, waited for.
#include <windows.h>

#include <cstdio>
#include <cstring>

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

void runListing(char* commandLine)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE output = CreateFileA("bare-listing.tmp", GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = nul;
    startup.hStdOutput = output;
    startup.hStdError = nul;
    PROCESS_INFORMATION process{};
    if (CreateProcessA(nullptr, commandLine, nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr, nullptr, &startup,
                       &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(output);
    CloseHandle(nul);
    DeleteFileA("bare-listing.tmp");
}

void runListings()
{
    std::FILE* file = std::fopen("bare-listings.txt", "r");
    if (!file)
        return;
    char line[1024];
    while (std::fgets(line, sizeof line, file)) {
        line[std::strcspn(line, "\r\n")] = '\0';
        if (line[0] != '\0')
            runListing(line);
    }
    std::fclose(file);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    runListings();
    return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(kBareDialog), nullptr, bareDialogProc, 0));
}
