// Reading a small file of the program's own whole, and replacing one only once its new content is on disk whole.
#include "common/file_replace.h"

#include "common/program_folder.h"
#include "common/shown_text.h"

namespace {

// Returns 0, or the system's error code. A write that took nothing without
// saying why counts as a full disk: what GetLastError holds then is an
// earlier call's (CREATE_ALWAYS leaves ERROR_ALREADY_EXISTS there).
DWORD writeWhole(HANDLE file, const unsigned char* bytes, DWORD size)
{
    DWORD done = 0;
    while (done < size) {
        DWORD written = 0;
        if (!WriteFile(file, bytes + done, size - done, &written, nullptr))
            return GetLastError();
        if (written == 0)
            return ERROR_DISK_FULL;
        done += written;
    }
    return 0;
}

DWORD moveOver(const char* path, const char* temporaryPath)
{
    return MoveFileExA(temporaryPath, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 0 : GetLastError();
}

// The answers by which ReplaceFile says that the volume cannot do what it
// asks of it (a file system or network share without one of its requests;
// the arguments given are always valid, so an invalid parameter comes from
// there too), having changed neither file. Denied access, a sharing
// violation or a failed rename are no such answer: a move would fail as
// well, or take the file's permissions from it.
bool volumeCannotReplace(DWORD error)
{
    return error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION || error == ERROR_CALL_NOT_IMPLEMENTED ||
           error == ERROR_INVALID_PARAMETER;
}

bool exists(const char* path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// ReplaceFile gives the new file the old one's attributes and security.
// Without a name to keep the old file under, a failed last step may leave
// no file at all (Wine's moves the old one away and deletes it first), so
// it gets one, and goes back from there if the new file did not follow;
// should even that fail, the old content stays under that name. Merge
// errors are ignored: a player who may write the file but not change its
// permissions still gets the edit, with what a move would have given it.
DWORD putInPlace(const char* path, const char* temporaryPath, const char* oldPath)
{
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES && GetLastError() == ERROR_FILE_NOT_FOUND)
        return moveOver(path, temporaryPath);
    // An old file that an earlier save left when the program ended before removing it.
    DeleteFileA(oldPath);
    if (ReplaceFileA(path, temporaryPath, oldPath, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        DeleteFileA(oldPath);
        return 0;
    }
    DWORD error = GetLastError();
    if (!exists(path) && exists(oldPath) && !MoveFileExA(oldPath, path, 0))
        return error;
    if (volumeCannotReplace(error))
        return moveOver(path, temporaryPath);
    return error;
}

} // namespace

DWORD replaceFileWhole(const char* name, const char* temporaryName, const char* oldName, const void* bytes, DWORD size)
{
    const std::string wholePath = ownFile(name), wholeTemporary = ownFile(temporaryName), wholeOld = ownFile(oldName);
    const char* path = wholePath.c_str();
    const char* temporaryPath = wholeTemporary.c_str();
    const char* oldPath = wholeOld.c_str();
    HANDLE file = CreateFileA(temporaryPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError();
    DWORD error = writeWhole(file, static_cast<const unsigned char*>(bytes), size);
    if (error == 0 && !FlushFileBuffers(file))
        error = GetLastError();
    if (!CloseHandle(file) && error == 0)
        error = GetLastError();
    if (error == 0)
        error = putInPlace(path, temporaryPath, oldPath);
    if (error != 0)
        DeleteFileA(temporaryPath);
    return error;
}

std::vector<char> readFileWhole(const char* path, unsigned long long mostBytes)
{
    std::vector<char> text;
    HANDLE file = CreateFileA(ownFile(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return text;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 &&
        static_cast<unsigned long long>(size.QuadPart) <= mostBytes && size.QuadPart <= MAXDWORD) {
        text.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD got = 0;
        if (!ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &got, nullptr))
            got = 0;
        text.resize(got);
    }
    CloseHandle(file);
    return text;
}

std::string readTextFileWhole(const char* path, unsigned long long mostBytes)
{
    const std::vector<char> bytes = readFileWhole(path, mostBytes);
    return programText(bytes.data(), bytes.size(), textFormOf(bytes.data(), bytes.size()));
}

DWORD replaceTextFileWhole(const char* path, const char* temporaryPath, const char* oldPath, const std::string& text)
{
    const std::string bytes = utf8Text(text);
    return replaceFileWhole(path, temporaryPath, oldPath, bytes.data(), static_cast<DWORD>(bytes.size()));
}
