// Plays back a downloaded recording in the emulator version that made it.
#pragma once

#include <windows.h>

// "Download and playback" for the score shown in `propertiesWindow`.
void downloadAndPlayback(HWND propertiesWindow);
