// Files whose names or contents come from outside, opened and created so that none of them is ever a device.
#pragma once

#include <cstddef>
#include <cstdio>

// Opens an existing file for binary reading, only when it is a file on a
// disk: never a device, pipe or console, whose reads could block for good or
// reach hardware. Null for those and for what cannot be opened.
std::FILE* openDiskFile(const char* path);

// Creates a new, empty file with a short name ("~" and up to four hex digits)
// that nothing in `directory` has yet, open for binary writing, and writes its
// path into `path`. Null when no such file can be made there, or when its
// path would not fit `pathSize` or the system's path limit.
std::FILE* createTemporaryFile(const char* directory, char* path, std::size_t pathSize);

enum class PathKind {
    missing,      // nothing there
    file,         // a disk file that may be replaced
    readOnlyFile, // a disk file marked read-only: never replaced
    other,        // a folder, a device, or what cannot be looked at
};
PathKind pathKind(const char* path);

// True when a file from outside may be put at `path`: nothing is there, or a
// disk file that is not read-only. Windows refuses to move over a read-only
// file where Wine would not, so this decides for both.
inline bool mayReplace(const char* path)
{
    PathKind kind = pathKind(path);
    return kind == PathKind::missing || kind == PathKind::file;
}

// Renames `from` to `to` in the same folder. With `replace` an existing file
// at `to` is replaced; without, the move fails when `to` exists.
bool moveFile(const char* from, const char* to, bool replace);
bool removeFile(const char* path);
