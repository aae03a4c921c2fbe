// The program's own window messages, one list, so that no two share a number.
#pragma once

#include <windows.h>

// A feed worker's answer, sent to the main window; lParam a FeedAnswer (online/feeds.h).
constexpr UINT kFeedAnswerMessage = WM_APP + 1;

// The download worker's progress, posted to its window: wParam the blocks
// counted so far, lParam 1 once the data has ended (online/download.h).
constexpr UINT kDownloadProgressMessage = WM_APP + 2;
// The download's end, posted to its window: wParam 0 once the archive is
// whole, else kDownloadFailed (online/download.h).
constexpr UINT kDownloadEndMessage = WM_APP + 3;

// A recording check's steps, posted to the window that watches it
// (emulator/recording_check_win.h): the file and its head are read...
constexpr UINT kCheckFileMessage = WM_APP + 4;
// ...MAME runs...
constexpr UINT kCheckRunMessage = WM_APP + 5;
// ...the check has ended, the last message.
constexpr UINT kCheckEndMessage = WM_APP + 6;

// What became of one row of a table's checks; lParam a TableRowNews that
// the window takes and deletes (online/check_table_win.h).
constexpr UINT kTableRowMessage = WM_APP + 7;
// The table's last message: every row is checked or was cancelled.
constexpr UINT kTableEndMessage = WM_APP + 8;

// A ROM audit's answer, posted to the window that asked (emulator/rom_audit_win.h).
constexpr UINT kAuditAnswerMessage = WM_APP + 9;
// Posted to it when MAME itself starts looking, after the check of what was kept.
constexpr UINT kAuditLookingMessage = WM_APP + 10;

// Posted by the main window to itself at its opening, so that the games
// found are looked for once the window shows.
constexpr UINT kShowFoundMessage = WM_APP + 11;
