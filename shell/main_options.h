// The main window's options: the controls bound to the settings.
#pragma once

#include <windows.h>

// Fills the choices (sample rates, the frameskip level's range) and shows
// the settings.
void openOptions(HWND window);

void onToggleSound(HWND window);

// Switches the setting of a plain check box; false when `id` is none.
bool toggleOption(int id);

// The sample rate and the frameskip level into the settings, as their
// controls show them (every check box writes its own at each click).
void readSampleRateAndFrameskip(HWND window);

// At the close: the settings, as the controls show them, saved.
void saveOptions(HWND window);
