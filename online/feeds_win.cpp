// The two score feeds: worker threads that fetch a feed from the YORL service and hand it to the main window.
#include "online/feeds.h"

#include "common/bounded_text.h"
#include "common/late_dlls.h"
#include "online/download_text.h"
#include "online/score_record.h"
#include "online/service.h"
#include "online/service_request_win.h"

#include <windows.h>
#include <process.h>

#include <cstring>
#include <memory>
#include <new>

namespace {

const std::size_t kHighScoresCap = 10240;
const std::size_t kRecentUploadsCap = 20480;

enum class FetchResult { ok, noSession, noConnection, noData };

void collectLine(const char* line, void* context)
{
    ScoreLines& lines = *static_cast<ScoreLines*>(context);
    if (lines.count < kMaxScores)
        copyText(lines.lines[lines.count++], sizeof lines.lines[0], line);
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
    // The blocked call has returned: the request's handles are closed, the
    // answer and the connection before their session, which the worker
    // closed already when it stopped waiting.
    EnterCriticalSection(&fetch->lock);
    if (fetch->cancelled)
        fetch->request.session = nullptr;
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

// A failure's one line, or the answer walked into a table of the worker's
// own with its lines, handed to the window whole.
void handOver(const FeedRequest& request, FetchResult result, const char* answer, std::size_t received, FeedKind kind)
{
    FeedAnswer handed;
    handed.records = 0;
    handed.table = nullptr;
    handed.lines.count = 0;
    handed.game = kind == FeedKind::highScores ? request.shortName : "";
    std::unique_ptr<ScoreRecord[]> table;
    if (result == FetchResult::ok && !isErrorPage(answer, received))
        table.reset(new (std::nothrow) ScoreRecord[kMaxScores]);
    if (table) {
        handed.records = walkFeed(answer, received, kind, table.get(), kMaxScores, collectLine, &handed.lines);
        handed.table = table.get();
    } else {
        collectLine(failureLine(result == FetchResult::ok ? FetchResult::noData : result), &handed.lines);
    }
    SendMessageA(request.window, kFeedAnswerMessage, 0, reinterpret_cast<LPARAM>(&handed));
}

} // namespace

unsigned __stdcall fetchHighScores(void* argument)
{
    const FeedRequest& request = *static_cast<const FeedRequest*>(argument);
    char address[512];
    std::size_t received = 0;
    FetchResult result = FetchResult::noData;
    std::unique_ptr<char[]> answer(new (std::nothrow) char[kHighScoresCap + 1]);
    if (!answer ||
        !composeHighScoresAddress(address, sizeof address, kHighScoresAddress, request.shortName, request.split))
        result = FetchResult::noConnection;
    else
        result = fetchAnswer(address, answer.get(), kHighScoresCap, received);
    handOver(request, result, answer.get(), received, FeedKind::highScores);
    return 0;
}

unsigned __stdcall fetchRecentUploads(void* argument)
{
    const FeedRequest& request = *static_cast<const FeedRequest*>(argument);
    std::size_t received = 0;
    FetchResult result = FetchResult::noSession;
    std::unique_ptr<char[]> answer(new (std::nothrow) char[kRecentUploadsCap + 1]);
    if (answer)
        result = fetchAnswer(kRecentUploadsAddress, answer.get(), kRecentUploadsCap, received);
    handOver(request, result, answer.get(), received, FeedKind::recentUploads);
    return 0;
}
