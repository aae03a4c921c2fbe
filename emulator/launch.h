// Runs the emulator on one game: play, record or play back an input recording.
#pragma once

#include "common/settings.h"
#include "emulator/command_line.h"

// What a launch takes from the window that starts it: the options of the
// moment and the "Additional Parameters" text.
struct LaunchOptions {
    const Settings* settings;
    const char* additionalParameters;
};

// Tells the user, under `title`, when there is no game or no emulator version
// to launch with; returns whether both indexes name a table entry.
bool checkLaunchTarget(int gameIndex, int versionIndex, const char* title);

// Both show the command line, run the emulator and wait for it. 0 once the
// emulator has run (whatever its exit code), -1 when nothing was run.
int playGame(int gameIndex, int versionIndex, const LaunchOptions& options);

// `mode` 1 records; any other value plays back. `inputDirectory` and
// `fileName` (playback only: the recording's whole file name) may be null.
int runInputLog(int gameIndex, int versionIndex, int mode, const char* inputDirectory, const char* fileName,
                const LaunchOptions& options);
