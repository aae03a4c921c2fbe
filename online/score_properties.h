// The Score Properties window of one listed score.
#pragma once

#include <windows.h>

// Runs the window modally over `parent`; returns its end code.
int openScoreProperties(HWND parent, int listIndex);
