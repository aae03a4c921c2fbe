// Downloading a score's zipped recording, in a window with progress and Cancel.
#pragma once

#include <windows.h>

// Set by the download window's Cancel, tested by the download worker before
// each read, cleared by the worker when it obeys. Cleared by the entry too.
extern volatile long cancelRequested;

// The path the user chose for the archive; the extraction reads it.
extern char savePath[512];

// Asks where to save the recording of scoreTable[scoreIndex] and downloads
// it while showing progress. Returns 0 when the archive is at savePath whole,
// 50 when the user cancelled or the download failed.
int runDownloadWindow(HWND owner, int scoreIndex);

// At the program's end: gives a download whose window was closed while it
// ran a few seconds to finish, then stops it and removes its temporary file.
void finishDownloadBeforeExit();
