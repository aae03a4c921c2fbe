// Splits a recording path chosen in the open dialog into its directory and file name.
#include "shell/recording_path.h"

#include "common/bounded_text.h"

#include <cstring>

namespace {

bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

} // namespace

SplitResult splitRecordingPath(const char* path, std::size_t fileOffset, char* directory, std::size_t directorySize,
                               char* fileName, std::size_t fileNameSize)
{
    std::size_t pathLength = std::strlen(path);
    if (fileOffset > pathLength)
        fileOffset = pathLength;

    const char* file = path + fileOffset;

    std::size_t directoryLength = fileOffset;
    if (directoryLength > 0 && isSeparator(path[directoryLength - 1]))
        --directoryLength;
    bool bareDrive = directoryLength == 2 && path[1] == ':';
    if (bareDrive && fileOffset > 2)
        directoryLength = 3;

    if (!copySpan(fileName, fileNameSize, file, std::strlen(file))) {
        if (fileNameSize > 0)
            fileName[0] = '\0';
        return SplitResult::nameTooLong;
    }
    if (!copySpan(directory, directorySize, path, directoryLength)) {
        if (directorySize > 0)
            directory[0] = '\0';
        return SplitResult::directoryTooLong;
    }
    return SplitResult::ok;
}
