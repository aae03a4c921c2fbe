// Runs the emulator on one game: play, record or play back an input recording.
#include "emulator/launch.h"

#include "emulator/emulator_forms_win.h"
#include "emulator/game_list.h"
#include "emulator/emulator_run_win.h"
#include "emulator/run_output_win.h"
#include "emulator/versions.h"
#include "emulator/versions_win.h"
#include "common/program_folder.h"
#include "common/bounded_text.h"
#include "common/message.h"
#include "common/program_files.h"

#include <windows.h>

namespace {

// One launch at a time, on the user-interface thread.
char commandLine[1024];
char message[1024];

const char* titleFor(LaunchMode mode)
{
    switch (mode) {
    case LaunchMode::play: return "Play game";
    case LaunchMode::record: return "Record INP";
    case LaunchMode::playback: break;
    }
    return "Playback INP";
}

// The console host that Wine gave the previous run can hold the console file
// a moment after that emulator ended; a run started then would write its
// output nowhere and leave the old output in place. So a file held open
// elsewhere is tried again for up to two seconds.
HANDLE createConsoleFile()
{
    HANDLE file = INVALID_HANDLE_VALUE;
    retryForTwoSeconds([&file] {
        file = openInheritable(ownFile(kConsoleFile).c_str(), GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
        return file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION;
    });
    return file;
}

// A cut command line would run a different command than the one shown, so
// a line (or its "Commandline view" text) that does not fit is refused.
void refuseLongLine()
{
    formatText(message, sizeof message,
               "This command line is too long to run: it may have at most %i characters.\n\n"
               "Shorten the Additional Parameters, the folder of the recording or the "
               "emulator's command in versions.ini.",
               static_cast<int>(sizeof commandLine) - 16);
    showMessage(message, "Command line too long");
}

// A listing may name a game in a way MAME never does; such a name is not
// run, since the emulator could take it for a switch.
void refuseSystemName(const char* shortName, const char* title)
{
    formatText(message, sizeof message, "The game's short name \"%s\" is no MAME system name; it was not run.",
               shortName);
    showMessage(message, title);
}

int launch(int gameIndex, int versionIndex, LaunchMode mode, const char* inputDirectory, const char* fileName,
           const LaunchOptions& options)
{
    if (!checkLaunchTarget(gameIndex, versionIndex, titleFor(mode)))
        return -1;
    if (!isMameSystemName(gameTable[gameIndex].shortName)) {
        refuseSystemName(gameTable[gameIndex].shortName, titleFor(mode));
        return -1;
    }
    // The forms this version takes: asked of the emulator at its first run.
    LaunchRequest request{versionTable[versionIndex].command,
                          gameTable[gameIndex].shortName,
                          options.settings,
                          options.additionalParameters,
                          mode,
                          inputDirectory,
                          fileName,
                          commandForms(learnEmulatorForms(versionIndex))};
    if (!composeLaunchLine(commandLine, sizeof commandLine, request) ||
        !formatText(message, sizeof message, "%s [Length: %i]", commandLine, static_cast<int>(lstrlenA(commandLine)))) {
        refuseLongLine();
        return -1;
    }

    HANDLE console = createConsoleFile();
    showMessage(message, "Commandline view");

    RunOutcome outcome = runGame(commandLine, console);
    if (outcome.end == RunEnd::notStarted) {
        formatText(message, sizeof message, "Cannot call MAME - [%i]", static_cast<int>(outcome.error));
        showMessage(message, "Fatal error");
    } else if (outcome.end == RunEnd::waitFailed) {
        // Not the emulator's error: its end could not be seen.
        formatText(message, sizeof message, "Hobrin could not wait for MAME to end (system error %lu).",
                   static_cast<unsigned long>(outcome.error));
        showMessage(message, "Problem calling MAME");
    } else if (outcome.exitCode != 0) {
        formatText(message, sizeof message, "MAME returned an error [code %i]", static_cast<int>(outcome.exitCode));
        showMessage(message, "Problem calling MAME");
    }
    if (console != INVALID_HANDLE_VALUE)
        CloseHandle(console);
    return outcome.end == RunEnd::notStarted ? -1 : 0;
}

} // namespace

bool checkLaunchTarget(int gameIndex, int versionIndex, const char* title)
{
    if (!checkVersionIndex(versionIndex, title))
        return false;
    if (!isGameIndex(gameIndex)) {
        showMessage("Select a game in the list first.", title);
        return false;
    }
    return true;
}

int playGame(int gameIndex, int versionIndex, const LaunchOptions& options)
{
    return launch(gameIndex, versionIndex, LaunchMode::play, nullptr, nullptr, options);
}

int runInputLog(int gameIndex, int versionIndex, int mode, const char* inputDirectory, const char* fileName,
                const LaunchOptions& options)
{
    if (mode == static_cast<int>(LaunchMode::record))
        return launch(gameIndex, versionIndex, LaunchMode::record, nullptr, nullptr, options);
    return launch(gameIndex, versionIndex, LaunchMode::playback, inputDirectory, fileName, options);
}
