// The "Recording check" window: MAME plays a recording to its end without a screen, and the window tells how far.
#pragma once

#include <windows.h>

// What a check of the recording at `directory`\`fileName` falls back on
// when the recording's head names no system or no listed version: a game
// and a version index (-1 for none).
struct CheckFallback {
    int game;
    int version;
};

// Runs the window modally over `owner`. The recording's picture is kept as
// checks\NAME.png, after the recording's name without its extension.
void runRecordingCheck(HWND owner, const char* directory, const char* fileName, const CheckFallback& fallback);
