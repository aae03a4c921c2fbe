// The main window's launches: Play, Record and Playback INP of the selected game, and "Check INP...".
#pragma once

#include <windows.h>

void onPlay(HWND window);
void onRecord(HWND window);
void onPlayback(HWND window);
void onCheckRecording(HWND window);
