// The main window's launches: Play, Record and Playback INP of the selected game, and "Check INP...".
#include "shell/main_launches.h"

#include "common/dialog_controls.h"
#include "common/dialog_text.h"
#include "common/late_dlls.h"
#include "common/message.h"
#include "emulator/launch.h"
#include "shell/app.h"
#include "shell/console_output.h"
#include "shell/main_games.h"
#include "shell/main_options.h"
#include "shell/recording_check.h"
#include "shell/recording_path.h"
#include "resource.h"

namespace {

const int kLaunchButtons[] = {IDC_MAIN_PLAYBACK, IDC_MAIN_RECORD, IDC_MAIN_PLAY, IDC_MAIN_EXIT};

const char kRecordingFilter[] = "MAME Input logs (*.inp)\0*.inp\0All files\0*.*\0";

// The main window stays hidden, with the launch buttons and "Exit" disabled,
// for the whole of a launch, whatever its outcome. A launch without a game or
// version is refused before the window hides; the launch checks again for
// its other caller, the playback of a download.
void launchWithWindowHidden(HWND window, void (*launch)(HWND), const char* title)
{
    if (!checkLaunchTarget(selectedGame(window), selectedVersion(window), title))
        return;
    readDialogText(window, IDC_MAIN_ADDITIONAL_PARAMETERS, additionalParameters, sizeof additionalParameters);
    readSampleRateAndFrameskip(window);
    ShowWindow(window, SW_HIDE);
    enableControls(window, kLaunchButtons, false);
    launch(window);
    enableControls(window, kLaunchButtons, true);
    ShowWindow(window, SW_SHOW);
}

void launchPlay(HWND window)
{
    showConsoleAfterRun(playGame(selectedGame(window), selectedVersion(window), launchOptions()));
}

void launchRecord(HWND window)
{
    showConsoleAfterRun(runInputLog(selectedGame(window), selectedVersion(window), static_cast<int>(LaunchMode::record),
                                    nullptr, nullptr, launchOptions()));
}

// Asks for the recording and plays it back; a cancelled dialog launches nothing.
void playbackChosenRecording(HWND window)
{
    char path[512] = "";
    prepareFileDialog(window, kRecordingFilter, path, sizeof path, "Playback INP");
    if (!late::GetOpenFileNameA(&fileDialog))
        return;

    char directory[512];
    char fileName[128];
    switch (splitRecordingPath(path, fileDialog.nFileOffset, directory, sizeof directory, fileName, sizeof fileName)) {
    case SplitResult::ok:
        showConsoleAfterRun(runInputLog(selectedGame(window), selectedVersion(window),
                                        static_cast<int>(LaunchMode::playback), directory, fileName, launchOptions()));
        break;
    case SplitResult::nameTooLong:
        showMessage(
            "The name of this recording is too long: it may have at most 127 characters. "
            "Rename the file and try again.",
            "Playback INP");
        break;
    case SplitResult::directoryTooLong:
        showMessage("The folder of this recording has too long a path.", "Playback INP");
        break;
    }
}

void launchPlayback(HWND window)
{
    if (settings.askInpName == 1)
        playbackChosenRecording(window);
    else
        showConsoleAfterRun(runInputLog(selectedGame(window), selectedVersion(window),
                                        static_cast<int>(LaunchMode::playback), nullptr, nullptr, launchOptions()));
}

} // namespace

void onPlay(HWND window)
{
    launchWithWindowHidden(window, launchPlay, "Play game");
}

void onRecord(HWND window)
{
    launchWithWindowHidden(window, launchRecord, "Record INP");
}

void onPlayback(HWND window)
{
    launchWithWindowHidden(window, launchPlayback, "Playback INP");
}

// "Check INP...": a recording chosen anywhere, the player's own first,
// played to its end without a screen.
void onCheckRecording(HWND window)
{
    char path[512] = "";
    prepareFileDialog(window, kRecordingFilter, path, sizeof path, "Check INP");
    fileDialog.Flags |= OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!late::GetOpenFileNameA(&fileDialog))
        return;
    char directory[512];
    char fileName[256];
    if (splitRecordingPath(path, fileDialog.nFileOffset, directory, sizeof directory, fileName, sizeof fileName) !=
        SplitResult::ok) {
        showMessage("The path of this recording is too long to check it.", "Check INP");
        return;
    }
    runRecordingCheck(window, directory, fileName, CheckFallback{selectedGame(window), selectedVersion(window)});
}
