// The download window: where to save a score's recording, the progress of its download, and Cancel.
#pragma once

#include "online/score_record.h"

#include <windows.h>

// Asks where to save the recording of `record` and downloads it while
// showing progress. Returns 0 when the archive is at savePath whole,
// kDownloadFailed when the user cancelled or the download failed.
int runDownloadWindow(HWND owner, const ScoreRecord& record);
