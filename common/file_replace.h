// Replacing a small file of the program's own only once its new content is on disk whole.
#pragma once

#include <windows.h>

// Writes `size` bytes to `temporaryPath` (beside `path`, so that the move
// stays on one volume), then moves it over `path`. A failure removes the
// temporary file and leaves `path` as it was. Returns 0, or the system's
// error code of the step that failed; a write that took nothing without
// saying why counts as a full disk.
DWORD replaceFileWhole(const char* path, const char* temporaryPath, const void* bytes, DWORD size);
