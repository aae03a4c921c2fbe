// Checking a recording: what is asked of the emulator, and its run without a screen on a thread of its own.
#include "emulator/recording_check_win.h"

#include "common/bounded_text.h"
#include "common/program_files.h"
#include "emulator/emulator_forms_win.h"
#include "emulator/emulator_identity_win.h"
#include "emulator/emulator_query_win.h"
#include "emulator/known_emulators_win.h"
#include "emulator/process_win.h"
#include "emulator/versions.h"

#include <process.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// The first release whose recordings carry today's head, and which plays
// one without a screen and saves a picture by itself (-seconds_to_run).
const char kFirstCheckingVersion[] = "0.125";
// The first release that ends by itself at a recording's end.
const char kFirstEndingVersion[] = "0.171";
// MAME 0.251 answers "-listxml NAME" in about 0.05 s.
const DWORD kMachineLimitMs = 10000;
// MAME prints a few hundred bytes during a check; more is not its report.
const std::size_t kMostOutputBytes = 256 * 1024;

// The run under way. The window's thread starts it, may end it, and closes
// its handle once the thread that waits for it has reported its end.
std::atomic<HANDLE> checkProcess{nullptr};
std::atomic<bool> cancelled{false};
std::atomic<HWND> checkWindow{nullptr};

unsigned __stdcall waitForCheck(void*)
{
    HANDLE process = checkProcess.load();
    DWORD exitCode = waitForProcess(process);
    bool ended = !cancelled.load() && exitCode != kUnknownExitCode;
    PostMessageA(checkWindow.load(), kCheckEndMessage, ended ? 1 : 0, static_cast<LPARAM>(exitCode));
    return 0;
}

struct FolderEntry {
    std::string path;
    bool folder;
};

// What a folder holds, "." and ".." left out.
std::vector<FolderEntry> folderEntries(const std::string& folder)
{
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return entries;
    do {
        if (std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0)
            entries.push_back(
                {folder + "\\" + found.cFileName, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return entries;
}

bool isPicture(const std::string& path)
{
    return path.size() > 4 && lstrcmpiA(path.c_str() + path.size() - 4, ".png") == 0;
}

// Removes the snapshot folder and what MAME left in it: files, and the
// one level of folders it makes per system.
void removeSnapshotFolder()
{
    for (const FolderEntry& entry : folderEntries(kCheckSnapshotFolder)) {
        if (entry.folder) {
            for (const FolderEntry& inner : folderEntries(entry.path))
                DeleteFileA(inner.path.c_str());
            RemoveDirectoryA(entry.path.c_str());
        } else {
            DeleteFileA(entry.path.c_str());
        }
    }
    RemoveDirectoryA(kCheckSnapshotFolder);
}

// The PNG that MAME saved: "final.png" up to 0.219, the next free "%g/%i"
// name later, so whatever PNG is there, one level deep at most.
std::string findPicture()
{
    for (const FolderEntry& entry : folderEntries(kCheckSnapshotFolder)) {
        if (!entry.folder && isPicture(entry.path))
            return entry.path;
        for (const FolderEntry& inner : entry.folder ? folderEntries(entry.path) : std::vector<FolderEntry>()) {
            if (!inner.folder && isPicture(inner.path))
                return inner.path;
        }
    }
    return std::string();
}

// A file's text, at most kMostOutputBytes, then the file removed.
std::string takeOutput(const char* name)
{
    std::string text;
    if (std::FILE* file = std::fopen(name, "rb")) {
        text.resize(kMostOutputBytes);
        text.resize(std::fread(&text[0], 1, text.size(), file));
        std::fclose(file);
    }
    deleteRunOutput(name);
    return text;
}

} // namespace

CheckSupport checkSupport(int versionIndex, char* versionId, std::size_t size)
{
    copyText(versionId, size, "");
    if (versionIndex < 0 || versionIndex >= versionCount)
        return CheckSupport::unknown;
    recallEmulatorForms(versionIndex);
    const char* known = emulatorForms[versionIndex].helpVersion;
    if (known[0] == '\0') {
        EmulatorIdentity identity = identifyEmulator(versionTable[versionIndex].command);
        if (identity.answer != HelpAnswer::mame)
            return CheckSupport::unknown;
        rememberHelpVersion(versionIndex, identity.versionId);
    }
    copyText(versionId, size, known);
    return compareVersions(known, kFirstCheckingVersion) >= 0 ? CheckSupport::yes : CheckSupport::tooOld;
}

bool endsAfterPlayback(int versionIndex)
{
    return versionIndex >= 0 && versionIndex < versionCount &&
           compareVersions(emulatorForms[versionIndex].helpVersion, kFirstEndingVersion) >= 0;
}

MachineInputs askMachineInputs(int versionIndex, const char* system)
{
    MachineInputs none{false, 0, 0};
    if (versionIndex < 0 || versionIndex >= versionCount || !isPlainWord(system))
        return none;
    char question[96];
    formatText(question, sizeof question, "-listxml %s", system);
    EmulatorAnswer answer =
        askEmulator(versionTable[versionIndex].command, question, kMachineAnswerFile, kMachineLimitMs);
    return answer.ended ? readMachineInputs(answer.text.data(), answer.text.size()) : none;
}

bool startCheckRun(const CheckRun& run, HWND window)
{
    if (run.versionIndex < 0 || run.versionIndex >= versionCount || checkProcess.load())
        return false;
    char line[1024];
    const CheckRequest request{versionTable[run.versionIndex].command,
                               run.system,
                               run.directory,
                               run.fileName,
                               run.secondsToRun,
                               kCheckSnapshotFolder,
                               commandForms(learnEmulatorForms(run.versionIndex))};
    if (!composeCheckLine(line, sizeof line, request))
        return false;
    removeSnapshotFolder();
    CreateDirectoryA(kChecksFolder, nullptr);
    CreateDirectoryA(kCheckSnapshotFolder, nullptr);
    HANDLE output = openInheritable(kCheckOutputFile, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
    HANDLE errors = openInheritable(kCheckErrorFile, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
    HANDLE nul = openInheritable("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    DWORD error = 0;
    HANDLE process = nullptr;
    if (output != INVALID_HANDLE_VALUE && errors != INVALID_HANDLE_VALUE)
        process = startEmulator(line, SW_HIDE, EmulatorConsole::none, nul, output, errors, error);
    for (HANDLE handle : {output, errors, nul}) {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
    if (!process)
        return false;
    cancelled = false;
    checkWindow = window;
    checkProcess = process;
    HANDLE waiter = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, waitForCheck, nullptr, 0, nullptr));
    if (!waiter) {
        TerminateProcess(process, kUnknownExitCode);
        checkProcess = nullptr;
        CloseHandle(process);
        return false;
    }
    CloseHandle(waiter);
    return true;
}

void cancelCheckRun()
{
    cancelled = true;
    if (HANDLE process = checkProcess.load())
        TerminateProcess(process, kUnknownExitCode);
}

CheckResult collectCheckRun(const char* pictureName)
{
    if (HANDLE process = checkProcess.exchange(nullptr))
        CloseHandle(process);
    CheckResult result;
    result.output = takeOutput(kCheckOutputFile);
    result.errors = takeOutput(kCheckErrorFile);
    std::string found = findPicture();
    char kept[MAX_PATH];
    if (!found.empty() && formatText(kept, sizeof kept, "%s\\%s.png", kChecksFolder, pictureName) &&
        MoveFileExA(found.c_str(), kept, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
        result.picture = kept;
    removeSnapshotFolder();
    return result;
}
