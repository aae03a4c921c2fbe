// Starting the emulator with redirected standard handles and waiting for it.
#pragma once

#include <windows.h>

// Exit code reported when the end of a run could not be observed.
constexpr DWORD kUnknownExitCode = static_cast<DWORD>(-1);

// Opens a file or device whose handle the emulator inherits as a standard handle.
HANDLE openInheritable(const char* name, DWORD access, DWORD share, DWORD disposition);

// Whether the emulator, a console program, runs with a console: that of the
// program if it has one, else a new one; or with none at all, for a run
// whose standard handles all go to files.
enum class EmulatorConsole { usual, none };

// Starts `commandLine` (the whole command, first word resolved as any command
// line is) with the given show state and standard handles, inheriting
// handles. On success returns the process handle; on failure null with the
// platform's error in `error`.
HANDLE startEmulator(char* commandLine, WORD showState, EmulatorConsole console, HANDLE input, HANDLE output,
                     HANDLE errorOutput, DWORD& error);

// Blocks, without handling window messages, until the process ends; looks
// every 250 ms. Returns its exit code, or kUnknownExitCode.
DWORD waitForProcess(HANDLE process);
