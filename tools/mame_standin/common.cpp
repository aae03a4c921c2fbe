// The stand-in's file and text helpers, shared by its parts.
#include "standin.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace standin {

// The front-end reads these logs line by line while we run, so each call is one
// whole append and the file is shared for reading and for other writers.
void appendLine(const char* fileName, std::string line)
{
    line += "\r\n";
    for (int attempt = 0; attempt < 50; ++attempt) {
        HANDLE file = CreateFileA(fileName, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
            CloseHandle(file);
            return;
        }
        if (GetLastError() != ERROR_SHARING_VIOLATION)
            break;
        Sleep(10);
    }
    std::fprintf(stderr, "Warning: could not append to %s\n", fileName);
}

bool readFile(const std::string& path, std::string& contents)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    contents.clear();
    char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        contents.append(chunk, got);
    bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    // A UTF-8 mark from a text editor is not part of the first line.
    std::istringstream in(text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? text.substr(3) : text);
    for (std::string line; std::getline(in, line); lines.push_back(line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
    }
    return lines;
}

std::string trim(const std::string& text)
{
    const char* blanks = " \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

bool parseInteger(const std::string& text, long long low, long long high, long long& value)
{
    if (text.empty())
        return false;
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    long long parsed = std::strtoll(begin, &end, 10);
    if (errno == ERANGE || end == begin || *end != '\0' || parsed < low || parsed > high)
        return false;
    // strtoll skips leading blanks; an argument with them is not a plain number.
    if (begin[0] == ' ' || begin[0] == '\t')
        return false;
    value = parsed;
    return true;
}

bool createDirectories(const std::string& path)
{
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i < path.size() && !isSeparator(path[i]))
            continue;
        std::string prefix = path.substr(0, i);
        // Skip drive roots such as "C:" and the leading separators of UNC or rooted paths.
        if (prefix.empty() || isSeparator(prefix.back()) || (prefix.size() == 2 && prefix[1] == ':'))
            continue;
        // Failures along the way (a UNC server name, say) don't matter; only the end result does.
        CreateDirectoryA(prefix.c_str(), nullptr);
    }
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void writeAll(FILE* stream, const std::string& bytes)
{
    if (!bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}

int fail(const std::string& message, int exitCode)
{
    std::fprintf(stderr, "Error: %s\n", message.c_str());
    return exitCode;
}

// Up to 0xFFFFFFFF, so that a test can fake a crash status such as 0xC0000005.
int exitStatus(const Control& control)
{
    return static_cast<int>(static_cast<unsigned>(control.exitCode & 0xFFFFFFFFLL));
}

} // namespace standin
