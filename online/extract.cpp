// Picks the recording and its ".cap" companions out of a zip archive and writes them to a folder.
#include "online/extract.h"

#include <unzip.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kStoredNameSize = 512; // longer stored names are refused
constexpr std::size_t kBaseNameMax = 255;    // fits ExtractResult's fields
constexpr std::size_t kPathSize = 1024;
constexpr unsigned kBlockSize = 1024;

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool endsWith(const char* name, const char* suffix, bool ignoreCase)
{
    std::size_t length = std::strlen(name), suffixLength = std::strlen(suffix);
    if (length < suffixLength)
        return false;
    const char* tail = name + length - suffixLength;
    for (std::size_t i = 0; i < suffixLength; ++i) {
        if (ignoreCase ? asciiLower(tail[i]) != asciiLower(suffix[i]) : tail[i] != suffix[i])
            return false;
    }
    return true;
}

bool equalsIgnoringCase(const char* text, std::size_t length, const char* word)
{
    if (std::strlen(word) != length)
        return false;
    for (std::size_t i = 0; i < length; ++i) {
        if (asciiLower(text[i]) != asciiLower(word[i]))
            return false;
    }
    return true;
}

bool isReservedDeviceName(const char* name)
{
    const char* dot = std::strchr(name, '.');
    std::size_t stem = dot ? static_cast<std::size_t>(dot - name) : std::strlen(name);
    for (const char* word : {"con", "prn", "aux", "nul"}) {
        if (equalsIgnoringCase(name, stem, word))
            return true;
    }
    if (stem == 4 && name[3] >= '1' && name[3] <= '9')
        return equalsIgnoringCase(name, 3, "com") || equalsIgnoringCase(name, 3, "lpt");
    return false;
}

// The member the archive is positioned at, when it may be extracted at all.
struct Member {
    char stored[kStoredNameSize];
    const char* base;
};

enum class ScanStep { member, skipped, end, broken };

// Reads the current member's name; `skipped` for one that is treated as absent.
ScanStep readMember(unzFile archive, Member& member)
{
    unz_file_info info;
    if (unzGetCurrentFileInfo(archive, &info, member.stored, sizeof member.stored, nullptr, 0, nullptr, 0) != UNZ_OK)
        return ScanStep::broken;
    // A name that filled the buffer is unterminated or cut short; one with a
    // NUL inside would be read as a different name than the archive holds.
    if (info.size_filename >= sizeof member.stored || std::strlen(member.stored) != info.size_filename)
        return ScanStep::skipped;
    member.base = memberBaseName(member.stored);
    if (std::strlen(member.base) > kBaseNameMax || !isSafeFileName(member.base))
        return ScanStep::skipped;
    return ScanStep::member;
}

// Steps to the next member that may be extracted (or the first, when `first`).
ScanStep nextMember(unzFile archive, Member& member, bool first)
{
    for (;;) {
        int moved = first ? unzGoToFirstFile(archive) : unzGoToNextFile(archive);
        first = false;
        if (moved == UNZ_END_OF_LIST_OF_FILE)
            return ScanStep::end;
        if (moved != UNZ_OK)
            return ScanStep::broken;
        ScanStep step = readMember(archive, member);
        if (step != ScanStep::skipped)
            return step;
    }
}

// What the selection rules pick, found from the names alone so that nothing
// is written when the archive holds no recording.
struct Selection {
    bool firstIsCompanion = false;
    bool found = false;
    unz_file_pos recording{};
};

bool isCompanion(const char* base, bool first)
{
    return endsWith(base, ".cap", first);
}

bool isRecording(const char* base, bool first)
{
    return endsWith(base, ".inp", first);
}

bool select(unzFile archive, Selection& selection)
{
    Member member;
    ScanStep step = nextMember(archive, member, true);
    for (bool first = true; step == ScanStep::member; first = false) {
        if (first)
            selection.firstIsCompanion = isCompanion(member.base, true);
        if (isRecording(member.base, first)) {
            selection.found = unzGetFilePos(archive, &selection.recording) == UNZ_OK;
            return selection.found;
        }
        step = nextMember(archive, member, false);
    }
    return step == ScanStep::end;
}

class Extraction {
public:
    Extraction(unzFile archive, const char* directory) : archive_(archive), directory_(directory) {}

    // Writes the current member to the folder, replacing a file of that name.
    ExtractStatus extract(const char* base)
    {
        char path[kPathSize];
        int length = std::snprintf(path, sizeof path, "%s/%s", directory_, base);
        if (length < 0 || static_cast<std::size_t>(length) >= sizeof path)
            return ExtractStatus::cannotCreateOutput;
        if (unzOpenCurrentFile(archive_) != UNZ_OK)
            return ExtractStatus::corruptMember;
        std::FILE* output = std::fopen(path, "wb");
        if (!output) {
            unzCloseCurrentFile(archive_);
            return ExtractStatus::cannotCreateOutput;
        }
        // Listed before the first byte so that a failure below removes it.
        written_.emplace_back(path);

        ExtractStatus status = ExtractStatus::ok;
        char block[kBlockSize];
        for (;;) {
            int read = unzReadCurrentFile(archive_, block, kBlockSize);
            if (read == 0)
                break;
            if (read < 0) {
                status = ExtractStatus::corruptMember;
                break;
            }
            if (std::fwrite(block, 1, static_cast<std::size_t>(read), output) != static_cast<std::size_t>(read)) {
                status = ExtractStatus::cannotCreateOutput;
                break;
            }
        }
        // The CRC is checked only once the whole member has been read.
        int closed = unzCloseCurrentFile(archive_);
        if (status == ExtractStatus::ok && closed != UNZ_OK)
            status = ExtractStatus::corruptMember;
        // Data still buffered may fail to reach the disk only here.
        if (std::fclose(output) != 0 && status == ExtractStatus::ok)
            status = ExtractStatus::cannotCreateOutput;
        return status;
    }

    // Removes everything this call wrote.
    void discard()
    {
        for (const std::string& path : written_)
            std::remove(path.c_str());
        written_.clear();
    }

private:
    unzFile archive_;
    const char* directory_;
    std::vector<std::string> written_;
};

void copyName(char (&field)[256], const char* name)
{
    std::snprintf(field, sizeof field, "%s", name);
}

ExtractResult finish(unzFile archive, ExtractResult result, ExtractStatus status)
{
    unzClose(archive);
    result.status = status;
    return result;
}

ExtractResult fail(unzFile archive, ExtractResult result, Extraction& extraction, ExtractStatus status,
                   const char* member)
{
    extraction.discard();
    copyName(result.member, member);
    return finish(archive, result, status);
}

} // namespace

const char* memberBaseName(const char* storedName)
{
    if (!storedName)
        return "";
    const char* base = storedName;
    for (const char* c = storedName; *c; ++c) {
        if (*c == '/' || *c == '\\')
            base = c + 1;
    }
    return base;
}

bool isSafeFileName(const char* baseName)
{
    if (!baseName || !*baseName || std::strcmp(baseName, ".") == 0 || std::strcmp(baseName, "..") == 0)
        return false;
    for (const char* c = baseName; *c; ++c) {
        unsigned char byte = static_cast<unsigned char>(*c);
        if (byte < 0x20 || std::strchr("<>:\"/\\|?*", *c))
            return false;
    }
    char last = baseName[std::strlen(baseName) - 1];
    if (last == '.' || last == ' ')
        return false;
    return !isReservedDeviceName(baseName);
}

ExtractResult extractInputLog(const char* archivePath, const char* directory)
{
    ExtractResult result{};
    result.status = ExtractStatus::cannotOpenArchive;
    // An empty folder would put the files at the root of the drive.
    if (!directory || !*directory) {
        result.status = ExtractStatus::cannotCreateOutput;
        return result;
    }
    unzFile archive = archivePath ? unzOpen(archivePath) : nullptr;
    if (!archive)
        return result;

    unz_global_info global;
    if (unzGetGlobalInfo(archive, &global) != UNZ_OK)
        return finish(archive, result, ExtractStatus::cannotOpenArchive);
    if (global.number_entry == 0)
        return finish(archive, result, ExtractStatus::noRecording);

    Selection selection;
    if (!select(archive, selection))
        return finish(archive, result, ExtractStatus::cannotOpenArchive);
    if (!selection.found)
        return finish(archive, result, ExtractStatus::noRecording);

    Extraction extraction(archive, directory);
    Member member;
    ScanStep step = nextMember(archive, member, true);
    // A first member that is a companion is the only one.
    for (bool first = true; step == ScanStep::member; first = false) {
        if (first ? selection.firstIsCompanion : isCompanion(member.base, false)) {
            ExtractStatus status = extraction.extract(member.base);
            if (status != ExtractStatus::ok)
                return fail(archive, result, extraction, status, member.base);
        }
        if (first && selection.firstIsCompanion)
            break;
        step = nextMember(archive, member, false);
    }
    if (step == ScanStep::broken)
        return fail(archive, result, extraction, ExtractStatus::cannotOpenArchive, "");

    if (unzGoToFilePos(archive, &selection.recording) != UNZ_OK || readMember(archive, member) != ScanStep::member)
        return fail(archive, result, extraction, ExtractStatus::cannotOpenArchive, "");
    ExtractStatus status = extraction.extract(member.base);
    if (status != ExtractStatus::ok)
        return fail(archive, result, extraction, status, member.base);
    copyName(result.baseName, member.base);
    return finish(archive, result, ExtractStatus::ok);
}
