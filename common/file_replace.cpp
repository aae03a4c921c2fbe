// Replacing a small file of the program's own only once its new content is on disk whole.
#include "common/file_replace.h"

namespace {

bool writeWhole(HANDLE file, const unsigned char* bytes, DWORD size)
{
    DWORD done = 0;
    while (done < size) {
        DWORD written = 0;
        if (!WriteFile(file, bytes + done, size - done, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

} // namespace

DWORD replaceFileWhole(const char* path, const char* temporaryPath, const void* bytes, DWORD size)
{
    HANDLE file = CreateFileA(temporaryPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError();
    DWORD error = 0;
    if (!writeWhole(file, static_cast<const unsigned char*>(bytes), size) || !FlushFileBuffers(file)) {
        error = GetLastError();
        if (error == 0)
            error = ERROR_DISK_FULL;
    }
    if (!CloseHandle(file) && error == 0)
        error = GetLastError();
    if (error == 0 && !MoveFileExA(temporaryPath, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error != 0)
        DeleteFileA(temporaryPath);
    return error;
}
