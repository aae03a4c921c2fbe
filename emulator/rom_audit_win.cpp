// Looks for an emulator's ROMs with its own audit ("-verifyroms"), on a thread of its own.
#include "emulator/rom_audit_win.h"

#include "common/bounded_text.h"
#include "common/file_replace.h"
#include "common/program_files.h"
#include "common/program_folder.h"
#include "common/window_post.h"
#include "emulator/emulator_run_win.h"
#include "emulator/known_emulators_win.h"
#include "emulator/versions.h"

#include <process.h>

#include <cstdio>
#include <vector>

namespace {

// MAME 0.251 names each of its sets that it finds in a line of about 40
// bytes, and each file it misses of them in one more: far below this.
const std::size_t kMostAuditBytes = 32u * 1024 * 1024;

// The one audit: the user-interface thread fills it while no thread runs,
// the thread fills `result`, posts it and ends; the user-interface thread
// reads it after waiting for that end. Made once and never freed, so that a
// thread still ending as the program exits never meets it destroyed.
struct AuditJob {
    HANDLE thread;
    HANDLE cancel; // made once, reset at each start
    HWND window;
    std::string command;
    bool hasKnown;
    AuditKey known;
    AuditResult result;
};
AuditJob& job = *new AuditJob{};

// A few hundred KB for an emulator with every set; a larger file is not ours.
const DWORD kMostFoundFileBytes = 16u * 1024 * 1024;

std::vector<FoundGames> kept;
bool keptRead;

void readFoundFile()
{
    keptRead = true;
    const std::string text = readTextFileWhole(kFoundGamesFile, kMostFoundFileBytes);
    kept = readFoundGames(text.data(), text.size());
}

bool isListedCommand(const std::string& command)
{
    for (int i = 0; i < versionCount && i < kMaxVersions; ++i) {
        if (command == versionTable[i].command)
            return true;
    }
    return false;
}

unsigned long long writeTime(const std::string& folder)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(ownFile(folder.c_str()).c_str(), GetFileExInfoStandard, &data))
        return 0;
    return static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32 |
           data.ftLastWriteTime.dwLowDateTime;
}

// What the audit holds for: the program file, the folders that MAME's
// "-showconfig" names as its rompath (relative to the working folder, where
// MAME runs), and their write times, which change as sets come and go.
// False when the question was cancelled.
bool readAuditKey(AuditResult& result)
{
    AuditKey& key = result.games.key;
    key.command = job.command;
    result.keyKnown = emulatorProgramFile(job.command.c_str(), key.size, key.written);
    EmulatorAnswer config = askEmulator(job.command.c_str(), "-showconfig", kAuditConfigFile, job.cancel);
    if (config.cancelled)
        return false;
    char romPath[512];
    readRomPath(config.text.data(), config.started ? config.text.size() : 0, romPath, sizeof romPath);
    key.romPath = romPath;
    std::vector<unsigned long long> times;
    for (const std::string& folder : splitRomPath(key.romPath))
        times.push_back(writeTime(folder));
    key.folderTimes = formatFolderTimes(times);
    return true;
}

// The answer file, whole: its size is bounded by the run.
std::string readAnswerFile()
{
    std::string text;
    if (std::FILE* file = std::fopen(ownFile(kAuditAnswerFile).c_str(), "rb")) {
        std::vector<char> chunk(64 * 1024);
        std::size_t got;
        while (text.size() < kMostAuditBytes && (got = std::fread(chunk.data(), 1, chunk.size(), file)) > 0)
            text.append(chunk.data(), got);
        std::fclose(file);
    }
    removeRunOutput(kAuditAnswerFile);
    return text;
}

AuditEnd runAudit(AuditResult& result)
{
    char line[1024];
    if (!formatText(line, sizeof line, "%s -verifyroms", job.command.c_str()))
        return AuditEnd::noAnswer;
    // Its percentages on standard error (the releases of 2006) are not read.
    RunOutcome outcome =
        runHidden(HiddenRun{line, kAuditAnswerFile, nullptr, kAuditLimitMs, kMostAuditBytes, job.cancel, nullptr});
    switch (outcome.end) {
    case RunEnd::ended: break;
    case RunEnd::cancelled: removeRunOutput(kAuditAnswerFile); return AuditEnd::cancelled;
    case RunEnd::timedOut:
    case RunEnd::tooLong: removeRunOutput(kAuditAnswerFile); return AuditEnd::unfinished;
    case RunEnd::notStarted:
    case RunEnd::noFile:
    case RunEnd::waitFailed: removeRunOutput(kAuditAnswerFile); return AuditEnd::noAnswer;
    }
    std::string text = readAnswerFile();
    AuditAnswer answer = readAuditAnswer(text.data(), text.size());
    if (!answer.closed && answer.found.empty())
        return AuditEnd::noAnswer;
    result.games.names = keptNames(answer);
    return AuditEnd::found;
}

unsigned __stdcall auditOnThread(void*)
{
    AuditResult& result = job.result;
    if (!readAuditKey(result)) {
        result.end = AuditEnd::cancelled;
    } else if (job.hasKnown && result.keyKnown && result.games.key == job.known) {
        result.end = AuditEnd::unchanged;
    } else {
        PostMessageA(job.window, kAuditLookingMessage, 0, 0);
        result.end = runAudit(result);
    }
    postToWindow(job.window, kAuditAnswerMessage, 0, reinterpret_cast<LPARAM>(&result));
    return 0;
}

} // namespace

bool startRomAudit(HWND window, const char* command, const AuditKey* known)
{
    if (job.thread)
        return false;
    if (!job.cancel)
        job.cancel = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (job.cancel)
        ResetEvent(job.cancel);
    job.window = window;
    job.command = command;
    job.hasKnown = known != nullptr;
    job.known = known ? *known : AuditKey();
    job.result = AuditResult{AuditEnd::cancelled, FoundGames(), false};
    job.thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, auditOnThread, nullptr, 0, nullptr));
    return job.thread != nullptr;
}

const AuditResult& takeRomAuditResult()
{
    // It posted its result and is ending.
    if (job.thread) {
        WaitForSingleObject(job.thread, INFINITE);
        CloseHandle(job.thread);
        job.thread = nullptr;
    }
    return job.result;
}

bool romAuditRunning()
{
    return job.thread != nullptr;
}

void cancelRomAudit()
{
    if (job.thread && job.cancel)
        SetEvent(job.cancel);
}

void endRomAuditBeforeExit()
{
    if (!job.thread)
        return;
    cancelRomAudit();
    // The run ends its tree at once and removes its files; only a folder
    // that does not answer (a network's) could hold the thread longer.
    if (WaitForSingleObject(job.thread, 15000) == WAIT_OBJECT_0) {
        CloseHandle(job.thread);
        job.thread = nullptr;
    }
}

const FoundGames* keptFoundGames(const char* command)
{
    if (!keptRead)
        readFoundFile();
    for (const FoundGames& entry : kept) {
        if (entry.key.command == command)
            return &entry;
    }
    return nullptr;
}

void keepFoundGames(const FoundGames& games)
{
    if (!keptRead)
        readFoundFile();
    std::vector<FoundGames> entries;
    for (FoundGames& entry : kept) {
        if (entry.key.command != games.key.command && isListedCommand(entry.key.command))
            entries.push_back(std::move(entry));
    }
    entries.push_back(games);
    kept.swap(entries);
    std::string text = writeFoundGames(kept);
    replaceTextFileWhole(kFoundGamesFile, kFoundGamesTempFile, kFoundGamesOldFile, text);
}
