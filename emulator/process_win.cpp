// Starting the emulator with redirected standard handles and waiting for it.
#include "emulator/process_win.h"

namespace {

const DWORD kPollMs = 250;

} // namespace

HANDLE openInheritable(const char* name, DWORD access, DWORD share, DWORD disposition)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileA(name, access, share, &inherit, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE startEmulator(char* commandLine, WORD showState, EmulatorConsole console, HANDLE input, HANDLE output,
                     HANDLE errorOutput, DWORD& error)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = showState;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = errorOutput;
    PROCESS_INFORMATION process{};
    DWORD flags = console == EmulatorConsole::none ? DETACHED_PROCESS : 0;
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, TRUE, flags, nullptr, nullptr, &startup, &process)) {
        error = GetLastError();
        return nullptr;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

HANDLE startHiddenRun(char* commandLine, HANDLE output, DWORD& error)
{
    HANDLE nul =
        openInheritable("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    // Without a console: the program, started from the desktop, has none, and
    // a console made for such a run costs more than the run itself (about
    // 130 ms under Wine).
    HANDLE process = startEmulator(commandLine, SW_HIDE, EmulatorConsole::none, nul, output, nul, error);
    if (nul != INVALID_HANDLE_VALUE)
        CloseHandle(nul);
    return process;
}

void deleteRunOutput(const char* name)
{
    for (int attempt = 0; attempt < 40; ++attempt) {
        if (DeleteFileA(name) || GetLastError() == ERROR_FILE_NOT_FOUND)
            return;
        Sleep(50);
    }
}

DWORD waitForProcessAtMost(HANDLE process, DWORD limitMs)
{
    if (WaitForSingleObject(process, limitMs) == WAIT_TIMEOUT) {
        TerminateProcess(process, kUnknownExitCode);
        WaitForSingleObject(process, kPollMs);
        return kUnknownExitCode;
    }
    return waitForProcess(process);
}

DWORD waitForProcess(HANDLE process)
{
    // The handle, not the exit code, tells whether the process has ended: an
    // emulator may itself exit with 259, the value that means "still active".
    DWORD result;
    do
        result = WaitForSingleObject(process, kPollMs);
    while (result == WAIT_TIMEOUT);
    DWORD exitCode = kUnknownExitCode;
    if (result != WAIT_OBJECT_0 || !GetExitCodeProcess(process, &exitCode))
        return kUnknownExitCode;
    return exitCode;
}
