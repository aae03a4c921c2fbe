// Builds the game list by running the emulator's listing.
#pragma once

#include "emulator/game_list.h"

#include <windows.h>

// How long an emulator has, in all, to list its games and answer what is
// asked of its devices: MAME 0.251 lists 45,294 in about 2 s, and an old
// machine takes some times that. A listing that runs longer (a launcher,
// an emulator waiting on a window of its own) is ended. Compiled for each
// program, so that a test build waits less.
extern const DWORD kListingLimitMs;

// A listing ended at that limit, or at its bound in bytes.
constexpr int kListingEnded = -3;

// Runs the listing of version `versionIndex`, fills gameTable and appends each
// description to `listBox` (which it does not empty). Returns the number of
// games, or -1 (no listing could be started), -2 (the listing file cannot be
// opened), kListingEnded, -10 (the table limit was reached).
// The order is the settings' sortByDriver: 1 by short name, else by name.
// The list box then shows every game: the caller's ShownGames is to say so.
int buildGameList(HWND listBox, int versionIndex, int sortByDriver);

// The same in two steps, so that the emulator lists while the window is
// made: the first starts the listing of `versionIndex` (read, cut to the
// systems and sorted) on a thread of its own, the second waits for it,
// tells the player what went wrong, and fills `listBox`. Until the second
// returns, the caller touches neither the game table nor what is known of
// the emulators.
void startGameList(int versionIndex, int sortByDriver);
int finishGameList(HWND listBox);

// Fills `listBox` anew with the games `shown`, painted once.
void showGameLines(HWND listBox, const ShownGames& shown);
