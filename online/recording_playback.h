// Extracts a downloaded recording and finds the game and the emulator version that play it back.
#pragma once

#include "online/extract.h"
#include "online/score_record.h"

#include <cstddef>

// What plays a downloaded recording back: the game, the version and the
// recording's file name in the working folder.
struct DownloadedRecording {
    int game;
    int version;
    char fileName[256];
};

// Extracts the recording of the archive at savePath into the working
// folder and finds its game (named by its first bytes) and the version that
// made it (`record`'s, else `fallbackVersion`). False, once the user has
// been told why, when it cannot be played: the recording is then gone.
bool prepareDownloadedRecording(const ScoreRecord& record, int fallbackVersion, DownloadedRecording& recording);

// Extracts the recording of the archive at savePath into the working
// folder, its file name in `fileName`. False, once the user has been told
// why, when there is none to take.
bool extractDownloadedRecording(char* fileName, std::size_t size);

// The version that plays or checks a score's recording: the one it names
// when versions.ini lists it, else `fallbackVersion`.
int scoreVersion(const ScoreRecord& record, int fallbackVersion);

// The words of an extraction that failed: its message and its title, as
// the playback shows them. True, with nothing written, when it went well.
bool describeExtraction(const ExtractResult& result, char* message, std::size_t size, const char*& title);

// Deletes the extracted recording once it has been played back.
void removeDownloadedRecording(const DownloadedRecording& recording);
