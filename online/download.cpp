// Downloading a score's zipped recording: the download window and its worker thread.
#include "online/download.h"

#include "online/download_text.h"
#include "online/score_record.h"
#include "online/service.h"
#include "shell/app.h"
#include "common/bounded_text.h"
#include "common/message.h"
#include "resource.h"

#include <process.h>
#include <wininet.h>

#include <cstring>

volatile long cancelRequested = 0;
char savePath[512];

namespace {

const DWORD kBlockSize = 1024;
const int kDownloadFailed = 50;
const char kPartSuffix[] = ".part";

// Shared with the worker: written by the window before the worker starts.
char downloadName[64];
char partPath[sizeof savePath + sizeof kPartSuffix];
HWND downloadWindow;

// The worker's output file. The worker opens and closes it; the window
// closes it only after it had to terminate the worker.
HANDLE partFile = INVALID_HANDLE_VALUE;

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
    DeleteFileA(partPath);
}

bool writeAll(HANDLE file, const char* data, DWORD size)
{
    DWORD written = 0;
    return WriteFile(file, data, size, &written, nullptr) && written == size;
}

struct Session {
    HINTERNET internet = nullptr;
    HINTERNET address = nullptr;
    ~Session()
    {
        if (address)
            InternetCloseHandle(address);
        if (internet)
            InternetCloseHandle(internet);
    }
};

// Every failure ends here: the message, then no file at the chosen path
// other than what was there before.
unsigned fail(const char* text, const char* title)
{
    discardPartFile();
    showMessage(text, title);
    return kDownloadFailed;
}

// The archive is written beside the chosen path and moved there only once
// it has arrived whole, so a failed or cancelled download never destroys a
// good file of that name nor leaves a cut archive under it.
unsigned __stdcall downloadRecording(void* name)
{
    HWND window = downloadWindow;
    Session session;
    session.internet = InternetOpenA("Hobrin", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!session.internet)
        return fail("Cannot start internet session", "Can't download");
    char address[512];
    TextBuilder builder = startText(address, sizeof address);
    appendText(builder, kRecordingAddress);
    appendText(builder, static_cast<const char*>(name));
    session.address = InternetOpenUrlA(session.internet, address, nullptr, 0,
                                       INTERNET_FLAG_RAW_DATA | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    if (!session.address)
        return fail("Cannot connect to YORL", "Can't download");
    DWORD status = 0;
    DWORD statusSize = sizeof status;
    if (!HttpQueryInfoA(session.address, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &statusSize,
                        nullptr) ||
        status != HTTP_STATUS_OK)
        return fail("Cannot retrieve data from URL", "Can't download");

    partFile = CreateFileA(partPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (partFile == INVALID_HANDLE_VALUE)
        return fail("Cannot create file (disk full?)", "Can't save recording");

    DWORD length = 0;
    DWORD lengthSize = sizeof length;
    bool lengthKnown = HttpQueryInfoA(session.address, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length,
                                      &lengthSize, nullptr) != FALSE;
    char block[kBlockSize];
    unsigned long long received = 0;
    for (;;) {
        if (cancelRequested == 1) {
            cancelRequested = 0;
            discardPartFile();
            return kDownloadFailed;
        }
        DWORD got = 0;
        if (!InternetReadFile(session.address, block, kBlockSize, &got))
            return fail("Cannot retrieve data from URL", "Can't download");
        if (got >= 6 && std::memcmp(block, "<HTML>", 6) == 0)
            return fail("HTML received instead of zip - probable server error", "Can't download");
        if (got > 0 && !writeAll(partFile, block, got))
            return fail("Cannot write file to disk (disk full?)", "Can't save recording");
        received += got;
        char progress[64];
        formatProgress(progress, sizeof progress, progressBlocks(received, got == 0), lengthKnown, length);
        SetDlgItemTextA(window, IDC_DOWNLOAD_PROGRESS, progress);
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
    if (!flushed ||
        !MoveFileExA(partPath, savePath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH))
        return fail("Cannot write file to disk (disk full?)", "Can't save recording");

    EnableWindow(GetDlgItem(window, IDC_DOWNLOAD_DONE), TRUE);
    EnableWindow(GetDlgItem(window, IDC_DOWNLOAD_CANCEL), FALSE);
    SetDlgItemTextA(window, IDC_DOWNLOAD_TITLE, "Download complete.");
    MessageBeep(0);
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
    return GetSaveFileNameA(&fileDialog) == 1;
}

void onOpen(HWND window, int scoreIndex)
{
    downloadWindow = window;
    workerHandle = nullptr;
    closing = false;
    if (!askSavePath(window, scoreTable[scoreIndex])) {
        EndDialog(window, kDownloadFailed);
        return;
    }
    formatText(partPath, sizeof partPath, "%s%s", savePath, kPartSuffix);
    cancelRequested = 0;
    workerHandle = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, downloadRecording, downloadName, 0, nullptr));
    if (!workerHandle) {
        showMessage("Cannot start the download.", "Can't download");
        EndDialog(window, kDownloadFailed);
        return;
    }
    char title[128];
    formatText(title, sizeof title, "Downloading %s...", downloadName);
    SetDlgItemTextA(window, IDC_DOWNLOAD_TITLE, title);
}

void onClose(HWND window)
{
    if (closing)
        return;
    closing = true;
    DWORD exitCode = kDownloadFailed;
    if (workerHandle) {
        GetExitCodeThread(workerHandle, &exitCode);
        if (exitCode == STILL_ACTIVE)
            finishingWorker = workerHandle;
        else
            CloseHandle(workerHandle);
        workerHandle = nullptr;
    }
    EndDialog(window, exitCode == 0 ? 0 : kDownloadFailed);
}

// Waits up to `milliseconds` for the worker to end, answering only the
// messages that other threads send meanwhile (the worker's progress updates),
// never the user's input. Without that, a worker in the middle of an update
// could never reach its next cancel check.
void waitForWorker(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= milliseconds)
            return;
        DWORD result = MsgWaitForMultipleObjects(1, &workerHandle, FALSE, milliseconds - elapsed, QS_SENDMESSAGE);
        if (result != WAIT_OBJECT_0 + 1)
            return;
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
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
        waitForWorker(100);
    }
    if (exitCode == STILL_ACTIVE) {
        TerminateThread(workerHandle, kDownloadFailed);
        WaitForSingleObject(workerHandle, 1000);
        discardPartFile();
        cancelRequested = 0;
    }
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

} // namespace

int runDownloadWindow(HWND owner, int scoreIndex)
{
    if (scoreIndex < 0 || scoreIndex >= kMaxScores)
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
