// Replacing a small file of the program's own only once its new content is on disk whole.
#include "common/file_replace.h"

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

} // namespace

DWORD replaceFileWhole(const char* path, const char* temporaryPath, const void* bytes, DWORD size)
{
    HANDLE file = CreateFileA(temporaryPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError();
    DWORD error = writeWhole(file, static_cast<const unsigned char*>(bytes), size);
    if (error == 0 && !FlushFileBuffers(file))
        error = GetLastError();
    if (!CloseHandle(file) && error == 0)
        error = GetLastError();
    if (error == 0 && !MoveFileExA(temporaryPath, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error != 0)
        DeleteFileA(temporaryPath);
    return error;
}
