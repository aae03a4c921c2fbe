// Reading a small file of the program's own whole, and replacing one only once its new content is on disk whole.
// A path relative to the program's folder is taken from there (ownFile), a whole one as it is.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The bytes of the file at `path`; none when it cannot be opened or read,
// is empty, or is larger than `mostBytes` (then it is no file of ours).
std::vector<char> readFileWhole(const char* path, unsigned long long mostBytes);

// Writes `size` bytes to `temporaryPath` (beside `path`, so that the files
// stay on one volume), then puts it in the place of `path` with ReplaceFile,
// which keeps the file's attributes and security; the file at `path` goes
// to `oldPath` meanwhile and is removed once the new one is in place. Where
// there is no file yet, or the file system cannot replace one, the new file
// is moved over it. A failure removes the temporary file and leaves `path`
// as it was. Returns 0, or the system's error code of the step that failed;
// a write that took nothing without saying why counts as a full disk.
DWORD replaceFileWhole(const char* path, const char* temporaryPath, const char* oldPath, const void* bytes, DWORD size);

// A text file of the program's own in Hobrin's code page, read whole as
// readFileWhole does: UTF-8 as Hobrin writes it, or the legacy code page
// where a player wrote it by hand.
std::string readTextFileWhole(const char* path, unsigned long long mostBytes);
// Replaces a text file of the program's own as replaceFileWhole does, with
// `text`, Hobrin's, in UTF-8.
DWORD replaceTextFileWhole(const char* path, const char* temporaryPath, const char* oldPath, const std::string& text);
