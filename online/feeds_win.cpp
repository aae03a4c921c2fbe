// The two score feeds: worker threads that fetch a feed from the YORL service and fill the score list.
#include "online/feeds.h"

#include "online/score_record.h"
#include "online/service.h"
#include "online/service_request_win.h"
#include "shell/app.h"
#include "common/bounded_text.h"
#include "common/list_fill.h"

#include <windows.h>

#include <cstring>

namespace {

const std::size_t kHighScoresCap = 10240;
const std::size_t kRecentUploadsCap = 20480;

enum class FetchResult { ok, noSession, noConnection, noData };

// A fill is one message to the user-interface thread, not one per line:
// each cross-thread message waits for that thread, and a list box that
// takes its lines one by one repaints after each.
void showLines(ScoreLines& lines)
{
    SendMessageA(GetParent(scoreListWindow), kShowScoreLinesMessage, 0, reinterpret_cast<LPARAM>(&lines));
}

void collectLine(const char* line, void* context)
{
    ScoreLines& lines = *static_cast<ScoreLines*>(context);
    if (lines.count < kMaxScores)
        copyText(lines.lines[lines.count++], sizeof lines.lines[0], line);
}

void showOnlyLine(const char* line)
{
    ScoreLines lines;
    lines.count = 0;
    collectLine(line, &lines);
    showLines(lines);
}

const char* failureLine(FetchResult result)
{
    switch (result) {
    case FetchResult::noSession: return "Cannot start internet session.";
    case FetchResult::noConnection: return "Cannot connect to YORL.";
    case FetchResult::ok: break;
    case FetchResult::noData: break;
    }
    return "Cannot access data at this time.";
}

// Reads the answer to `address` into `answer`, at most `cap` bytes (the
// buffer holds one more, so the text always ends with a zero byte). A read
// may return only what has arrived so far, so reading goes on until the cap
// or the end of the answer. An answer whose status is not 200 is no feed.
FetchResult fetchAnswer(const char* address, char* answer, std::size_t cap, std::size_t& received)
{
    received = 0;
    ServiceRequest request;
    switch (openServiceRequest(address, request)) {
    case RequestResult::noSession: return FetchResult::noSession;
    case RequestResult::noConnection: return FetchResult::noConnection;
    case RequestResult::ok: break;
    }
    DWORD status = 0;
    DWORD statusSize = sizeof status;
    bool answered = HttpQueryInfoA(request.answer, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                                   &statusSize, nullptr) &&
                    status == HTTP_STATUS_OK;
    while (answered && received < cap) {
        DWORD got = 0;
        if (!InternetReadFile(request.answer, answer + received, static_cast<DWORD>(cap - received), &got)) {
            answered = false;
            break;
        }
        if (got == 0)
            break;
        received += got;
    }
    request.close();
    if (!answered) {
        received = 0;
        return FetchResult::noData;
    }
    answer[received] = '\0';
    return FetchResult::ok;
}

} // namespace

unsigned __stdcall fetchHighScores(void* argument)
{
    const char* shortName = static_cast<const char*>(argument);

    char answer[kHighScoresCap + 1] = {};
    char address[512];
    TextBuilder builder = startText(address, sizeof address);
    appendText(builder, kHighScoresAddress);
    appendText(builder, shortName);
    char split[16] = "";
    GetWindowTextA(splitEditWindow, split, sizeof split);
    if (split[0] != '\0') {
        appendText(builder, "-");
        appendText(builder, split);
    }

    std::size_t received = 0;
    FetchResult result = fetchAnswer(address, answer, kHighScoresCap, received);
    if (result != FetchResult::ok || isErrorPage(answer, received)) {
        showOnlyLine(failureLine(result));
        return 0;
    }
    ScoreLines lines;
    lines.count = 0;
    walkFeed(answer, received, FeedKind::highScores, scoreTable, kMaxScores, collectLine, &lines);
    showLines(lines);
    return 0;
}

unsigned __stdcall fetchRecentUploads(void*)
{
    char answer[kRecentUploadsCap + 1] = {};
    std::size_t received = 0;
    FetchResult result = fetchAnswer(kRecentUploadsAddress, answer, kRecentUploadsCap, received);
    if (result != FetchResult::ok || isErrorPage(answer, received)) {
        showOnlyLine(failureLine(result));
        return 0;
    }
    ScoreLines lines;
    lines.count = 0;
    walkFeed(answer, received, FeedKind::recentUploads, scoreTable, kMaxScores, collectLine, &lines);
    showLines(lines);
    return 0;
}

void showScoreLines(const ScoreLines& lines)
{
    int count = lines.count < kMaxScores ? lines.count : kMaxScores;
    DWORD bytes = 0;
    for (int i = 0; i < count; ++i)
        bytes += static_cast<DWORD>(std::strlen(lines.lines[i]) + 1);
    beginListFill(scoreListWindow, FillMode::replace, count, bytes);
    for (int i = 0; i < count; ++i)
        SendMessageA(scoreListWindow, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lines.lines[i]));
    endListFill(scoreListWindow);
}
