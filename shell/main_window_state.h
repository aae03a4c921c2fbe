// What the main window keeps while it is open, each part's own, reached from the window (DWLP_USER).
#pragma once

#include "shell/main_games.h"
#include "shell/main_scores.h"

#include <windows.h>

// Made at the window's opening, freed at its end. The options and the
// launches keep nothing of their own: the settings they show and the
// "Additional Parameters" of a launch are the program's (shell/app.h), as
// are the version table and the game table that other windows read.
struct MainWindowState {
    GamesState games;
    ScoresState scores;
};

// The state of the main window `window`; null before its opening and after its end.
MainWindowState* mainWindowState(HWND window);
