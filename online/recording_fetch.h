// A score's zipped recording fetched from the service into an open file: the transfer of every download.
#pragma once

#include <windows.h>

// What a fetch tells as it goes and asks before each block.
class FetchWatcher {
public:
    // Asked before each block: true ends the fetch, as stopped.
    virtual bool stopAsked() = 0;
    // The length the service announced, once its headers have come.
    virtual void announced(DWORD length, bool known) = 0;
    // The bytes received so far; `ended` once the data has ended.
    virtual void received(unsigned long long bytes, bool ended) = 0;

protected:
    ~FetchWatcher() = default;
};

// The most an archive may hold, and the failure's words past it (256 MB;
// a test build's is smaller): online/service.cpp, compiled for each program.
extern const unsigned long long kMostArchiveBytes;
extern const char kArchiveTooLarge[];

enum class FetchEnd { complete, stopped, failed };

// A failure's words: the message and its title, as a download shows them.
struct FetchOutcome {
    FetchEnd end;
    const char* text;
    const char* title;
};

// Fetches the recording `downloadName` (its name and ".zip") into `file`,
// 1 kB at a time, each read bounded by the request's timeout. An answer
// that is an error page (it begins with "<HTML>" in any letter case), that
// fails, that ends short of the length announced, or that holds more than
// 256 MB (no recording's archive does; it would fill the disk) fails; the
// file then holds what arrived, for the caller to remove.
FetchOutcome fetchRecording(const char* downloadName, HANDLE file, FetchWatcher& watcher);
