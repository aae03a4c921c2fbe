// The entry: prepares the settings and runs the main window until it closes.
#include "shell/app.h"
#include "common/bounded_text.h"
#include "shell/main_window.h"
#include "common/message.h"
#include "common/program_folder.h"
#include "common/settings.h"
#include "shell/settings_file.h"
#include "shell/working_folder.h"
#include "emulator/game_list_win.h"
#include "emulator/versions.h"
#include "emulator/versions_win.h"
#include "online/download.h"
#include "resource.h"

#include <commctrl.h>

// The exit code of a copy that cannot keep its files in its folder.
const int kFolderNotWritable = 2;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // Its folder, named once: no thread depends on the current directory.
    rememberProgramFolder();
    // A second copy in the same folder ends before it touches a file, and
    // one that could keep nothing before it starts anything.
    if (!claimWorkingFolder())
        return 0;
    if (!checkWorkingFolderWritable())
        return kFolderNotWritable;
    cancelRequested = 0;
    setWindowThread(GetCurrentThreadId());
    // The classes of Common Controls 6 that the windows use: the standard
    // controls in today's look and the frameskip level's up-down.
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&classes);
    appInstance = instance;
    setSettingsDefaults(settings);
    loadSettings();
    loadMoreSettings();
    // The emulator lists its games while the window is made.
    readVersionTable();
    if (versionCount > 0)
        startGameList(0, settings.sortByDriver);

    INT_PTR result = DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_MAIN), GetDesktopWindow(), mainWindowProc, 0);
    finishDownloadBeforeExit();
    if (result == 0)
        return 0;
    char message[80];
    formatText(message, sizeof message, "Cannot create main dialog box [%i]", static_cast<int>(result));
    showMessage(message, "Fatal Error");
    return -1;
}
