// The main window's scores: the two feeds and the score list, Score Properties and "Check all...".
#include "shell/main_scores.h"

#include "common/bounded_text.h"
#include "common/dialog_text.h"
#include "common/list_fill.h"
#include "common/message.h"
#include "emulator/command_line.h"
#include "emulator/game_list.h"
#include "online/score_record.h"
#include "shell/app.h"
#include "shell/check_table.h"
#include "shell/main_games.h"
#include "shell/score_properties.h"
#include "resource.h"

#include <process.h>

#include <cstring>

namespace {

// The feed worker started last and what it was asked. They are the
// program's rather than the window's: closing does not wait for a fetch,
// and the worker reads its request until it ends. Only the window's thread
// starts workers and reads the handle, which stays valid until the next
// worker replaces it, so the busy guard never asks about a handle that was
// released or reused. The request is written only while no worker runs.
struct FeedWorker {
    HANDLE thread;
    FeedRequest request;
    // Its answer was handed over: the worker reads nothing of the request
    // after that, so a press in the moment before its thread has ended
    // starts the next fetch.
    bool answered;
};
FeedWorker feedWorker;

bool feedWorkerRunning()
{
    DWORD exitCode = 0;
    return feedWorker.thread && !feedWorker.answered && GetExitCodeThread(feedWorker.thread, &exitCode) &&
           exitCode == STILL_ACTIVE;
}

void startFeedWorker(unsigned(__stdcall* worker)(void*))
{
    if (feedWorker.thread)
        CloseHandle(feedWorker.thread);
    feedWorker.answered = false;
    feedWorker.thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, worker, &feedWorker.request, 0, nullptr));
}

// A line that is no score: the records of an earlier answer go with their lines.
void showOnlyScoreLine(const ScoresState& scores, const char* line)
{
    replaceScores(scoreTable, nullptr, 0);
    SendMessageA(scores.scoreList, LB_RESETCONTENT, 0, 0);
    SendMessageA(scores.scoreList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
}

void setScoreListFont(ScoresState& scores)
{
    HDC context = GetDC(scores.scoreList);
    int height = -MulDiv(10, GetDeviceCaps(context, LOGPIXELSY), 72);
    ReleaseDC(scores.scoreList, context);
    scores.scoreListFont =
        CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, PROOF_QUALITY, FIXED_PITCH, "Courier New");
    SendMessageA(scores.scoreList, WM_SETFONT, reinterpret_cast<WPARAM>(scores.scoreListFont), FALSE);
}

} // namespace

void openScores(HWND window, ScoresState& scores)
{
    scores.scoreList = GetDlgItem(window, IDC_MAIN_SCORE_LIST);
    SendDlgItemMessageA(window, IDC_MAIN_SPLIT, EM_LIMITTEXT, kSplitSize - 1, 0);
    setScoreListFont(scores);
}

void closeScores(ScoresState& scores)
{
    DeleteObject(scores.scoreListFont);
    scores.scoreListFont = nullptr;
}

void onHighScores(HWND window, const ScoresState& scores)
{
    if (feedWorkerRunning()) {
        showOnlyScoreLine(scores, "Patience, d00d...");
        return;
    }
    int game = selectedGame(window);
    if (!isGameIndex(game)) {
        showOnlyScoreLine(scores, "Select a game in the list first.");
        return;
    }
    FeedRequest& request = feedWorker.request;
    request = FeedRequest{window, "", ""};
    copyText(request.shortName, sizeof request.shortName, gameTable[game].shortName);
    readDialogText(window, IDC_MAIN_SPLIT, request.split, sizeof request.split);
    startFeedWorker(fetchHighScores);
    setDlgItemFormat(window, IDC_MAIN_SCORE_LABEL, "YORL High scores for '%s':", request.shortName);
}

void onRecentUploads(HWND window, const ScoresState& scores)
{
    if (feedWorkerRunning()) {
        showOnlyScoreLine(scores, "Patience, d00d...");
        return;
    }
    feedWorker.request = FeedRequest{window, "", ""};
    startFeedWorker(fetchRecentUploads);
    SetDlgItemTextA(window, IDC_MAIN_SCORE_LABEL, "YORL Recent uploads:");
}

// A feed worker's answer: the score table takes its records, and the list
// its lines, painted once. A walked feed gives one line per record, in
// order; a failure gives its one line and no record, so the table holds
// nothing of an earlier answer.
void onFeedAnswer(const ScoresState& scores, const FeedAnswer* answer)
{
    if (!answer)
        return;
    feedWorker.answered = true;
    const ScoreLines& lines = answer->lines;
    int count = lines.count < kMaxScores ? lines.count : kMaxScores;
    replaceScores(scoreTable, answer->table, answer->records < count ? answer->records : count, answer->game);
    DWORD bytes = 0;
    for (int i = 0; i < count; ++i)
        bytes += static_cast<DWORD>(std::strlen(lines.lines[i]) + 1);
    beginListFill(scores.scoreList, FillMode::replace, count, bytes);
    for (int i = 0; i < count; ++i)
        SendMessageA(scores.scoreList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lines.lines[i]));
    endListFill(scores.scoreList);
}

// Only a line that shows a score opens one.
void onScoreList(HWND window, const ScoresState& scores, WORD notification)
{
    if (notification != LBN_DBLCLK)
        return;
    int line = static_cast<int>(SendMessageA(scores.scoreList, LB_GETCURSEL, 0, 0));
    if (const ScoreRecord* record = scoreOfLine(scoreTable, line))
        openScoreProperties(window, *record);
}

// "Check all...": the recording of every listed score, checked in one table.
void onCheckAll(HWND window)
{
    TableOrder order;
    for (int i = 0; i < scoreTable.count; ++i) {
        const ScoreRecord& record = scoreTable.records[i];
        if (!record.hasScore)
            continue;
        // A game's table names its game; a recent upload names its own by
        // its label, when that is a system's name.
        TableScore score{record, ""};
        const char* game = scoreTable.game[0] != '\0' ? scoreTable.game : record.gameLabel;
        if (isMameSystemName(game))
            copyText(score.game, sizeof score.game, game);
        order.scores.push_back(score);
    }
    if (order.scores.empty()) {
        showMessage("No scores are listed to check: get a game's high scores or the recent uploads first.",
                    "Check all");
        return;
    }
    order.fallbackVersion = selectedVersion(window);
    runCheckTable(window, order);
}
