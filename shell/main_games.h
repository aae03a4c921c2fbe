// The main window's games: the versions, the game list with its audit ("Only games I have"), "Go to:" and Find.
#pragma once

#include "emulator/game_list.h"
#include "emulator/rom_audit_win.h"

#include <windows.h>

#include <string>
#include <vector>

// The list and what "Only games I have" knows of it, kept by the window
// (shell/main_window_state.h). Only the window's thread touches it.
struct GamesState {
    ShownGames shown;                        // the games the list box shows
    std::vector<std::string> shownNames;     // the names it shows, when not all
    std::string listedCommand;               // of the version listed last; "" when none is
    int listedTotal = 0;                     // what that listing returned
    bool building = false;                   // a list build runs: an audit's answer waits for its end
    AuditEnd auditFailure = AuditEnd::found; // how the last audit of listedCommand failed; found when it did not
    std::string auditCommand;                // the command of the audit under way
    bool mameLooking = false;                // MAME itself runs that audit
    bool auditWaiting = false;               // an audit waits for the one under way to end
    std::vector<std::string> auditAnew;      // audited anew at their next audit ("Refresh" while unticked)
    std::vector<std::string> auditedThisRun; // audited, or their kept result checked, in this run
};

// The opening, in two steps around the enabling of the controls: the
// versions listed and the first one's games shown (its listing started
// before the window was made); then the games found looked for once the
// window shows, or, with no version yet, "Add..." waiting. The second
// returns whether the dialog manager is to set the first focus.
void listFirstVersion(HWND window, GamesState& games);
bool showFirstGames(HWND window, GamesState& games);

void onRefresh(HWND window, GamesState& games);
void onAddVersion(HWND window, GamesState& games);
void onRemoveVersion(HWND window, GamesState& games);
void onFind(HWND window, const GamesState& games);
void onToggleOnlyFound(HWND window, GamesState& games);

// "Only games I have" ticked: what was kept shows at once, and MAME is
// asked in the background whether it still holds.
void showFound(HWND window, GamesState& games);

// The audit's messages (common/app_messages.h).
void onAuditLooking(HWND window, GamesState& games);
void onAuditAnswer(HWND window, GamesState& games);

// The game table's index of the game selected in the main window
// `mainWindow`, -1 for none; the version selected, -1 for none.
int selectedGame(HWND mainWindow);
int selectedVersion(HWND mainWindow);
