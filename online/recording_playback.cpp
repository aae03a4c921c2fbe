// Extracts a downloaded recording and finds the game and the emulator version that play it back.
#include "online/recording_playback.h"

#include "emulator/game_list.h"
#include "emulator/launch.h"
#include "emulator/recording_game.h"
#include "emulator/versions.h"
#include "online/disk_files.h"
#include "online/download.h"
#include "online/extract.h"
#include "common/bounded_text.h"
#include "common/message.h"

#include <cstdio>
#include <cstring>

namespace {

bool reportExtraction(const ExtractResult& result)
{
    char message[512];
    const char* title = nullptr;
    if (describeExtraction(result, message, sizeof message, title))
        return true;
    showMessage(message, title);
    // An archive that cannot be opened is told twice: what failed, then
    // that nothing was extracted.
    if (result.status == ExtractStatus::cannotOpenArchive)
        showMessage("Could not extract INP from downloaded zipfile", "Can't playback");
    return false;
}

// The game's short name from the recording's first bytes. Only a disk file
// is read, so the read can never block.
bool readRecordingFileGame(const char* path, char (&shortName)[kRecordingGameSize])
{
    unsigned char head[kRecordingHeadSize];
    std::FILE* file = openDiskFile(path);
    if (!file)
        return false;
    std::size_t got = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    return readRecordingGame(head, got, shortName);
}

// Finds what to play; tells the user when the recording cannot be played.
bool findPlayback(const char* path, const ScoreRecord& record, int fallbackVersion, int& game, int& version)
{
    char shortName[kRecordingGameSize];
    if (!readRecordingFileGame(path, shortName)) {
        showMessage("The downloaded recording is too short to name its game.", "Can't playback");
        return false;
    }
    game = findGame(shortName);
    if (game < 0) {
        char message[256];
        formatText(message, sizeof message,
                   "This recording is for the game \"%s\", which the game list does not hold. "
                   "Choose the emulator version that lists it and refresh the game list.",
                   shortName);
        showMessage(message, "Can't playback");
        return false;
    }
    version = scoreVersion(record, fallbackVersion);
    return checkLaunchTarget(game, version, "Can't playback");
}

// The extracted recording's path, through which it is read and deleted.
void recordingPath(const DownloadedRecording& recording, char* path, std::size_t size)
{
    formatText(path, size, ".\\%s", recording.fileName);
}

} // namespace

int scoreVersion(const ScoreRecord& record, int fallbackVersion)
{
    // The field is as the feed gave it: a copy makes sure it ends.
    char versionUsed[sizeof record.versionUsed];
    copyText(versionUsed, sizeof versionUsed, record.versionUsed);
    int version = findVersion(versionUsed);
    return version >= 0 ? version : fallbackVersion;
}

bool describeExtraction(const ExtractResult& result, char* message, std::size_t size, const char*& title)
{
    title = "Zip error";
    switch (result.status) {
    case ExtractStatus::ok: return true;
    case ExtractStatus::cannotOpenArchive: copyText(message, size, "Cannot open downloaded Zip file"); return false;
    case ExtractStatus::noRecording: break;
    case ExtractStatus::corruptMember:
        formatText(message, size,
                   "The member \"%s\" of the downloaded Zip file is damaged, so nothing was played. "
                   "Download the recording again.",
                   result.member);
        return false;
    case ExtractStatus::unsupportedMember:
        formatText(message, size,
                   "The member \"%s\" of the downloaded Zip file is encrypted or compressed in a way that is not "
                   "supported, so nothing was played.",
                   result.member);
        return false;
    case ExtractStatus::memberTooLarge:
        formatText(message, size,
                   "The member \"%s\" of the downloaded Zip file is larger than %u MB, so nothing was played.",
                   result.member, static_cast<unsigned>(kMaxMemberSize >> 20));
        return false;
    case ExtractStatus::tooManyMembers:
        formatText(message, size, "The downloaded Zip file holds more than %u files to extract, so nothing was played.",
                   static_cast<unsigned>(kMaxExtractedMembers));
        return false;
    case ExtractStatus::cannotCreateOutput:
        formatText(message, size,
                   "Cannot write \"%s\" into Hobrin's folder (disk full or read-only?), so nothing was played.",
                   result.member);
        return false;
    }
    title = "Can't playback";
    copyText(message, size, "Could not extract INP from downloaded zipfile");
    return false;
}

bool extractDownloadedRecording(char* fileName, std::size_t size)
{
    ExtractResult result = extractInputLog(savePath, ".");
    if (!reportExtraction(result))
        return false;
    copyText(fileName, size, result.baseName);
    return true;
}

bool prepareDownloadedRecording(const ScoreRecord& record, int fallbackVersion, DownloadedRecording& recording)
{
    recording = DownloadedRecording{-1, -1, ""};
    if (!extractDownloadedRecording(recording.fileName, sizeof recording.fileName))
        return false;
    char path[512];
    recordingPath(recording, path, sizeof path);
    if (findPlayback(path, record, fallbackVersion, recording.game, recording.version))
        return true;
    removeFile(path);
    return false;
}

void removeDownloadedRecording(const DownloadedRecording& recording)
{
    char path[512];
    recordingPath(recording, path, sizeof path);
    removeFile(path);
}
