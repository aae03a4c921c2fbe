// Builds the game list by running the emulator's listing.
#pragma once

#include <windows.h>

// Runs the listing of version `versionIndex`, fills gameTable and appends each
// description to `listBox` (which it does not empty). Returns the number of
// games, or -1 (no listing could be started), -2 (the listing file cannot be
// opened), -10 (the table limit was reached).
int buildGameList(HWND listBox, int versionIndex);
