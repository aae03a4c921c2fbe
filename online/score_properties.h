// The Score Properties window of one listed score.
#pragma once

#include <windows.h>

// The record that the window shows; kept after it closes, until the next opening.
extern int selectedScore;

// Runs the window modally over `parent` for the score at `listIndex`; an
// index outside the score table opens nothing. Returns the window's end code.
int openScoreProperties(HWND parent, int listIndex);
