// Program-wide values of the front-end shell, shared with the windows of the other subsystems.
#pragma once

#include <windows.h>
#include <commdlg.h>

// The module instance: every dialog of the program is created from it.
extern HINSTANCE appInstance;

// The "Additional Parameters" text. Written by the main window just before
// each launch it starts; read by the launch that composes the command line.
extern char additionalParameters[512];

// The one file-dialog description, shared by the playback open dialog and the
// download's save dialog; each user clears it before filling it.
extern OPENFILENAMEA fileDialog;

// Clears fileDialog and fills it for a dialog over `owner` that starts in
// ".\inp", leaves the working directory where it is, and returns the chosen
// path in `path` (which may hold a proposal).
void prepareFileDialog(HWND owner, const char* filter, char* path, DWORD pathSize, const char* title);

// Handles of the score list and the split edit, for the feed workers, which
// read the split and hand their lines to the list's parent, the main window,
// through window messages.
extern HWND scoreListWindow;
extern HWND splitEditWindow;
