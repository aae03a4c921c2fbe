// The two score feeds, each run as a worker thread that fills the score list.
#pragma once

#include "online/score_record.h"

#include <windows.h>

// Thread start routines. The high-score worker's argument is the game's
// short name, a copy that its starter leaves alone until the worker has
// ended: the game table itself may be refilled meanwhile. Recent uploads
// take 0.
unsigned __stdcall fetchHighScores(void* shortName);
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
