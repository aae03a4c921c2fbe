// The "Recording checks" window: every listed score's recording checked in one table, side by side on every core.
#pragma once

#include "online/check_table_win.h"

#include <windows.h>

// Runs the window modally over `owner` for the scores of `order`.
void runCheckTable(HWND owner, const TableOrder& order);
