// The entry: prepares the settings and runs the main window until it closes.
#include "shell/app.h"
#include "common/bounded_text.h"
#include "shell/main_window.h"
#include "common/message.h"
#include "shell/settings.h"
#include "shell/settings_file.h"
#include "shell/working_folder.h"
#include "online/download.h"
#include "resource.h"

#include <commctrl.h>

HINSTANCE appInstance;

// Ends a second copy in the same folder before it touches a file, and a
// copy that could not keep its files before it starts anything.
const int kFolderNotWritable = 2;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    if (!claimWorkingFolder())
        return 0;
    if (!checkWorkingFolderWritable())
        return kFolderNotWritable;
    cancelRequested = 0;
    InitCommonControls();
    appInstance = instance;
    setSettingsDefaults(settings);
    loadSettings();

    INT_PTR result = DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_MAIN), GetDesktopWindow(), mainWindowProc, 0);
    finishDownloadBeforeExit();
    if (result == 0)
        return 0;
    char message[80];
    formatText(message, sizeof message, "Cannot create main dialog box [%i]", static_cast<int>(result));
    showMessage(message, "Fatal Error");
    return -1;
}
