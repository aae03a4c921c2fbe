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

// Starts `commandLine` hidden and without a console, with its standard
// output in `output` and nothing for its input and error output: a run
// whose answer the program reads. Null on failure, with the error in `error`.
HANDLE startHiddenRun(char* commandLine, HANDLE output, DWORD& error);

// Deletes the file that a run wrote its answer to. A process that the
// emulator left behind (under Wine, the console host it was given) can
// hold it a moment after the emulator ended, so the delete is tried again
// for up to two seconds.
void deleteRunOutput(const char* name);

// Blocks, without handling window messages, until the process ends; looks
// every 250 ms. Returns its exit code, or kUnknownExitCode.
DWORD waitForProcess(HANDLE process);

// The same for at most `limitMs`; a process still running then is ended,
// and kUnknownExitCode returned.
DWORD waitForProcessAtMost(HANDLE process, DWORD limitMs);
