// The two score feeds: worker threads that fetch a feed from the YORL service and fill the score list.
#include "online/feeds.h"
#include "common/late_dlls.h"

#include "online/score_record.h"
#include "online/service.h"
#include "online/service_request_win.h"
#include "shell/app.h"
#include "common/bounded_text.h"
#include "common/list_fill.h"

#include <windows.h>
#include <process.h>

#include <cstring>
#include <new>

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
FetchResult readAnswer(ServiceRequest& request, const char* address, char* answer, std::size_t cap,
                       std::size_t& received)
{
    received = 0;
    switch (openServiceRequest(address, request)) {
    case RequestResult::noSession: return FetchResult::noSession;
    case RequestResult::noConnection: return FetchResult::noConnection;
    case RequestResult::ok: break;
    }
    DWORD status = 0;
    DWORD statusSize = sizeof status;
    bool answered = late::HttpQueryInfoA(request.answer, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                                         &statusSize, nullptr) &&
                    status == HTTP_STATUS_OK;
    while (answered && received < cap) {
        DWORD got = 0;
        if (!late::InternetReadFile(request.answer, answer + received, static_cast<DWORD>(cap - received), &got)) {
            answered = false;
            break;
        }
        if (got == 0)
            break;
        received += got;
    }
    if (!answered) {
        received = 0;
        return FetchResult::noData;
    }
    answer[received] = '\0';
    return FetchResult::ok;
}

// One fetch, shared by the feed worker and the thread that talks to the
// service. A service may send a byte just before each wait would time out,
// so the worker waits for the fetch at most kFeedLimitMs. Past that it
// closes the session, which on Windows makes a call blocked on it return at
// once, and leaves the fetch to its thread, which frees it when it ends.
// Wine's WinINet lets a blocked call run on to its own end; the worker and
// the score list are free all the same.
struct Fetch {
    CRITICAL_SECTION lock;
    LONG holders = 2;       // the worker and the fetch thread: the last to let go frees it
    bool cancelled = false; // under `lock`: the worker closed the session
    ServiceRequest request; // the session is opened by the worker, all else by the fetch thread
    char address[512] = "";
    std::size_t cap = 0;
    // Written by the fetch thread, read by the worker once that thread has ended.
    std::size_t received = 0;
    FetchResult result = FetchResult::noData;
    char answer[kRecentUploadsCap + 1] = "";
};

const DWORD kFeedLimitMs = 25000;

void letGo(Fetch* fetch)
{
    if (InterlockedDecrement(&fetch->holders) == 0) {
        DeleteCriticalSection(&fetch->lock);
        delete fetch;
    }
}

unsigned __stdcall runFetch(void* argument)
{
    Fetch* fetch = static_cast<Fetch*>(argument);
    fetch->result = readAnswer(fetch->request, fetch->address, fetch->answer, fetch->cap, fetch->received);
    EnterCriticalSection(&fetch->lock);
    if (fetch->cancelled)
        fetch->request.forget();
    else
        fetch->request.close();
    LeaveCriticalSection(&fetch->lock);
    letGo(fetch);
    return 0;
}

// Fetches `address` into `answer` (at most `cap` bytes, the buffer holding
// one more) within kFeedLimitMs of the call, whatever pace the service keeps.
FetchResult fetchAnswer(const char* address, char* answer, std::size_t cap, std::size_t& received)
{
    received = 0;
    Fetch* fetch = new (std::nothrow) Fetch;
    if (!fetch)
        return FetchResult::noSession;
    InitializeCriticalSection(&fetch->lock);
    fetch->cap = cap < kRecentUploadsCap ? cap : kRecentUploadsCap;
    HANDLE thread = nullptr;
    if (copyText(fetch->address, sizeof fetch->address, address) && openServiceSession(fetch->request))
        thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, runFetch, fetch, 0, nullptr));
    if (!thread) {
        fetch->request.close();
        DeleteCriticalSection(&fetch->lock);
        delete fetch;
        return FetchResult::noSession;
    }
    FetchResult result = FetchResult::noData;
    answer[0] = '\0';
    if (WaitForSingleObject(thread, kFeedLimitMs) == WAIT_OBJECT_0) {
        result = fetch->result;
        if (result == FetchResult::ok) {
            received = fetch->received;
            std::memcpy(answer, fetch->answer, received + 1);
        }
    } else {
        // A fetch that has just ended has closed its handles itself.
        EnterCriticalSection(&fetch->lock);
        fetch->cancelled = true;
        if (fetch->request.session)
            late::InternetCloseHandle(fetch->request.session);
        LeaveCriticalSection(&fetch->lock);
    }
    CloseHandle(thread);
    letGo(fetch);
    return result;
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
