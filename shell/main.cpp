// The entry: prepares the settings and runs the main window until it closes.
#include "shell/app.h"
#include "common/bounded_text.h"
#include "shell/main_window.h"
#include "common/message.h"
#include "shell/settings.h"
#include "shell/settings_file.h"
#include "online/download.h"
#include "resource.h"

#include <commctrl.h>

HINSTANCE appInstance;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
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
