// Downloading a score's zipped recording: the worker that fetches it into a temporary file beside the chosen path.
#include "online/download.h"

#include "common/window_post.h"
#include "common/bounded_text.h"
#include "common/late_dlls.h"
#include "common/message.h"
#include "online/disk_files.h"
#include "online/disk_files_win.h"
#include "online/download_text.h"
#include "online/file_names.h"
#include "online/recording_fetch.h"
#include "online/score_record.h"
#include "online/service.h"
#include "online/service_request_win.h"

#include <process.h>
#include <wininet.h>

#include <cstring>

std::atomic<long> cancelRequested{0};
char savePath[512];

namespace {

// The progress line is redrawn at most this often, and always at the end:
// redrawing it for every block would take longer than the transfer.
const DWORD kProgressIntervalMs = 30;

// Written before the worker starts, then the worker's until it ends.
char downloadName[64];
// The worker's output file, created before the worker starts, then the
// worker's alone: it writes and closes it.
HANDLE partFile = INVALID_HANDLE_VALUE;
// Its path: written before the worker starts and only read while it runs
// (by the worker, and at the program's end), since the next download
// starts only once this one's worker has ended.
char temporaryPath[MAX_PATH + 1];

// Shared with the window's thread: the window the worker reports to (the
// window's thread clears it when the window closes first), and the length
// the service announced (written by the worker before its first report).
std::atomic<HWND> progressWindow{nullptr};
std::atomic<bool> lengthKnown{false};
std::atomic<DWORD> announcedLength{0};

// Touched only by the window's thread: a worker whose window was closed
// while it ran goes on to its own end with the shared paths above.
HANDLE finishingWorker;

void discardPartFile()
{
    if (partFile != INVALID_HANDLE_VALUE) {
        CloseHandle(partFile);
        partFile = INVALID_HANDLE_VALUE;
    }
    if (temporaryPath[0])
        DeleteFileA(temporaryPath);
}

void report(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND window = progressWindow.load();
    // Progress may be dropped when the queue is full; the end may not.
    if (window && message == kDownloadEndMessage)
        postToWindow(window, message, wParam, lParam);
    else if (window)
        PostMessageA(window, message, wParam, lParam);
}

// Every failure and every stop ends here: no file at the chosen path other
// than what was there before, the failure's box, then the end. A player who
// asked the download to stop gets no box: a failure is what was asked for.
unsigned fail(const char* text, const char* title)
{
    discardPartFile();
    if (cancelRequested.exchange(0) != 1 && text)
        showMessage(text, title);
    report(kDownloadEndMessage, kDownloadFailed, 0);
    return kDownloadFailed;
}

// What the download window sees of the fetch: the player's Cancel, and its
// progress, redrawn at most every kProgressIntervalMs and always at the end.
class WindowWatcher : public FetchWatcher {
public:
    bool stopAsked() override { return cancelRequested.load() == 1; }
    void announced(DWORD length, bool known) override
    {
        announcedLength = length;
        lengthKnown = known;
    }
    void received(unsigned long long bytes, bool ended) override
    {
        if (ended || GetTickCount() - lastShown_ >= kProgressIntervalMs) {
            report(kDownloadProgressMessage, progressBlocks(bytes, ended), ended ? 1 : 0);
            lastShown_ = GetTickCount();
        }
    }

private:
    DWORD lastShown_ = GetTickCount() - kProgressIntervalMs;
};

// The archive is written to a temporary file beside the chosen path and
// moved there only once it has arrived whole, so a failed or cancelled
// download never destroys a good file of that name nor leaves a cut archive.
unsigned __stdcall downloadRecording(void* name)
{
    WindowWatcher watcher;
    FetchOutcome result = fetchRecording(static_cast<const char*>(name), partFile, watcher);
    if (result.end != FetchEnd::complete)
        return fail(result.text, result.title);
    bool flushed = FlushFileBuffers(partFile) != FALSE;
    flushed = CloseHandle(partFile) && flushed;
    partFile = INVALID_HANDLE_VALUE;
    if (!flushed || !mayReplace(savePath) ||
        !MoveFileExA(temporaryPath, savePath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return fail("Cannot write file to disk (disk full?)", "Can't save recording");
    MessageBeep(0);
    report(kDownloadEndMessage, 0, 0);
    return 0;
}

} // namespace

bool prepareDownload(std::size_t nameOffset)
{
    if (nameOffset >= std::strlen(savePath))
        return false;
    const char* fileName = savePath + nameOffset;
    if (isDeviceName(fileName) || !mayReplace(savePath))
        return false;
    char directory[sizeof savePath];
    if (nameOffset == 0)
        copyText(directory, sizeof directory, ".");
    else
        formatText(directory, sizeof directory, "%.*s", static_cast<int>(nameOffset - 1), savePath);
    partFile = createTemporaryHandle(directory, temporaryPath, sizeof temporaryPath);
    return partFile != INVALID_HANDLE_VALUE;
}

HANDLE startDownload(const char* name, HWND window)
{
    copyText(downloadName, sizeof downloadName, name);
    progressWindow = window;
    lengthKnown = false;
    cancelRequested = 0;
    HANDLE worker = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, downloadRecording, downloadName, 0, nullptr));
    if (!worker)
        discardPartFile();
    return worker;
}

void leaveDownloadRunning(HANDLE worker)
{
    progressWindow = nullptr;
    finishingWorker = worker;
}

bool downloadStillFinishing()
{
    if (!finishingWorker)
        return false;
    DWORD exitCode = 0;
    if (GetExitCodeThread(finishingWorker, &exitCode) && exitCode == STILL_ACTIVE)
        return true;
    CloseHandle(finishingWorker);
    finishingWorker = nullptr;
    return false;
}

bool downloadLength(DWORD& length)
{
    length = announcedLength.load();
    return lengthKnown.load();
}

void finishDownloadBeforeExit()
{
    if (!finishingWorker)
        return;
    // Nothing else runs now: waiting blocks no window. The worker gets most
    // of the time to finish the file, then a moment to obey the request to
    // stop, which it sees before its next block.
    if (WaitForSingleObject(finishingWorker, 4500) == WAIT_TIMEOUT) {
        cancelRequested = 1;
        if (WaitForSingleObject(finishingWorker, 500) == WAIT_TIMEOUT) {
            // Blocked waiting for the service, it would see the request only
            // at the request's timeout, and ending a thread by force can
            // leave the network's or the runtime's locks held. So it ends
            // with the program, and its file goes with it: the file was
            // opened sharing deletion, so deleting it now marks it, and the
            // system removes it once its last handle closes. That works from
            // Windows XP on and under Wine, where marking the open handle
            // itself (SetFileInformationByHandle) needs Windows Vista, and
            // creating the file with FILE_FLAG_DELETE_ON_CLOSE could not be
            // undone for a download that completes. Once the worker has
            // moved the file into place, nothing is there to delete.
            if (temporaryPath[0])
                DeleteFileA(temporaryPath);
        }
    }
    CloseHandle(finishingWorker);
    finishingWorker = nullptr;
}
