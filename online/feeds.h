// The two score feeds, each run as a worker thread that fills the score list.
#pragma once

#include "online/score_record.h"

#include <windows.h>

// Thread start routines; the argument is the game index, or 0 for recent uploads.
unsigned __stdcall fetchHighScores(void* gameIndex);
unsigned __stdcall fetchRecentUploads(void* unused);

// The lines that replace the score list's content once a fetch has ended:
// one per record in order, or the one failure line. The worker builds them
// on its own stack and sends them to the main window in one message
// (lParam points to them), which returns once they are shown.
struct ScoreLines {
    int count;
    char lines[kMaxScores][kScoreListLineSize];
};
constexpr UINT kShowScoreLinesMessage = WM_APP + 1;

// For the main window's thread, on kShowScoreLinesMessage: shows `lines` in
// the score list instead of what it held, painted once.
void showScoreLines(const ScoreLines& lines);
