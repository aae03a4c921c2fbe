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
