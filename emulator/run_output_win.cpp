// What a hidden run leaves in the program's folder: its output, read with a bound and then removed.
#include "emulator/run_output_win.h"

#include "common/program_folder.h"
#include "common/shown_text.h"

#include <algorithm>
#include <cstdio>
#include <vector>

std::string takeRunBytes(const char* name, std::size_t mostBytes)
{
    std::string bytes;
    if (std::FILE* file = std::fopen(ownFile(name).c_str(), "rb")) {
        // In blocks, so that a large bound costs only what the file holds.
        std::vector<char> block(64 * 1024);
        std::size_t got;
        while (bytes.size() < mostBytes &&
               (got = std::fread(block.data(), 1, std::min(block.size(), mostBytes - bytes.size()), file)) > 0)
            bytes.append(block.data(), got);
        std::fclose(file);
    }
    removeRunOutput(name);
    return bytes;
}

std::string takeRunOutput(const char* name, std::size_t mostBytes)
{
    const std::string text = takeRunBytes(name, mostBytes);
    // Today's emulators answer in UTF-8, older ones in the legacy code
    // page; a full read may have stopped inside a character.
    const TextForm form =
        text.size() == mostBytes ? cutTextFormOf(text.data(), text.size()) : textFormOf(text.data(), text.size());
    return programText(text.data(), text.size(), form);
}

void removeRunOutput(const char* name)
{
    // Nothing of the run holds the file any longer; the delete is tried
    // again a moment only for a scanner that opened it meanwhile.
    const std::string path = ownFile(name);
    retryForTwoSeconds([&path] { return DeleteFileA(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND; });
}
