// The two score feeds, each run as a worker thread that hands its answer to the main window.
#pragma once

#include "common/app_messages.h"
#include "online/score_record.h"

#include <windows.h>

// The Split box takes at most what the address takes of it.
constexpr std::size_t kSplitSize = 16;

// What a feed worker is asked: its starter fills it and leaves it alone
// until the worker has ended.
struct FeedRequest {
    HWND window;            // gets the answer (kFeedAnswerMessage)
    char shortName[64];     // high scores: the game's short name
    char split[kSplitSize]; // high scores: the split, or ""
};

// Thread start routines; the argument is a FeedRequest.
unsigned __stdcall fetchHighScores(void* request);
unsigned __stdcall fetchRecentUploads(void* request);

// The lines that replace the score list's content once a fetch has ended:
// one per record in order, or the one failure line.
struct ScoreLines {
    int count;
    char lines[kMaxScores][kScoreListLineSize];
};

// A feed's answer, walked into the worker's own table: `records` records
// (none after a failure) and the lines to show. The worker sends it to the
// request's window in one message (kFeedAnswerMessage, lParam points to it), which returns once
// the window has taken it: the window's thread owns the score table and
// replaces its first `records` slots with these.
struct FeedAnswer {
    int records;
    const ScoreRecord* table;
    ScoreLines lines;
    const char* game; // high scores: the game asked for; recent uploads: ""
};
