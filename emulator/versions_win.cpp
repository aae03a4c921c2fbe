// Loads "versions.ini" into the version table and the main window's version combo box, and edits it.
#include "emulator/emulator_run_win.h"
#include "emulator/versions_win.h"

#include "common/program_folder.h"
#include "common/bounded_text.h"
#include "common/file_replace.h"
#include "common/message.h"
#include "common/program_files.h"
#include "emulator/command_split.h"
#include "emulator/known_emulators.h"
#include "emulator/known_emulators_win.h"
#include "emulator/versions.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

// A hundred records of the widest fields take about 75 KB.
const DWORD kMostVersionsBytes = 1024 * 1024;

// The file's bytes: empty when there is none. A file larger than an edit
// takes is tooLarge, or when `headOnly` read up to that size: the records
// that the program lists lie there.
VersionsFileResult readVersionsFile(std::string& bytes, bool headOnly = false)
{
    VersionsFileResult result{VersionsFileChange::done, VersionsEdit::done, 0};
    HANDLE file = CreateFileA(ownFile(kVersionsFile).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        result.error = GetLastError();
        if (result.error != ERROR_FILE_NOT_FOUND)
            result.change = VersionsFileChange::failed;
        return result;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) {
        result = {VersionsFileChange::failed, VersionsEdit::done, GetLastError()};
    } else if (size.QuadPart > kMostVersionsBytes && !headOnly) {
        result.change = VersionsFileChange::tooLarge;
    } else {
        bytes.resize(static_cast<std::size_t>(size.QuadPart < kMostVersionsBytes ? size.QuadPart : kMostVersionsBytes));
        DWORD got = 0;
        if (!bytes.empty() &&
            (!ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr) || got != bytes.size()))
            result = {VersionsFileChange::failed, VersionsEdit::done, got == 0 ? GetLastError() : ERROR_READ_FAULT};
    }
    CloseHandle(file);
    return result;
}

VersionsFileResult writeVersionsFile(const std::string& bytes)
{
    // Windows refuses to move a file over a read-only one; Wine would not.
    DWORD attributes = GetFileAttributesA(ownFile(kVersionsFile).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return {VersionsFileChange::readOnly, VersionsEdit::done, ERROR_ACCESS_DENIED};
    DWORD error = replaceFileWhole(kVersionsFile, kVersionsTempFile, kVersionsOldFile, bytes.data(),
                                   static_cast<DWORD>(bytes.size()));
    return {error == 0 ? VersionsFileChange::done : VersionsFileChange::failed, VersionsEdit::done, error};
}

// The program that CreateProcess starts for a command, and its arguments.
struct StartedProgram {
    char path[MAX_PATH];
    CommandParts parts;
};

// The full path of the program file that CreateProcess starts, in its long
// form (a program found nowhere is kept as the command names it, ".exe"
// added where its file name has no extension). False when it does not fit.
bool startedProgram(const char* command, StartedProgram& started)
{
    char program[MAX_PATH];
    if (!splitCommand(command, started.parts) ||
        !copySpan(program, sizeof program, started.parts.program, started.parts.programLength))
        return false;
    const std::string file = programFileOf(command);
    if (file.empty())
        return programFile(program, started.path, sizeof started.path);
    DWORD length = GetFullPathNameA(file.c_str(), sizeof started.path, started.path, nullptr);
    if (length == 0 || length >= sizeof started.path)
        return false;
    char longPath[MAX_PATH];
    length = GetLongPathNameA(started.path, longPath, sizeof longPath);
    if (length > 0 && length < sizeof longPath)
        copyText(started.path, sizeof started.path, longPath);
    return true;
}

// Windows compares file names by each character's upper case, the same in
// every language (so not by the user's locale, whose Turkish i differs).
bool sameFileName(const char* a, const char* b)
{
    WCHAR wide[2][MAX_PATH];
    WCHAR upper[2][MAX_PATH];
    int lengths[2];
    const char* names[2] = {a, b};
    for (int i = 0; i < 2; ++i) {
        int length = MultiByteToWideChar(CP_ACP, 0, names[i], -1, wide[i], MAX_PATH);
        lengths[i] =
            length > 0 ? LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, wide[i], length, upper[i], MAX_PATH) : 0;
        if (lengths[i] == 0)
            return lstrcmpiA(a, b) == 0;
    }
    return lengths[0] == lengths[1] && std::memcmp(upper[0], upper[1], lengths[0] * sizeof(WCHAR)) == 0;
}

bool sameRecord(const EmulatorVersion& a, const EmulatorVersion& b)
{
    return std::strcmp(a.name, b.name) == 0 && std::strcmp(a.command, b.command) == 0 &&
           std::strcmp(a.versionId, b.versionId) == 0;
}

} // namespace

int readVersionTable()
{
    std::string bytes;
    VersionsFileResult read = readVersionsFile(bytes, true);
    if (read.change != VersionsFileChange::done || read.error == ERROR_FILE_NOT_FOUND)
        return -1;
    versionCount = readVersionsText(bytes.data(), bytes.size(), versionTable, kMaxVersions, nullptr);
    return 0;
}

void listVersions(HWND comboBox)
{
    for (int i = 0; i < versionCount; ++i)
        SendMessageA(comboBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(versionTable[i].name));
}

int loadVersions(HWND comboBox)
{
    int result = readVersionTable();
    listVersions(comboBox);
    return result;
}

void reloadVersions(HWND comboBox)
{
    SendMessageA(comboBox, CB_RESETCONTENT, 0, 0);
    std::memset(versionTable, 0, sizeof versionTable);
    versionCount = 0;
    forgetVersionSlots();
    loadVersions(comboBox);
}

int findSameCommand(const char* command)
{
    StartedProgram wanted;
    if (!startedProgram(command, wanted))
        return -1;
    for (int i = 0; i < versionCount && i < kMaxVersions; ++i) {
        StartedProgram listed;
        if (startedProgram(versionTable[i].command, listed) && sameFileName(listed.path, wanted.path) &&
            listed.parts.argumentsLength == wanted.parts.argumentsLength &&
            std::memcmp(listed.parts.arguments, wanted.parts.arguments, wanted.parts.argumentsLength) == 0)
            return i;
    }
    return -1;
}

bool checkVersionIndex(int versionIndex, const char* title)
{
    if (versionIndex >= 0 && versionIndex < versionCount)
        return true;
    showMessage("No emulator version is listed. Add your emulators to versions.ini and start Hobrin again.", title);
    return false;
}

VersionsFileResult addVersionToFile(const NewVersion& version)
{
    std::string bytes;
    VersionsFileResult result = readVersionsFile(bytes);
    if (result.change != VersionsFileChange::done)
        return result;
    result.edit = appendVersion(bytes, version);
    if (result.edit != VersionsEdit::done) {
        result.change = VersionsFileChange::refused;
        return result;
    }
    return writeVersionsFile(bytes);
}

VersionsFileResult removeVersionFromFile(int versionIndex)
{
    std::string bytes;
    VersionsFileResult result = readVersionsFile(bytes);
    if (result.change != VersionsFileChange::done)
        return result;
    // Edited outside since it was read, the file may hold another record there.
    std::unique_ptr<EmulatorVersion[]> table(new EmulatorVersion[kMaxVersions]);
    int count = readVersionsText(bytes.data(), bytes.size(), table.get(), kMaxVersions, nullptr);
    if (versionIndex < 0 || versionIndex >= count || versionIndex >= versionCount ||
        !sameRecord(table[versionIndex], versionTable[versionIndex]) || !removeVersion(bytes, versionIndex))
        return {VersionsFileChange::changedOutside, VersionsEdit::done, 0};
    return writeVersionsFile(bytes);
}
