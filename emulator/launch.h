// Runs the emulator on one game: play, record or play back an input recording.
#pragma once

enum class LaunchMode { playback = 0, record = 1, play = 2 };

// Both return only when the emulator has ended and any console output window is closed.
int playGame(int gameIndex, int versionIndex);

// `mode` is 1 for a recording; any other value plays back. `inputDirectory`
// and `fileName` may be null.
int runInputLog(int gameIndex, int versionIndex, int mode, const char* inputDirectory, const char* fileName);
