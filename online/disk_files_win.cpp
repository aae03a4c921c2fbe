// Files from outside on Windows: every handle is checked to be a disk file before it is used; a relative
// path is taken from the program's folder.
#include "online/disk_files.h"
#include "online/disk_files_win.h"

#include "common/bounded_text.h"
#include "common/program_folder.h"

#include <fcntl.h>
#include <io.h>

#include <cstring>

namespace {

// A device (serial port, printer, console) or pipe is closed unused: reading
// one could block the program for good, and writing one reaches hardware.
bool keepOnlyDiskFile(HANDLE file)
{
    if (file == INVALID_HANDLE_VALUE)
        return false;
    if (GetFileType(file) == FILE_TYPE_DISK)
        return true;
    CloseHandle(file);
    return false;
}

std::FILE* streamOf(HANDLE file, int flags, const char* mode)
{
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), flags);
    if (fd < 0) {
        CloseHandle(file);
        return nullptr;
    }
    std::FILE* stream = _fdopen(fd, mode);
    if (!stream)
        _close(fd);
    return stream;
}

} // namespace

std::FILE* openDiskFile(const char* path)
{
    HANDLE file = CreateFileA(ownFile(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!keepOnlyDiskFile(file))
        return nullptr;
    return streamOf(file, _O_RDONLY | _O_BINARY, "rb");
}

HANDLE createTemporaryHandle(const char* folder, char* path, std::size_t pathSize)
{
    static unsigned counter;
    const std::string whole = ownFile(folder);
    const char* directory = whole.c_str();
    std::size_t directoryLength = whole.size();
    // As many hex digits as the path limit leaves room for, at most four.
    std::size_t room = MAX_PATH - 1 > directoryLength + 2 ? MAX_PATH - 1 - directoryLength - 2 : 0;
    int digits = room < 4 ? static_cast<int>(room) : 4;
    unsigned mask = (1u << (4 * digits)) - 1;
    unsigned seed = GetTickCount() ^ (GetCurrentProcessId() << 8);
    for (int attempt = 0; digits > 0 && attempt < 64; ++attempt) {
        unsigned number = (seed + counter++ * 40503u) & mask;
        if (!formatText(path, pathSize, "%s\\~%0*x", directory, digits, number))
            break;
        HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            DWORD error = GetLastError();
            // A folder of that name answers "access denied".
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED)
                continue;
            break;
        }
        if (keepOnlyDiskFile(file))
            return file;
        break;
    }
    if (pathSize > 0)
        path[0] = '\0';
    return INVALID_HANDLE_VALUE;
}

std::FILE* createTemporaryFile(const char* directory, char* path, std::size_t pathSize)
{
    HANDLE file = createTemporaryHandle(directory, path, pathSize);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    std::FILE* stream = streamOf(file, _O_WRONLY | _O_BINARY, "wb");
    if (!stream)
        DeleteFileA(path);
    return stream;
}

PathKind pathKind(const char* name)
{
    const std::string whole = ownFile(name);
    const char* path = whole.c_str();
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathKind::missing : PathKind::other;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return PathKind::other;
    // Asking for no access opens even a file that another program holds.
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!keepOnlyDiskFile(file))
        return PathKind::other;
    CloseHandle(file);
    return (attributes & FILE_ATTRIBUTE_READONLY) ? PathKind::readOnlyFile : PathKind::file;
}

bool moveFile(const char* from, const char* to, bool replace)
{
    return MoveFileExA(ownFile(from).c_str(), ownFile(to).c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0) != FALSE;
}

bool removeFile(const char* path)
{
    return DeleteFileA(ownFile(path).c_str()) != FALSE;
}
