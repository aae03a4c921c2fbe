// Feeds arbitrary bytes as a zip archive to the extraction: whatever it holds,
// files appear only directly inside the output folder, only regular files
// whose names Windows takes as plain file names, and none are left when it
// fails.
#include "online/extract.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace {

// One folder per process: the archive and the output folder inside it, and
// nothing else may ever appear there. A plain array, as it is still needed by
// the exit handler after static strings are gone.
char workPath[4096];

std::string workFolder()
{
    if (!workPath[0]) {
        // Memory-backed when there is such a folder: every run creates and
        // removes files, which a disk makes several times slower.
        const char* tmp = std::getenv("TMPDIR");
        struct stat shm;
        bool shmUsable = stat("/dev/shm", &shm) == 0 && S_ISDIR(shm.st_mode) && access("/dev/shm", W_OK) == 0;
        if (!tmp || !*tmp)
            tmp = shmUsable ? "/dev/shm" : "/tmp";
        int length = std::snprintf(workPath, sizeof workPath, "%s/hobrin_extract_fuzz_XXXXXX", tmp);
        if (length < 0 || static_cast<std::size_t>(length) >= sizeof workPath || !mkdtemp(workPath))
            std::abort();
    }
    return workPath;
}

// Windows' rules for a file name, written again here rather than taken from
// the program, so that a gap in the program's own check shows up as a finding.
// Bytes are code page 1252 characters, as the program's ANSI calls read them.
char asciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Windows takes the part before the first dot, without its trailing blanks
// and dots, and compares it with the device names in any letter case.
bool namesDevice(std::string_view name)
{
    std::string stem(name.substr(0, name.find('.')));
    while (!stem.empty() && (stem.back() == ' ' || stem.back() == '.'))
        stem.pop_back();
    for (char& c : stem)
        c = asciiUpper(c);
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
        if (stem == device)
            return true;
    }
    if (stem.size() != 4 || (stem.compare(0, 3, "COM") != 0 && stem.compare(0, 3, "LPT") != 0))
        return false;
    // 0-9 and the superscripts one, two and three.
    const unsigned char number = static_cast<unsigned char>(stem[3]);
    return (number >= '0' && number <= '9') || number == 0xB9 || number == 0xB2 || number == 0xB3;
}

bool isPlainWindowsFileName(std::string_view name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos)
            return false;
    }
    if (name.back() == '.' || name.back() == ' ')
        return false;
    return !namesDevice(name);
}

// The entries of a folder; none when it cannot be read.
std::vector<std::string> entriesOf(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                names.emplace_back(entry->d_name);
        }
        closedir(dir);
    }
    return names;
}

// Leaves nothing behind: at the end, and before a finding ends the process.
void removeWork()
{
    const std::string work = workFolder(), out = work + "/out";
    for (const std::string& name : entriesOf(out))
        std::remove((out + "/" + name).c_str());
    for (const std::string& name : entriesOf(work))
        std::remove((work + "/" + name).c_str());
    rmdir(work.c_str());
}

void require(bool condition)
{
    if (!condition) {
        removeWork();
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool registered = std::atexit(removeWork) == 0;
    (void)registered;
    const std::string work = workFolder();
    const std::string archive = work + "/in.zip", out = work + "/out";

    std::FILE* file = std::fopen(archive.c_str(), "wb");
    require(file && std::fwrite(data, 1, size, file) == size && std::fclose(file) == 0);
    require(mkdir(out.c_str(), 0700) == 0);

    ExtractResult result = extractInputLog(archive.c_str(), out.c_str());
    require(std::memchr(result.baseName, '\0', sizeof result.baseName) &&
            std::memchr(result.member, '\0', sizeof result.member));

    for (const std::string& name : entriesOf(work))
        require(name == "in.zip" || name == "out");
    std::vector<std::string> written = entriesOf(out);
    bool recordingWritten = false;
    for (const std::string& name : written) {
        struct stat info;
        require(lstat((out + "/" + name).c_str(), &info) == 0 && S_ISREG(info.st_mode) && isPlainWindowsFileName(name));
        recordingWritten |= name == result.baseName;
        std::remove((out + "/" + name).c_str());
    }
    // Only a success leaves files, and then the recording is among them.
    require(result.status == ExtractStatus::ok ? recordingWritten : written.empty());
    require(rmdir(out.c_str()) == 0);
    return 0;
}
