// Files from outside on POSIX systems: the native builds of the extraction's tests and fuzzers.
#include "online/disk_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

std::FILE* openDiskFile(const char* path)
{
    // Without O_NONBLOCK, opening a FIFO would wait for a writer.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return nullptr;
    }
    std::FILE* file = fdopen(fd, "rb");
    if (!file)
        close(fd);
    return file;
}

std::FILE* createTemporaryFile(const char* directory, char* path, std::size_t pathSize)
{
    static unsigned counter;
    unsigned seed = static_cast<unsigned>(std::time(nullptr)) ^ (static_cast<unsigned>(getpid()) << 8);
    for (int attempt = 0; attempt < 64; ++attempt) {
        unsigned number = (seed + counter++ * 40503u) & 0xFFFFu;
        int length = std::snprintf(path, pathSize, "%s/~%04x", directory, number);
        if (length < 0 || static_cast<std::size_t>(length) >= pathSize)
            break;
        int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            break;
        }
        std::FILE* file = fdopen(fd, "wb");
        if (file)
            return file;
        close(fd);
        unlink(path);
        break;
    }
    if (pathSize > 0)
        path[0] = '\0';
    return nullptr;
}

PathKind pathKind(const char* path)
{
    struct stat info;
    if (lstat(path, &info) != 0)
        return errno == ENOENT ? PathKind::missing : PathKind::other;
    if (!S_ISREG(info.st_mode))
        return PathKind::other;
    return (info.st_mode & 0222) == 0 ? PathKind::readOnlyFile : PathKind::file;
}

bool moveFile(const char* from, const char* to, bool replace)
{
    if (replace)
        return std::rename(from, to) == 0;
    // A link fails when the name is taken; the move is then not made.
    if (link(from, to) != 0)
        return false;
    unlink(from);
    return true;
}

bool removeFile(const char* path)
{
    return unlink(path) == 0;
}
