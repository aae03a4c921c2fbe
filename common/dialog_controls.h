// Small helpers over a dialog's controls: a group enabled at once, a box ticked.
#pragma once

#include <windows.h>

#include <cstddef>

// Enables or disables every control of `ids`.
template <std::size_t N>
void enableControls(HWND dialog, const int (&ids)[N], bool enabled)
{
    for (int id : ids)
        EnableWindow(GetDlgItem(dialog, id), enabled);
}

// Ticks the check box `id`, or clears it.
inline void setTicked(HWND dialog, int id, bool ticked)
{
    CheckDlgButton(dialog, id, ticked ? BST_CHECKED : BST_UNCHECKED);
}
