// The games of the chosen emulator version: the table, its list build and the search by short name.
#pragma once

#include <windows.h>

struct GameEntry {
    char shortName[10];
    char description[250];
};

constexpr int kMaxGames = 5000;

extern GameEntry gameTable[kMaxGames];

// Fills gameTable and appends to `listBox` from the emulator's listing;
// returns the number of games or a negative failure result.
int buildGameList(HWND listBox, int versionIndex);

// Index of the first game whose short name is exactly `text`, or -1.
int findGame(const char* text);
