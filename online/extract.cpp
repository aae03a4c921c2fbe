// Picks the recording and its ".cap" companions out of a zip archive and writes them to a folder.
#include "online/extract.h"

#include "online/disk_files.h"
#include "online/file_names.h"

#include <unzip.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kStoredNameSize = 512; // longer stored names are refused
constexpr std::size_t kBaseNameMax = 255;    // fits ExtractResult's fields
constexpr std::size_t kPathSize = 1024;
constexpr unsigned kBlockSize = 1024;
constexpr unsigned long kStored = 0;
constexpr unsigned long kDeflated = 8;
constexpr unsigned long kEncryptedFlag = 1;

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

// The archive is read only when it is a file on a disk: minizip's own
// opening would read a device just as well, and a read could then block.
voidpf ZCALLBACK openArchiveFile(voidpf, const void* path, int mode)
{
    if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ)
        return nullptr;
    return openDiskFile(static_cast<const char*>(path));
}

unzFile openArchive(const char* path)
{
    zlib_filefunc64_def functions;
    fill_fopen64_filefunc(&functions);
    functions.zopen64_file = openArchiveFile;
    return unzOpen2_64(path, &functions);
}

struct Member {
    char stored[kStoredNameSize];
    const char* base;
    bool usable; // its base name may be a file name in the folder
    unz_file_info64 info;
};

// Reads the current member's name and header. False when the archive's
// directory cannot be read there.
bool readMember(unzFile archive, Member& member)
{
    if (unzGetCurrentFileInfo64(archive, &member.info, member.stored, sizeof member.stored, nullptr, 0, nullptr, 0) !=
        UNZ_OK)
        return false;
    // A name that filled the buffer is unterminated or cut short; one with a
    // zero byte inside would be read as a different name than the archive holds.
    bool whole =
        member.info.size_filename < sizeof member.stored && std::strlen(member.stored) == member.info.size_filename;
    if (!whole)
        member.stored[0] = '\0';
    member.base = memberBaseName(member.stored);
    member.usable = whole && std::strlen(member.base) <= kBaseNameMax && isSafeFileName(member.base);
    return true;
}

// What the selection rules pick, found from the names alone so that nothing
// is written when the archive holds no recording. The archive's own first
// member is the one whose name is compared without regard to case, even
// when it is not extracted because its name is unsafe.
struct Selection {
    std::vector<unz64_file_pos> companions;
    std::size_t companionCount = 0;
    bool found = false;
    unz64_file_pos recording{};
};

bool select(unzFile archive, Selection& selection)
{
    Member member;
    bool firstIsCompanion = false;
    bool first = true;
    int moved = unzGoToFirstFile(archive);
    for (; moved == UNZ_OK; moved = unzGoToNextFile(archive), first = false) {
        if (!readMember(archive, member))
            return false;
        if (!member.usable)
            continue;
        bool companion =
            first ? endsWith(member.base, ".cap", true) : !firstIsCompanion && endsWith(member.base, ".cap", false);
        firstIsCompanion |= first && companion;
        bool recording = !selection.found && endsWith(member.base, ".inp", first);
        if (!companion && !recording)
            continue;
        unz64_file_pos position;
        if (unzGetFilePos64(archive, &position) != UNZ_OK)
            return false;
        if (recording) {
            selection.recording = position;
            selection.found = true;
        } else if (++selection.companionCount < kMaxExtractedMembers) {
            selection.companions.push_back(position);
        }
    }
    return moved == UNZ_END_OF_LIST_OF_FILE;
}

// One member on its way into the folder.
struct Pending {
    std::string member;    // its base name, for a message
    std::string temporary; // where it is written first
    std::string target;    // where it goes
    std::string backup;    // a name reserved for a file already at the target
    bool backedUp = false; // that file has been moved to the backup name
    bool placed = false;   // the member is at its target
};

// Writes members to temporary files, then moves them all into place, or
// takes every step back so that the folder is as it was.
class Extraction {
public:
    Extraction(unzFile archive, const char* directory) : archive_(archive), directory_(directory) {}
    ~Extraction() { rollBack(); }

    ExtractStatus write(const Member& member)
    {
        if ((member.info.flag & kEncryptedFlag) ||
            (member.info.compression_method != kStored && member.info.compression_method != kDeflated))
            return ExtractStatus::unsupportedMember;
        if (member.info.uncompressed_size > kMaxMemberSize)
            return ExtractStatus::memberTooLarge;
        char target[kPathSize];
        int length = std::snprintf(target, sizeof target, "%s/%s", directory_, member.base);
        if (length < 0 || static_cast<std::size_t>(length) >= sizeof target)
            return ExtractStatus::cannotCreateOutput;
        char temporary[kPathSize];
        std::FILE* output = createTemporaryFile(directory_, temporary, sizeof temporary);
        if (!output)
            return ExtractStatus::cannotCreateOutput;
        files_.push_back(Pending{member.base, temporary, target, {}, false, false});

        ExtractStatus status = copyCurrentMember(output, member.info.uncompressed_size);
        // Data still buffered may fail to reach the disk only here.
        if (std::fclose(output) != 0 && status == ExtractStatus::ok)
            status = ExtractStatus::cannotCreateOutput;
        return status;
    }

    // Moves every written member to its target. A read-only file or a
    // folder at a target refuses the whole extraction before anything moves.
    // On failure `failed` names the member that was not placed.
    bool placeAll(std::string& failed)
    {
        for (const Pending& file : files_) {
            if (!mayReplace(file.target.c_str())) {
                failed = file.member;
                return false;
            }
        }
        for (Pending& file : files_) {
            bool placed = (pathKind(file.target.c_str()) != PathKind::file || moveAside(file)) &&
                          moveFile(file.temporary.c_str(), file.target.c_str(), false);
            if (!placed) {
                failed = file.member;
                return false;
            }
            file.placed = true;
        }
        for (Pending& file : files_) {
            if (!file.backup.empty())
                removeFile(file.backup.c_str());
        }
        files_.clear();
        return true;
    }

private:
    ExtractStatus copyCurrentMember(std::FILE* output, unsigned long long declaredSize)
    {
        if (unzOpenCurrentFile(archive_) != UNZ_OK)
            return ExtractStatus::corruptMember;
        ExtractStatus status = ExtractStatus::ok;
        unsigned long long written = 0;
        char block[kBlockSize];
        for (;;) {
            int read = unzReadCurrentFile(archive_, block, kBlockSize);
            if (read == 0)
                break;
            if (read < 0) {
                status = ExtractStatus::corruptMember;
                break;
            }
            // Counted as written: the header's size is not to be trusted.
            if (written + static_cast<unsigned>(read) > kMaxMemberSize) {
                status = ExtractStatus::memberTooLarge;
                break;
            }
            if (std::fwrite(block, 1, static_cast<std::size_t>(read), output) != static_cast<std::size_t>(read)) {
                status = ExtractStatus::cannotCreateOutput;
                break;
            }
            written += static_cast<unsigned>(read);
        }
        // The CRC is checked only once all the declared bytes were read, so
        // a stream that ends early must be caught by its length.
        int closed = unzCloseCurrentFile(archive_);
        if (status == ExtractStatus::ok && (closed != UNZ_OK || written != declaredSize))
            status = ExtractStatus::corruptMember;
        return status;
    }

    // The user's file at the target goes to a reserved name until the
    // extraction has succeeded, so that a failure can put it back.
    bool moveAside(Pending& file)
    {
        char backup[kPathSize];
        std::FILE* reserved = createTemporaryFile(directory_, backup, sizeof backup);
        if (!reserved)
            return false;
        std::fclose(reserved);
        file.backup = backup;
        file.backedUp = moveFile(file.target.c_str(), backup, true);
        return file.backedUp;
    }

    void rollBack()
    {
        for (auto file = files_.rbegin(); file != files_.rend(); ++file) {
            removeFile(file->placed ? file->target.c_str() : file->temporary.c_str());
            if (file->backedUp)
                moveFile(file->backup.c_str(), file->target.c_str(), false);
            else if (!file->backup.empty())
                removeFile(file->backup.c_str());
        }
        files_.clear();
    }

    unzFile archive_;
    const char* directory_;
    std::vector<Pending> files_;
};

void copyName(char (&field)[256], const char* name)
{
    std::snprintf(field, sizeof field, "%s", name);
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

ExtractResult extractInputLog(const char* archivePath, const char* directory)
{
    ExtractResult result{};
    result.status = ExtractStatus::cannotOpenArchive;
    // An empty folder would put the files at the root of the drive.
    if (!directory || !*directory) {
        result.status = ExtractStatus::cannotCreateOutput;
        return result;
    }
    unzFile archive = archivePath ? openArchive(archivePath) : nullptr;
    if (!archive)
        return result;

    unz_global_info64 global;
    Selection selection;
    if (unzGetGlobalInfo64(archive, &global) != UNZ_OK)
        result.status = ExtractStatus::cannotOpenArchive;
    else if (global.number_entry == 0)
        result.status = ExtractStatus::noRecording;
    else if (!select(archive, selection))
        result.status = ExtractStatus::cannotOpenArchive;
    else if (!selection.found)
        result.status = ExtractStatus::noRecording;
    else if (selection.companionCount + 1 > kMaxExtractedMembers)
        result.status = ExtractStatus::tooManyMembers;
    else
        result.status = ExtractStatus::ok;
    if (result.status != ExtractStatus::ok) {
        unzClose(archive);
        return result;
    }

    // Companions first, then the recording: the order they are written in.
    std::vector<unz64_file_pos> members = selection.companions;
    members.push_back(selection.recording);
    Extraction extraction(archive, directory);
    Member member;
    for (const unz64_file_pos& position : members) {
        if (unzGoToFilePos64(archive, &position) != UNZ_OK || !readMember(archive, member)) {
            result.status = ExtractStatus::cannotOpenArchive;
            break;
        }
        result.status = extraction.write(member);
        if (result.status != ExtractStatus::ok) {
            copyName(result.member, member.base);
            break;
        }
    }
    std::string failed;
    if (result.status == ExtractStatus::ok && !extraction.placeAll(failed)) {
        result.status = ExtractStatus::cannotCreateOutput;
        copyName(result.member, failed.c_str());
    }
    // The recording is the last member written.
    if (result.status == ExtractStatus::ok)
        copyName(result.baseName, member.base);
    unzClose(archive);
    return result;
}
