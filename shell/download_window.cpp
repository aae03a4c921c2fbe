// The download window: where to save a score's recording, the progress of its download, and Cancel.
#include "shell/download_window.h"

#include "common/bounded_text.h"
#include "common/late_dlls.h"
#include "common/message.h"
#include "online/download.h"
#include "online/download_text.h"
#include "online/file_names.h"
#include "shell/app.h"
#include "resource.h"

namespace {

// How long a window closing after the worker's end message waits for its exit.
const DWORD kEndedWaitMs = 2000;

// The one download window; touched only by the thread that owns the windows.
struct DownloadWindow {
    const ScoreRecord* record;
    char downloadName[64];
    HANDLE worker;
    bool complete;  // the archive is at savePath whole
    bool ended;     // the worker reported its end: only its exit is left
    bool cancelled; // the player pressed Cancel
    bool closing;
};
DownloadWindow current;

bool askSavePath(HWND window, const ScoreRecord& record)
{
    char recordingName[sizeof record.recordingName];
    copyText(recordingName, sizeof recordingName, record.recordingName);
    formatText(current.downloadName, sizeof current.downloadName, "%s.zip", recordingName);
    copyText(savePath, sizeof savePath, current.downloadName);
    prepareFileDialog(window, "Zipped MAME Input logs (*.zip)\0*.zip\0All files\0*.*\0", savePath, sizeof savePath,
                      "Save downloaded recording as...");
    return late::GetSaveFileNameA(&fileDialog) == 1;
}

void onOpen(HWND window, const ScoreRecord* record)
{
    current = DownloadWindow{record, "", nullptr, false, false, false, false};
    if (!askSavePath(window, *record)) {
        EndDialog(window, kDownloadFailed);
        return;
    }
    // The save dialog says where the file name starts in the path.
    if (!prepareDownload(fileDialog.nFileOffset)) {
        showMessage("Cannot create file (disk full?)", "Can't save recording");
        EndDialog(window, kDownloadFailed);
        return;
    }
    current.worker = startDownload(current.downloadName, window);
    if (!current.worker) {
        showMessage("Cannot start the download.", "Can't download");
        EndDialog(window, kDownloadFailed);
        return;
    }
    char title[128];
    formatText(title, sizeof title, "Downloading %s...", current.downloadName);
    SetDlgItemTextA(window, IDC_DOWNLOAD_TITLE, title);
}

void onProgress(HWND window, WPARAM blocks)
{
    DWORD length = 0;
    bool known = downloadLength(length);
    char progress[64];
    formatProgress(progress, sizeof progress, static_cast<std::uint32_t>(blocks), known, length);
    SetDlgItemTextA(window, IDC_DOWNLOAD_PROGRESS, progress);
}

// "Done" comes last: once it can be pressed, the archive is in place. A
// failure's box has been answered when its end arrives, so the window
// closes: nothing is left to watch.
void onEnd(HWND window, WPARAM result)
{
    current.ended = true;
    if (result != 0) {
        SendMessageA(window, WM_CLOSE, 0, 0);
        return;
    }
    current.complete = true;
    EnableWindow(GetDlgItem(window, IDC_DOWNLOAD_CANCEL), FALSE);
    SetDlgItemTextA(window, IDC_DOWNLOAD_TITLE, "Download complete.");
    EnableWindow(GetDlgItem(window, IDC_DOWNLOAD_DONE), TRUE);
}

// Waits up to `milliseconds` for the worker to end, answering only the
// messages that other threads send meanwhile (a box that the worker shows
// keeps this thread's windows from taking clicks through them), never the
// user's input.
void waitForWorker(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= milliseconds)
            return;
        DWORD result = MsgWaitForMultipleObjects(1, &current.worker, FALSE, milliseconds - elapsed, QS_SENDMESSAGE);
        if (result != WAIT_OBJECT_0 + 1)
            return;
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void onClose(HWND window)
{
    if (current.closing)
        return;
    current.closing = true;
    DWORD exitCode = kDownloadFailed;
    if (current.worker) {
        // A worker that has reported its end only has its exit left.
        if (current.ended)
            waitForWorker(kEndedWaitMs);
        GetExitCodeThread(current.worker, &exitCode);
        if (exitCode == STILL_ACTIVE) {
            leaveDownloadRunning(current.worker);
            if (current.complete)
                exitCode = 0;
        } else {
            CloseHandle(current.worker);
        }
        current.worker = nullptr;
    }
    EndDialog(window, exitCode == 0 && !current.cancelled ? 0 : kDownloadFailed);
}

// The window closes at once; the worker stops at its next block, or when a
// blocked read times out, and removes its file on its own. A failure box
// that it shows already stays up until the player answers it.
void onCancel(HWND window)
{
    // Once complete, Cancel is disabled, and Escape closes as the close box does.
    if (!current.complete) {
        current.cancelled = true;
        cancelRequested = 1;
    }
    SendMessageA(window, WM_CLOSE, 0, 0);
}

INT_PTR CALLBACK downloadProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: onOpen(window, reinterpret_cast<const ScoreRecord*>(lParam)); return TRUE;
    case kDownloadProgressMessage: onProgress(window, wParam); return TRUE;
    case kDownloadEndMessage: onEnd(window, wParam); return TRUE;
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

int runDownloadWindow(HWND owner, const ScoreRecord& record)
{
    if (!checkRecordingName(record))
        return kDownloadFailed;
    if (downloadStillFinishing()) {
        showMessage("The previous download is still finishing. Try again in a moment.", "Can't download");
        return kDownloadFailed;
    }
    return static_cast<int>(DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_DOWNLOAD), owner, downloadProc,
                                            reinterpret_cast<LPARAM>(&record)));
}
