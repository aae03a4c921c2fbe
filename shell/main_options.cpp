// The main window's options: the controls bound to the settings.
#include "shell/main_options.h"

#include "common/dialog_controls.h"
#include "common/settings.h"
#include "shell/app.h"
#include "shell/settings_file.h"
#include "shell/working_folder.h"
#include "resource.h"

#include <commctrl.h>

#include <cstdint>

namespace {

const char* const kSampleRates[] = {"11,025Hz", "22,050Hz", "44,100Hz"};

struct OptionBox {
    int id;
    std::int32_t Settings::*field;
};

// Plain toggles; "Disable sound" has its own handler because it also
// enables or disables the sample-rate box.
const OptionBox kToggles[] = {
    {IDC_MAIN_NO_HW_STRETCH, &Settings::hardwareStretch}, {IDC_MAIN_WINDOWED, &Settings::windowed},
    {IDC_MAIN_AUTO_FRAMESKIP, &Settings::autoFrameskip},  {IDC_MAIN_ASK_INP_NAME, &Settings::askInpName},
    {IDC_MAIN_SORT_BY_DRIVER, &Settings::sortByDriver},   {IDC_MAIN_USE_MOUSE, &Settings::useMouse},
    {IDC_MAIN_USE_JOYSTICK, &Settings::useJoystick},      {IDC_MAIN_KEEP_CFG, &Settings::keepCfg},
    {IDC_MAIN_SHOW_CONSOLE, &Settings::showConsole},
};

void showOptions(HWND window)
{
    setTicked(window, IDC_MAIN_NO_HW_STRETCH, settings.hardwareStretch == 0);
    setTicked(window, IDC_MAIN_WINDOWED, settings.windowed == 1);
    setTicked(window, IDC_MAIN_NO_SOUND, settings.soundEnabled == 0);
    EnableWindow(GetDlgItem(window, IDC_MAIN_SAMPLE_RATE), settings.soundEnabled == 1);
    setTicked(window, IDC_MAIN_SORT_BY_DRIVER, settings.sortByDriver == 1);
    setTicked(window, IDC_MAIN_ASK_INP_NAME, settings.askInpName == 1);
    setTicked(window, IDC_MAIN_USE_MOUSE, settings.useMouse == 1);
    setTicked(window, IDC_MAIN_USE_JOYSTICK, settings.useJoystick == 1);
    setTicked(window, IDC_MAIN_KEEP_CFG, settings.keepCfg == 1);
    setTicked(window, IDC_MAIN_SHOW_CONSOLE, settings.showConsole == 1);
    setTicked(window, IDC_MAIN_AUTO_FRAMESKIP, settings.autoFrameskip == 1);
    SendDlgItemMessageA(window, IDC_MAIN_SAMPLE_RATE, CB_SETCURSEL, lowHalf(settings.sampleRateIndex), 0);
    SendDlgItemMessageA(window, IDC_MAIN_FRAMESKIP_UPDOWN, UDM_SETPOS, 0,
                        MAKELPARAM(static_cast<WORD>(lowHalf(settings.frameskipLevel)), 0));
}

} // namespace

void openOptions(HWND window)
{
    for (const char* rate : kSampleRates)
        SendDlgItemMessageA(window, IDC_MAIN_SAMPLE_RATE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(rate));
    SendDlgItemMessageA(window, IDC_MAIN_FRAMESKIP_UPDOWN, UDM_SETRANGE, 0, MAKELPARAM(11, 0));
    showOptions(window);
}

void onToggleSound(HWND window)
{
    bool soundWasOn = settings.soundEnabled == 1;
    EnableWindow(GetDlgItem(window, IDC_MAIN_SAMPLE_RATE), !soundWasOn);
    settings.soundEnabled = soundWasOn ? 0 : 1;
}

bool toggleOption(int id)
{
    for (const OptionBox& box : kToggles) {
        if (box.id == id) {
            toggleSwitch(settings.*box.field);
            return true;
        }
    }
    return false;
}

void readSampleRateAndFrameskip(HWND window)
{
    setLowHalf(settings.sampleRateIndex,
               static_cast<int>(SendDlgItemMessageA(window, IDC_MAIN_SAMPLE_RATE, CB_GETCURSEL, 0, 0)));
    LRESULT position = SendDlgItemMessageA(window, IDC_MAIN_FRAMESKIP_UPDOWN, UDM_GETPOS, 0, 0);
    setLowHalf(settings.frameskipLevel, LOWORD(position));
}

void saveOptions(HWND window)
{
    readSampleRateAndFrameskip(window);
    if (unsigned long error = saveSettings())
        reportSettingsNotSaved(error);
    saveMoreSettings();
}
