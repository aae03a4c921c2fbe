// Asks an emulator version which command-line forms it takes.
#include "emulator/emulator_forms_win.h"

#include "emulator/known_emulators_win.h"
#include "emulator/process_win.h"
#include "common/bounded_text.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

const char kConfigFile[] = "showconfig.tmp";
// MAME 0.251 answers with 404 lines, about 15 KB, within a second.
const std::size_t kMostConfigBytes = 256 * 1024;
const DWORD kConfigLimitMs = 10000;

// The emulator's answer to "-showconfig", or nothing when it gave none.
// `final` tells whether the answer holds for good: the emulator ran and
// ended by itself, rather than not starting or being stopped.
ConfigAnswer askConfig(const char* command, bool& final)
{
    const ConfigAnswer none{false, false, false};
    final = false;
    char line[512];
    if (!formatText(line, sizeof line, "%s -showconfig", command))
        return none;
    HANDLE output = openInheritable(kConfigFile, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
    if (output == INVALID_HANDLE_VALUE)
        return none;
    DWORD error = 0;
    HANDLE process = startHiddenRun(line, output, error);
    CloseHandle(output);
    if (process) {
        final = waitForProcessAtMost(process, kConfigLimitMs) != kUnknownExitCode;
        CloseHandle(process);
    }
    std::vector<char> text(kMostConfigBytes);
    std::size_t length = 0;
    if (std::FILE* file = std::fopen(kConfigFile, "rb")) {
        length = std::fread(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
    deleteRunOutput(kConfigFile);
    return process ? readConfigAnswer(text.data(), length) : none;
}

} // namespace

const EmulatorForms& learnEmulatorForms(int versionIndex)
{
    recallEmulatorForms(versionIndex);
    EmulatorForms& forms = emulatorForms[versionIndex];
    if (!forms.configAsked) {
        forms.config = askConfig(versionTable[versionIndex].command, forms.configKept);
        forms.configAsked = true;
        rememberEmulatorForms(versionIndex);
    }
    return forms;
}
