// The Score Properties window of one listed score.
#pragma once

#include <windows.h>

// The index of the score that the window shows; kept after it closes,
// until the next opening.
extern int selectedScore;

// Runs the window modally over `parent` for a copy of the score at
// `listIndex`, which the window shows and whose recording it downloads and
// plays back, whatever feed answers arrive meanwhile; an index outside the
// score table opens nothing. Returns the window's end code.
int openScoreProperties(HWND parent, int listIndex);
