// Feeds arbitrary bytes as a zip archive to the extraction: whatever it holds,
// files appear only directly inside the output folder, only regular files, and
// none are left when it fails.
#include "online/extract.h"
#include "online/file_names.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
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

std::vector<std::string> list(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        std::abort();
    while (dirent* entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.emplace_back(entry->d_name);
    }
    closedir(dir);
    return names;
}

void removeWork()
{
    const std::string work = workFolder();
    std::remove((work + "/in.zip").c_str());
    rmdir((work + "/out").c_str());
    rmdir(work.c_str());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool registered = std::atexit(removeWork) == 0;
    (void)registered;
    const std::string work = workFolder();
    const std::string archive = work + "/in.zip", out = work + "/out";

    std::FILE* file = std::fopen(archive.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
        std::abort();
    if (mkdir(out.c_str(), 0700) != 0)
        std::abort();

    ExtractResult result = extractInputLog(archive.c_str(), out.c_str());
    if (!std::memchr(result.baseName, '\0', sizeof result.baseName) ||
        !std::memchr(result.member, '\0', sizeof result.member))
        std::abort();

    for (const std::string& name : list(work)) {
        if (name != "in.zip" && name != "out")
            std::abort();
    }
    std::vector<std::string> written = list(out);
    bool recordingWritten = false;
    for (const std::string& name : written) {
        struct stat info;
        if (lstat((out + "/" + name).c_str(), &info) != 0 || !S_ISREG(info.st_mode) || !isSafeFileName(name.c_str()))
            std::abort();
        recordingWritten |= name == result.baseName;
        std::remove((out + "/" + name).c_str());
    }
    // Only a success leaves files, and then the recording is among them.
    if (result.status == ExtractStatus::ok ? !recordingWritten : !written.empty())
        std::abort();
    if (rmdir(out.c_str()) != 0)
        std::abort();
    return 0;
}
