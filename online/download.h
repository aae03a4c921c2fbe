// Downloading a score's zipped recording: the worker that fetches it into a temporary file beside the chosen path.
#pragma once

#include "common/app_messages.h"

#include <windows.h>

#include <atomic>
#include <cstddef>

// Set by the download window's Cancel and at the program's end, read by the
// worker before each read and before it shows a failure, cleared by the
// worker when it obeys (and by the entry and each new download).
extern std::atomic<long> cancelRequested;

// Where the archive goes: written by the window before the worker starts,
// read by the worker and, once it has ended, by the extraction.
extern char savePath[512];

// The worker's exit code for every failure and cancel; 0 means complete.
constexpr int kDownloadFailed = 50;

// Posted to the window that watches the download: the progress
// (kDownloadProgressMessage), wParam the blocks counted so far, lParam 1
// once the data has ended; then the end (kDownloadEndMessage), wParam 0
// once the archive is at savePath whole, else kDownloadFailed once the
// failure's box (if one was shown) has been answered: the worker then has
// only its exit left.

// Creates the temporary file beside savePath (its file name starts at
// `nameOffset`) before anything is asked of the service: false when that
// path cannot take the archive (a device, a read-only file, a folder that
// cannot be written).
bool prepareDownload(std::size_t nameOffset);

// Starts the worker for `downloadName` (the recording's name and ".zip"),
// which reports to `window` and shows its failures itself, unless it was
// asked to stop. On every path it ends with its temporary file removed or
// moved to savePath. Null, with the temporary file removed, when no thread
// could start.
HANDLE startDownload(const char* downloadName, HWND window);

// The window stops watching (it closes while the worker runs): the worker
// goes on to its own end, and no new download starts before it has ended.
void leaveDownloadRunning(HANDLE worker);

// Whether a download whose window closed still runs.
bool downloadStillFinishing();

// The length the service announced, once the worker has read the headers.
bool downloadLength(DWORD& length);

// At the program's end: gives a download whose window was closed while it
// ran a few seconds to finish, then asks it to stop and waits a moment
// more. A worker still blocked in a read then (it would give up only at the
// request's timeout) is left to end with the program, its temporary file
// already marked for deletion.
void finishDownloadBeforeExit();
