// Keeps what the program learns of each emulator in "emulators.ini", so that a start asks it nothing twice.
#include "emulator/emulator_run_win.h"
#include "emulator/known_emulators_win.h"

#include "common/bounded_text.h"
#include "common/file_replace.h"
#include "common/file_time.h"
#include "common/program_files.h"
#include "emulator/emulator_forms.h"
#include "emulator/known_emulators.h"
#include "emulator/versions.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Far more than 100 entries take; a larger file is not ours.
const DWORD kMostFileBytes = 256 * 1024;

// The file's entries, read at the first recall; only the user-interface
// thread touches them.
KnownEmulator known[kMaxKnownEmulators];
int knownCount;
bool knownRead;

struct ProgramKey {
    bool found;
    unsigned long long size;
    unsigned long long written;
};

bool recalled[kMaxVersions];
ProgramKey keys[kMaxVersions];

// The program file that the command runs, found as CreateProcess finds it.
ProgramKey programKey(const char* command)
{
    ProgramKey key{false, 0, 0};
    const std::string file = programFileOf(command);
    if (file.empty())
        return key;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return key;
    key.found = true;
    key.size = static_cast<unsigned long long>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    key.written = fileTimeNumber(data.ftLastWriteTime);
    return key;
}

int findEntry(const char* command)
{
    for (int i = 0; i < knownCount; ++i) {
        if (std::strcmp(known[i].command, command) == 0)
            return i;
    }
    return -1;
}

void readKnownFile()
{
    knownRead = true;
    knownCount = 0;
    const std::string text = readTextFileWhole(kKnownEmulatorsFile, kMostFileBytes);
    // Entries of emulators no longer listed, and a second entry of one, go;
    // the kept ones close up in place.
    int count = readKnownEmulators(text.data(), text.size(), known, kMaxKnownEmulators);
    for (int i = 0; i < count; ++i) {
        if (isListedCommand(known[i].command) && findEntry(known[i].command) < 0)
            known[knownCount++] = known[i];
    }
}

bool sameKnowledge(const KnownEmulator& a, const KnownEmulator& b)
{
    return isSameEmulator(a, b.command, b.size, b.written) && a.sortsListing == b.sortsListing &&
           a.configKnown == b.configKnown && a.config.recognized == b.config.recognized &&
           a.config.hardwareStretch == b.config.hardwareStretch && a.config.soundModule == b.config.soundModule &&
           a.config.plugins == b.config.plugins && a.config.cheat == b.config.cheat &&
           std::strcmp(a.helpVersion, b.helpVersion) == 0 && a.listsDevices == b.listsDevices &&
           std::strcmp(a.firstDevice, b.firstDevice) == 0;
}

void writeKnownFile()
{
    std::string text = writeKnownEmulators(known, knownCount);
    replaceTextFileWhole(kKnownEmulatorsFile, kKnownEmulatorsTempFile, kKnownEmulatorsOldFile, text);
}

bool isVersionIndex(int versionIndex)
{
    return versionIndex >= 0 && versionIndex < versionCount && versionIndex < kMaxVersions;
}

} // namespace

void recallEmulatorForms(int versionIndex)
{
    if (!isVersionIndex(versionIndex) || recalled[versionIndex])
        return;
    recalled[versionIndex] = true;
    if (!knownRead)
        readKnownFile();
    const char* command = versionTable[versionIndex].command;
    ProgramKey& key = keys[versionIndex];
    key = programKey(command);
    int entry = key.found ? findEntry(command) : -1;
    if (entry < 0 || !isSameEmulator(known[entry], command, key.size, key.written))
        return;
    EmulatorForms& forms = emulatorForms[versionIndex];
    if (forms.sortsListing == Learned::notYet)
        forms.sortsListing = known[entry].sortsListing;
    if (!forms.configAsked && known[entry].configKnown) {
        forms.configAsked = true;
        forms.configKept = true;
        forms.config = known[entry].config;
    }
    if (forms.listsDevices == Learned::notYet) {
        forms.listsDevices = known[entry].listsDevices;
        copyText(forms.firstDevice, sizeof forms.firstDevice, known[entry].firstDevice);
    }
    if (forms.helpVersion[0] == '\0')
        copyText(forms.helpVersion, sizeof forms.helpVersion, known[entry].helpVersion);
}

void rememberEmulatorForms(int versionIndex)
{
    if (!isVersionIndex(versionIndex) || !recalled[versionIndex] || !keys[versionIndex].found)
        return;
    const EmulatorForms& forms = emulatorForms[versionIndex];
    KnownEmulator learned{};
    std::memcpy(learned.command, versionTable[versionIndex].command, sizeof learned.command);
    learned.command[sizeof learned.command - 1] = '\0';
    learned.size = keys[versionIndex].size;
    learned.written = keys[versionIndex].written;
    learned.sortsListing = forms.sortsListing;
    learned.configKnown = forms.configAsked && forms.configKept;
    if (learned.configKnown)
        learned.config = forms.config;
    learned.listsDevices = forms.listsDevices;
    copyText(learned.firstDevice, sizeof learned.firstDevice, forms.firstDevice);
    copyText(learned.helpVersion, sizeof learned.helpVersion, forms.helpVersion);
    int entry = findEntry(learned.command);
    if (entry >= 0 && sameKnowledge(known[entry], learned))
        return;
    if (learned.sortsListing == Learned::notYet && !learned.configKnown && learned.listsDevices == Learned::notYet &&
        learned.helpVersion[0] == '\0' && entry < 0)
        return;
    // At most one entry for each of at most kMaxVersions commands.
    if (entry < 0) {
        if (knownCount == kMaxKnownEmulators)
            return;
        entry = knownCount++;
    }
    known[entry] = learned;
    writeKnownFile();
}

void forgetVersionSlots()
{
    for (int i = 0; i < kMaxVersions; ++i) {
        recalled[i] = false;
        keys[i] = ProgramKey{false, 0, 0};
        emulatorForms[i] = EmulatorForms{};
    }
}

bool emulatorProgramFile(const char* command, unsigned long long& size, unsigned long long& written)
{
    ProgramKey key = programKey(command);
    size = key.size;
    written = key.written;
    return key.found;
}

void rememberHelpVersion(int versionIndex, const char* versionId)
{
    if (!isVersionIndex(versionIndex))
        return;
    recallEmulatorForms(versionIndex);
    copyText(emulatorForms[versionIndex].helpVersion, sizeof emulatorForms[versionIndex].helpVersion, versionId);
    rememberEmulatorForms(versionIndex);
}
