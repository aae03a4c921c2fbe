// The Score Properties window of one listed score.
#pragma once

#include "online/score_record.h"

#include <windows.h>

// Runs the window modally over `parent` for a copy of `record`, which the
// window shows and whose recording it downloads and plays back, whatever
// feed answers arrive meanwhile. Returns the window's end code.
int openScoreProperties(HWND parent, const ScoreRecord& record);
