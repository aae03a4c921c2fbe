// Checking a recording: what is asked of the emulator, and its run without a screen on a thread of its own.
#pragma once

#include "emulator/recording_check.h"

#include <windows.h>

#include <string>

// Whether a version's MAME can check recordings: it must play one without
// a screen and save a picture by itself, which MAME does from 0.125 (the
// recordings' format of today). Its version is the one its "-help" banner
// names, asked once and kept in emulators.ini.
enum class CheckSupport { yes, tooOld, unknown };
CheckSupport checkSupport(int versionIndex, char* versionId, std::size_t size);

// Whether a version that can check also ends by itself at the recording's
// end (-exit_after_playback, MAME 0.171 on). Asks nothing: checkSupport
// learnt its version first.
bool endsAfterPlayback(int versionIndex);

// The inputs of `system` as version `versionIndex` describes them
// ("-listxml NAME"); `known` is false when it did not.
MachineInputs askMachineInputs(int versionIndex, const char* system);

struct CheckRun {
    int versionIndex;
    const char* system;
    const char* directory; // the recording's folder
    const char* fileName;  // its whole file name
    unsigned secondsToRun; // 0: to the recording's end, without a picture
};

// Posted to the window that watches a check once MAME has ended: wParam 1
// when it ended by itself, 0 when it was cancelled or could not start;
// lParam its exit code.
constexpr UINT kCheckEndMessage = WM_APP + 4;

// Starts the check on a thread of its own: MAME's standard output goes to
// check.out and its errors to check.err, its picture to the snapshot folder.
// False when it could not start (the line is too long, no thread).
bool startCheckRun(const CheckRun& run, HWND window);

// Ends the check's emulator run, and only that run.
void cancelCheckRun();

// Once the run has ended (kCheckEndMessage): what it wrote, its standard
// output and error (both removed afterwards), and the picture it saved,
// moved to checks\NAME.png.
struct CheckResult {
    std::string output;
    std::string errors;
    std::string picture; // the picture's path, "" when MAME saved none
};
CheckResult collectCheckRun(const char* pictureName);
