// The main window's scores: the two feeds and the score list, Score Properties and "Check all...".
#pragma once

#include "online/feeds.h"

#include <windows.h>

// What the score list keeps, kept by the window (shell/main_window_state.h).
struct ScoresState {
    HWND scoreList = nullptr;      // remembered at the opening
    HFONT scoreListFont = nullptr; // made at the opening, deleted at the end
};

void openScores(HWND window, ScoresState& scores);
void closeScores(ScoresState& scores);

void onHighScores(HWND window, const ScoresState& scores);
void onRecentUploads(HWND window, const ScoresState& scores);
void onFeedAnswer(const ScoresState& scores, const FeedAnswer* answer);
void onScoreList(HWND window, const ScoresState& scores, WORD notification);
void onCheckAll(HWND window);
