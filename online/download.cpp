// Downloading a score's zipped recording: the download window and its worker thread.
#include "online/download.h"
#include "common/late_dlls.h"

#include "common/bounded_text.h"
#include "common/message.h"
#include "online/disk_files.h"
#include "online/disk_files_win.h"
#include "online/download_text.h"
#include "online/file_names.h"
#include "online/score_record.h"
#include "online/service.h"
#include "online/service_request_win.h"
#include "shell/app.h"
#include "resource.h"

#include <process.h>
#include <wininet.h>

#include <cstring>

volatile long cancelRequested = 0;
char savePath[512];

namespace {

const DWORD kBlockSize = 1024;
const int kDownloadFailed = 50;
// The progress line is redrawn at most this often, and always at the end:
// redrawing it for every block would take longer than the transfer.
const DWORD kProgressIntervalMs = 30;
// How long a window closing after "Download complete." waits for the worker's exit.
const DWORD kCompleteWaitMs = 2000;

// Shared with the worker: written by the window before the worker starts.
char downloadName[64];
char temporaryPath[MAX_PATH + 1];

// The window the worker reports to; the user-interface thread clears it
// when the window closes before the worker ends.
HWND volatile progressWindow;

// The worker's output file, created by the window before the worker starts.
// The worker writes and closes it; the window or the program's exit closes
// it only after the worker had to be terminated.
HANDLE partFile = INVALID_HANDLE_VALUE;

// Set by the worker once the archive is at the chosen path and nothing but
// its exit is left; read by the window's close.
volatile long downloadComplete;

// Touched only by the user-interface thread.
HANDLE workerHandle;
bool closing;
// A worker whose window was closed while it ran goes on to its own end
// with the shared paths above, so no new download starts before it ends.
HANDLE finishingWorker;

void discardPartFile()
{
    if (partFile != INVALID_HANDLE_VALUE) {
        CloseHandle(partFile);
        partFile = INVALID_HANDLE_VALUE;
    }
    if (temporaryPath[0])
        DeleteFileA(temporaryPath);
    temporaryPath[0] = '\0';
}

bool writeAll(HANDLE file, const char* data, DWORD size)
{
    DWORD written = 0;
    return WriteFile(file, data, size, &written, nullptr) && written == size;
}

void setProgressText(int id, const char* text)
{
    HWND window = progressWindow;
    if (window)
        SetDlgItemTextA(window, id, text);
}

void enableProgressControl(int id, bool enabled)
{
    HWND window = progressWindow;
    if (window)
        EnableWindow(GetDlgItem(window, id), enabled);
}

// Every failure ends here: the message, then no file at the chosen path
// other than what was there before.
unsigned fail(const char* text, const char* title)
{
    discardPartFile();
    showMessage(text, title);
    return kDownloadFailed;
}

// The archive is written to a temporary file beside the chosen path and
// moved there only once it has arrived whole, so a failed or cancelled
// download never destroys a good file of that name nor leaves a cut archive.
unsigned __stdcall downloadRecording(void* name)
{
    char encoded[3 * sizeof downloadName];
    bool encodedWhole = encodeAddressPart(encoded, sizeof encoded, static_cast<const char*>(name));
    char address[512];
    TextBuilder builder = startText(address, sizeof address);
    appendText(builder, kRecordingAddress);
    appendText(builder, encoded);
    if (!encodedWhole || builder.overflowed)
        return fail("Cannot connect to YORL", "Can't download");
    // A read that gets nothing for the request's timeout fails, so a
    // stalled service ends the download with the read's message.
    ServiceRequest session;
    switch (openServiceRequest(address, session)) {
    case RequestResult::noSession: return fail("Cannot start internet session", "Can't download");
    case RequestResult::noConnection: return fail("Cannot connect to YORL", "Can't download");
    case RequestResult::ok: break;
    }
    DWORD status = 0;
    DWORD statusSize = sizeof status;
    if (!late::HttpQueryInfoA(session.answer, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &statusSize,
                              nullptr) ||
        status != HTTP_STATUS_OK)
        return fail("Cannot retrieve data from URL", "Can't download");

    DWORD length = 0;
    DWORD lengthSize = sizeof length;
    bool lengthKnown = late::HttpQueryInfoA(session.answer, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length,
                                            &lengthSize, nullptr) != FALSE;
    char block[kBlockSize];
    unsigned long long received = 0;
    DWORD lastShown = GetTickCount() - kProgressIntervalMs;
    for (;;) {
        if (cancelRequested == 1) {
            cancelRequested = 0;
            discardPartFile();
            return kDownloadFailed;
        }
        DWORD got = 0;
        if (!late::InternetReadFile(session.answer, block, kBlockSize, &got))
            return fail("Cannot retrieve data from URL", "Can't download");
        if (got >= 6 && std::memcmp(block, "<HTML>", 6) == 0)
            return fail("HTML received instead of zip - probable server error", "Can't download");
        if (got > 0 && !writeAll(partFile, block, got))
            return fail("Cannot write file to disk (disk full?)", "Can't save recording");
        received += got;
        if (got == 0 || GetTickCount() - lastShown >= kProgressIntervalMs) {
            char progress[64];
            formatProgress(progress, sizeof progress, progressBlocks(received, got == 0), lengthKnown, length);
            setProgressText(IDC_DOWNLOAD_PROGRESS, progress);
            lastShown = GetTickCount();
        }
        // A read may return less than a block before the end: only a read
        // of nothing ends the data.
        if (got == 0)
            break;
    }
    if (lengthKnown && received != length)
        return fail("Cannot retrieve data from URL", "Can't download");
    bool flushed = FlushFileBuffers(partFile) != FALSE;
    flushed = CloseHandle(partFile) && flushed;
    partFile = INVALID_HANDLE_VALUE;
    if (!flushed || !mayReplace(savePath) ||
        !MoveFileExA(temporaryPath, savePath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return fail("Cannot write file to disk (disk full?)", "Can't save recording");
    temporaryPath[0] = '\0';
    session.close();

    // "Done" comes last: once it can be pressed, the worker has nothing left
    // to do but end.
    downloadComplete = 1;
    enableProgressControl(IDC_DOWNLOAD_CANCEL, false);
    setProgressText(IDC_DOWNLOAD_TITLE, "Download complete.");
    MessageBeep(0);
    enableProgressControl(IDC_DOWNLOAD_DONE, true);
    return 0;
}

bool askSavePath(HWND window, const ScoreRecord& record)
{
    char recordingName[sizeof record.recordingName];
    copyText(recordingName, sizeof recordingName, record.recordingName);
    formatText(downloadName, sizeof downloadName, "%s.zip", recordingName);
    copyText(savePath, sizeof savePath, downloadName);

    prepareFileDialog(window, "Zipped MAME Input logs (*.zip)\0*.zip\0All files\0*.*\0", savePath, sizeof savePath,
                      "Save downloaded recording as...");
    return late::GetSaveFileNameA(&fileDialog) == 1;
}

// Creates the temporary file beside the chosen path, before anything is
// asked of the service: a path that cannot take the archive is refused at once.
bool prepareOutput()
{
    // The save dialog says where the file name starts in the path.
    std::size_t nameStart = fileDialog.nFileOffset;
    if (nameStart >= std::strlen(savePath))
        return false;
    const char* fileName = savePath + nameStart;
    if (isDeviceName(fileName) || !mayReplace(savePath))
        return false;
    char directory[sizeof savePath];
    if (nameStart == 0)
        copyText(directory, sizeof directory, ".");
    else
        formatText(directory, sizeof directory, "%.*s", static_cast<int>(nameStart - 1), savePath);
    partFile = createTemporaryHandle(directory, temporaryPath, sizeof temporaryPath);
    return partFile != INVALID_HANDLE_VALUE;
}

void onOpen(HWND window, int scoreIndex)
{
    progressWindow = window;
    workerHandle = nullptr;
    closing = false;
    downloadComplete = 0;
    if (!askSavePath(window, scoreTable[scoreIndex])) {
        EndDialog(window, kDownloadFailed);
        return;
    }
    if (!prepareOutput()) {
        showMessage("Cannot create file (disk full?)", "Can't save recording");
        EndDialog(window, kDownloadFailed);
        return;
    }
    cancelRequested = 0;
    workerHandle = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, downloadRecording, downloadName, 0, nullptr));
    if (!workerHandle) {
        discardPartFile();
        showMessage("Cannot start the download.", "Can't download");
        EndDialog(window, kDownloadFailed);
        return;
    }
    char title[128];
    formatText(title, sizeof title, "Downloading %s...", downloadName);
    SetDlgItemTextA(window, IDC_DOWNLOAD_TITLE, title);
}

// Ends a worker stuck where it cannot see the cancel flag, and removes the
// file it was writing. Killing a thread can leave the network or runtime
// locks it held, so this is the last resort.
void stopWorkerByForce(HANDLE worker)
{
    TerminateThread(worker, kDownloadFailed);
    WaitForSingleObject(worker, 1000);
    discardPartFile();
    cancelRequested = 0;
}

// Waits up to `milliseconds` for `worker` to end, answering only the
// messages that other threads send meanwhile (the worker's progress updates),
// never the user's input. Without that, a worker in the middle of an update
// could never reach its next cancel check.
void waitForWorker(HANDLE worker, DWORD milliseconds)
{
    DWORD start = GetTickCount();
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= milliseconds)
            return;
        DWORD result = MsgWaitForMultipleObjects(1, &worker, FALSE, milliseconds - elapsed, QS_SENDMESSAGE);
        if (result != WAIT_OBJECT_0 + 1)
            return;
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void onClose(HWND window)
{
    if (closing)
        return;
    closing = true;
    DWORD exitCode = kDownloadFailed;
    if (workerHandle) {
        // A worker that has put the archive in place only has its exit left.
        if (downloadComplete)
            waitForWorker(workerHandle, kCompleteWaitMs);
        GetExitCodeThread(workerHandle, &exitCode);
        if (exitCode == STILL_ACTIVE) {
            finishingWorker = workerHandle;
            progressWindow = nullptr;
            if (downloadComplete)
                exitCode = 0;
        } else {
            CloseHandle(workerHandle);
        }
        workerHandle = nullptr;
    }
    EndDialog(window, exitCode == 0 ? 0 : kDownloadFailed);
}

// Asks the worker to stop at its next block, waits up to five seconds, and
// ends it by force only if it is stuck in a read: killing a thread inside
// the network or runtime code can leave their locks held.
void onCancel(HWND window)
{
    EnableWindow(GetDlgItem(window, IDC_DOWNLOAD_CANCEL), FALSE);
    cancelRequested = 1;
    DWORD exitCode = STILL_ACTIVE;
    for (int query = 0; query < 50; ++query) {
        if (!GetExitCodeThread(workerHandle, &exitCode) || exitCode != STILL_ACTIVE)
            break;
        waitForWorker(workerHandle, 100);
    }
    if (exitCode == STILL_ACTIVE)
        stopWorkerByForce(workerHandle);
    SendMessageA(window, WM_CLOSE, 0, 0);
}

INT_PTR CALLBACK downloadProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: onOpen(window, static_cast<int>(lParam)); return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_DOWNLOAD_CANCEL)
            onCancel(window);
        else
            SendMessageA(window, WM_CLOSE, 0, 0);
        return TRUE;
    case WM_CLOSE: onClose(window); return TRUE;
    }
    return FALSE;
}

// The recording name comes from the service and becomes both a file name
// and part of an address: one that could name another folder, a device or
// another address is refused before anything is asked or written.
bool checkRecordingName(const ScoreRecord& record)
{
    char name[sizeof record.recordingName];
    copyText(name, sizeof name, record.recordingName);
    if (isUsableRecordingName(name))
        return true;
    char message[256];
    formatText(message, sizeof message,
               "This score's recording name, \"%s\", is not a usable file name, so the recording cannot be "
               "downloaded.",
               name);
    showMessage(message, "Can't download");
    return false;
}

} // namespace

int runDownloadWindow(HWND owner, int scoreIndex)
{
    if (scoreIndex < 0 || scoreIndex >= kMaxScores)
        return kDownloadFailed;
    if (!checkRecordingName(scoreTable[scoreIndex]))
        return kDownloadFailed;
    if (finishingWorker) {
        DWORD exitCode = 0;
        if (GetExitCodeThread(finishingWorker, &exitCode) && exitCode == STILL_ACTIVE) {
            showMessage("The previous download is still finishing. Try again in a moment.", "Can't download");
            return kDownloadFailed;
        }
        CloseHandle(finishingWorker);
        finishingWorker = nullptr;
    }
    return static_cast<int>(
        DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_DOWNLOAD), owner, downloadProc, scoreIndex));
}

void finishDownloadBeforeExit()
{
    if (!finishingWorker)
        return;
    // Nothing else runs now: waiting blocks no window. The worker gets most
    // of the time to finish the file, then a moment to obey a cancel.
    if (WaitForSingleObject(finishingWorker, 4500) == WAIT_TIMEOUT) {
        cancelRequested = 1;
        if (WaitForSingleObject(finishingWorker, 500) == WAIT_TIMEOUT)
            stopWorkerByForce(finishingWorker);
    }
    CloseHandle(finishingWorker);
    finishingWorker = nullptr;
}
