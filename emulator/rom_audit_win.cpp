// Looks for an emulator's ROMs with its own audit ("-verifyroms"), on a thread of its own.
#include "emulator/rom_audit_win.h"

#include "common/bounded_text.h"
#include "common/file_time.h"
#include "common/file_replace.h"
#include "common/program_files.h"
#include "common/program_folder.h"
#include "common/window_post.h"
#include "emulator/emulator_run_win.h"
#include "emulator/run_output_win.h"
#include "emulator/known_emulators_win.h"
#include "emulator/versions.h"

#include <process.h>

#include <vector>

namespace {

// MAME 0.251 names each of its sets that it finds in a line of about 40
// bytes, and each file it misses of them in one more: far below this.
const std::size_t kMostAuditBytes = 32u * 1024 * 1024;

// The one audit: the user-interface thread fills it while no thread runs,
// the thread fills `result`, posts it and ends; the user-interface thread
// reads it after waiting for that end. Made once and never freed, so that a
// thread still ending as the program exits never meets it destroyed.
struct Audit {
    HANDLE thread;
    HANDLE cancel; // made once, reset at each start
    HWND window;
    std::string command;
    bool hasKnown;
    AuditKey known;
    AuditResult result;
};
Audit& audit = *new Audit{};

// A few hundred KB for an emulator with every set; a larger file is not ours.
const DWORD kMostFoundFileBytes = 16u * 1024 * 1024;

// The entries of found.ini, read at the first need.
std::vector<FoundGames> foundEntries;
bool foundEntriesRead;

void readFoundFile()
{
    foundEntriesRead = true;
    const std::string text = readTextFileWhole(kFoundGamesFile, kMostFoundFileBytes);
    foundEntries = readFoundGames(text.data(), text.size());
}

unsigned long long writeTime(const std::string& folder)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(ownFile(folder.c_str()).c_str(), GetFileExInfoStandard, &data))
        return 0;
    return fileTimeNumber(data.ftLastWriteTime);
}

// What the audit holds for: the program file, the folders that MAME's
// "-showconfig" names as its rompath (relative to the working folder, where
// MAME runs), and their write times, which change as sets come and go.
// False when the question was cancelled.
bool readAuditKey(AuditResult& result)
{
    AuditKey& key = result.games.key;
    key.command = audit.command;
    result.keyKnown = emulatorProgramFile(audit.command.c_str(), key.size, key.written);
    EmulatorAnswer config = askEmulator(audit.command.c_str(), "-showconfig", kAuditConfigFile, audit.cancel);
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

AuditEnd runAudit(AuditResult& result)
{
    char line[1024];
    if (!formatText(line, sizeof line, "%s -verifyroms", audit.command.c_str()))
        return AuditEnd::noAnswer;
    // Its percentages on standard error (the releases of 2006) are not read.
    RunOutcome outcome =
        runHidden(HiddenRun{line, kAuditAnswerFile, nullptr, kAuditLimitMs, kMostAuditBytes, audit.cancel, nullptr});
    switch (outcome.end) {
    case RunEnd::ended: break;
    case RunEnd::cancelled: removeRunOutput(kAuditAnswerFile); return AuditEnd::cancelled;
    case RunEnd::timedOut:
    case RunEnd::tooLong: removeRunOutput(kAuditAnswerFile); return AuditEnd::unfinished;
    case RunEnd::notStarted:
    case RunEnd::noFile:
    case RunEnd::waitFailed: removeRunOutput(kAuditAnswerFile); return AuditEnd::noAnswer;
    }
    // As MAME wrote it: only its sets' short names, ASCII, are taken from it.
    std::string text = takeRunBytes(kAuditAnswerFile, kMostAuditBytes);
    AuditAnswer answer = readAuditAnswer(text.data(), text.size());
    if (!answer.closed && answer.found.empty())
        return AuditEnd::noAnswer;
    result.games.names = keptNames(answer);
    return AuditEnd::found;
}

unsigned __stdcall auditOnThread(void*)
{
    AuditResult& result = audit.result;
    if (!readAuditKey(result)) {
        result.end = AuditEnd::cancelled;
    } else if (audit.hasKnown && result.keyKnown && result.games.key == audit.known) {
        result.end = AuditEnd::unchanged;
    } else {
        PostMessageA(audit.window, kAuditLookingMessage, 0, 0);
        result.end = runAudit(result);
    }
    postToWindow(audit.window, kAuditAnswerMessage, 0, reinterpret_cast<LPARAM>(&result));
    return 0;
}

} // namespace

bool startRomAudit(HWND window, const char* command, const AuditKey* known)
{
    if (audit.thread)
        return false;
    if (!audit.cancel)
        audit.cancel = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (audit.cancel)
        ResetEvent(audit.cancel);
    audit.window = window;
    audit.command = command;
    audit.hasKnown = known != nullptr;
    audit.known = known ? *known : AuditKey();
    audit.result = AuditResult{AuditEnd::cancelled, FoundGames(), false};
    audit.thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, auditOnThread, nullptr, 0, nullptr));
    return audit.thread != nullptr;
}

const AuditResult& takeRomAuditResult()
{
    // It posted its result and is ending.
    if (audit.thread) {
        WaitForSingleObject(audit.thread, INFINITE);
        CloseHandle(audit.thread);
        audit.thread = nullptr;
    }
    return audit.result;
}

bool romAuditRunning()
{
    return audit.thread != nullptr;
}

void cancelRomAudit()
{
    if (audit.thread && audit.cancel)
        SetEvent(audit.cancel);
}

void endRomAuditBeforeExit()
{
    if (!audit.thread)
        return;
    cancelRomAudit();
    // The run ends its tree at once and removes its files; only a folder
    // that does not answer (a network's) could hold the thread longer.
    if (WaitForSingleObject(audit.thread, 15000) == WAIT_OBJECT_0) {
        CloseHandle(audit.thread);
        audit.thread = nullptr;
    }
}

const FoundGames* keptFoundGames(const char* command)
{
    if (!foundEntriesRead)
        readFoundFile();
    for (const FoundGames& entry : foundEntries) {
        if (entry.key.command == command)
            return &entry;
    }
    return nullptr;
}

void keepFoundGames(const FoundGames& games)
{
    if (!foundEntriesRead)
        readFoundFile();
    std::vector<FoundGames> entries;
    for (FoundGames& entry : foundEntries) {
        if (entry.key.command != games.key.command && isListedCommand(entry.key.command.c_str()))
            entries.push_back(std::move(entry));
    }
    entries.push_back(games);
    foundEntries.swap(entries);
    std::string text = writeFoundGames(foundEntries);
    replaceTextFileWhole(kFoundGamesFile, kFoundGamesTempFile, kFoundGamesOldFile, text);
}
