// Splits a recording path chosen in the open dialog into its directory and file name.
#pragma once

#include <cstddef>

enum class SplitResult { ok, nameTooLong, directoryTooLong };

// `path` is the full path, `fileOffset` where its file name starts (as the
// open dialog reports it). The file name is taken whole: the launch decides
// whether the emulator gets it so or without its extension. The directory
// is the path before the separator that precedes the file name; a bare drive
// ("C:") keeps its separator, since "C:" alone would mean the drive's current
// directory rather than its root. Nothing is written past either buffer.
SplitResult splitRecordingPath(const char* path, std::size_t fileOffset, char* directory, std::size_t directorySize,
                               char* fileName, std::size_t fileNameSize);
