// Program-wide values of the front-end shell, shared with the windows of the other subsystems.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include "common/settings.h"
#include "emulator/launch.h"

// The options of this run: read from the settings file at the start,
// changed by the main window's controls, written when it closes. The
// engines are handed what they need of them.
extern Settings settings;

// The options kept beside the settings file (shell/settings_file.h), owned
// as `settings` is.
extern MoreSettings moreSettings;

// The module instance: every dialog of the program is created from it.
extern HINSTANCE appInstance;

// The "Additional Parameters" text. Written by the main window just before
// each launch it starts; read by the launch that composes the command line.
extern char additionalParameters[512];

// What a launch takes of the options and the "Additional Parameters".
inline LaunchOptions launchOptions()
{
    return LaunchOptions{&settings, additionalParameters};
}

// The one file-dialog description, shared by the playback open dialog and the
// download's save dialog; each user clears it before filling it.
extern OPENFILENAMEA fileDialog;

// Clears fileDialog and fills it for a dialog over `owner` that starts in
// ".\inp", leaves the working directory where it is, and returns the chosen
// path in `path` (which may hold a proposal).
void prepareFileDialog(HWND owner, const char* filter, char* path, DWORD pathSize, const char* title);

// Sets the text of control `id` of `window` from a printf format, cut to
// 511 bytes.
void setDlgItemFormat(HWND window, int id, const char* format, ...);
