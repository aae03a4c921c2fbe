// The main window's games: the versions, the game list with its audit ("Only games I have"), "Go to:" and Find.
#include "shell/main_games.h"

#include "common/app_messages.h"
#include "common/dialog_controls.h"
#include "common/dialog_text.h"
#include "emulator/game_list_win.h"
#include "emulator/versions.h"
#include "emulator/versions_win.h"
#include "shell/add_version.h"
#include "shell/app.h"
#include "shell/main_window_state.h"
#include "shell/splash.h"
#include "resource.h"

#include <cstddef>

namespace {

int selectedLine(HWND window)
{
    return static_cast<int>(SendDlgItemMessageA(window, IDC_MAIN_GAME_LIST, LB_GETCURSEL, 0, 0));
}

int selectedGame(HWND window, const GamesState& games)
{
    return gameOfLine(games.shown, selectedLine(window));
}

void showTotal(HWND window, int total)
{
    if (total == kListingEnded) {
        SetDlgItemTextA(window, IDC_MAIN_TOTAL, "No games: the emulator did not finish its list");
        return;
    }
    setDlgItemFormat(window, IDC_MAIN_TOTAL, "Total number of MAME drivers: %i", total);
}

// A first start, or every version removed: the label says what to do, and
// "Add..." waits for the player.
void showNoVersionYet(HWND window, GamesState& games)
{
    SendDlgItemMessageA(window, IDC_MAIN_GAME_LIST, LB_RESETCONTENT, 0, 0);
    clearGameTable();
    showAllGames(games.shown);
    games.listedCommand.clear();
    SetDlgItemTextA(window, IDC_MAIN_TOTAL, "No MAME version yet: press Add... to choose your MAME");
    EnableWindow(GetDlgItem(window, IDC_MAIN_REMOVE_VERSION), FALSE);
    SendMessageA(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(window, IDC_MAIN_ADD_VERSION)), TRUE);
}

bool isIn(const std::vector<std::string>& commands, const std::string& command)
{
    for (const std::string& entry : commands) {
        if (entry == command)
            return true;
    }
    return false;
}

void removeFrom(std::vector<std::string>& commands, const std::string& command)
{
    for (std::size_t i = 0; i < commands.size(); ++i) {
        if (commands[i] == command) {
            commands.erase(commands.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
}

// What a listing left: the version's command and the total of today's label.
void noteListed(HWND window, GamesState& games, int version, int total)
{
    bool listed = version >= 0 && version < versionCount && (total >= 0 || total == kGameListFull);
    std::string command = listed ? versionTable[version].command : "";
    if (command != games.listedCommand)
        games.auditFailure = AuditEnd::found;
    games.listedCommand = command;
    games.listedTotal = total;
    showTotal(window, total);
}

bool mameLooksForListed(const GamesState& games)
{
    return games.mameLooking && games.auditCommand == games.listedCommand;
}

bool listsGames(const GamesState& games)
{
    return !games.listedCommand.empty();
}

// Shows the games of the list (all of them, or those found) in the list
// box, `game` (selected before the change) kept selected where it is shown.
void refillGames(HWND window, const GamesState& games, int game)
{
    showGameLines(GetDlgItem(window, IDC_MAIN_GAME_LIST), games.shown);
    SendDlgItemMessageA(window, IDC_MAIN_GAME_LIST, LB_SETCURSEL, static_cast<WPARAM>(lineOfGame(games.shown, game)),
                        0);
}

// The list and its label as "Only games I have" and what is known make them.
void showListedGames(HWND window, GamesState& games)
{
    const FoundGames* found =
        moreSettings.onlyGamesFound && listsGames(games) ? keptFoundGames(games.listedCommand.c_str()) : nullptr;
    int selected = selectedGame(window, games);
    // Refilled only for a change, so that the list keeps its place.
    if (found && (showingAllGames(games.shown) || games.shownNames != found->names)) {
        showGamesNamed(games.shown, found->names);
        games.shownNames = found->names;
        refillGames(window, games, selected);
    } else if (!found && !showingAllGames(games.shown)) {
        showAllGames(games.shown);
        refillGames(window, games, selected);
    }
    if (!moreSettings.onlyGamesFound || !listsGames(games)) {
        showTotal(window, games.listedTotal);
        return;
    }
    int all = static_cast<int>(gameTable.size());
    if (mameLooksForListed(games) || (!found && games.auditFailure == AuditEnd::found))
        SetDlgItemTextA(window, IDC_MAIN_TOTAL, "Looking for ROMs...");
    else if (found)
        setDlgItemFormat(window, IDC_MAIN_TOTAL, "Games found: %i of %i", shownGameCount(games.shown), all);
    else if (games.auditFailure == AuditEnd::unfinished)
        setDlgItemFormat(window, IDC_MAIN_TOTAL, "All %i games: MAME's audit of ROMs did not end", all);
    else
        setDlgItemFormat(window, IDC_MAIN_TOTAL, "All %i games: MAME did not audit its ROMs", all);
}

// Asks the listed emulator's audit, unless it was asked in this run; one
// under way for another emulator, or one to be asked anew, is ended first.
void requestAudit(HWND window, GamesState& games)
{
    games.auditWaiting = false;
    if (!listsGames(games))
        return;
    const std::string& command = games.listedCommand;
    bool anew = isIn(games.auditAnew, command);
    if (!anew && isIn(games.auditedThisRun, command))
        return;
    if (romAuditRunning()) {
        games.auditWaiting = true;
        cancelRomAudit();
        return;
    }
    const FoundGames* found = keptFoundGames(command.c_str());
    if (!startRomAudit(window, command.c_str(), found && !anew ? &found->key : nullptr)) {
        // No thread to ask on: the list stays whole, and says why.
        games.auditFailure = AuditEnd::noAnswer;
        return;
    }
    removeFrom(games.auditAnew, command);
    games.auditedThisRun.push_back(command);
    games.auditCommand = command;
    games.mameLooking = false;
    games.auditFailure = AuditEnd::found;
}

// Lists the games of the selected version behind the splash, the main
// window hidden. `anew`: its ROMs are looked for anew, not only when they
// or the emulator changed.
void rebuildGameList(HWND window, GamesState& games, bool anew)
{
    HWND gameList = GetDlgItem(window, IDC_MAIN_GAME_LIST);
    SendMessageA(gameList, LB_RESETCONTENT, 0, 0);
    HWND splash = openSplash(window, "Loading MAME game list - please wait...");
    ShowWindow(window, SW_HIDE);
    games.building = true;
    int version = selectedVersion(window);
    // The table is filled anew, and the list box with every game of it.
    showAllGames(games.shown);
    noteListed(window, games, version, buildGameList(gameList, version, settings.sortByDriver));
    games.building = false;
    if (anew && !games.listedCommand.empty() && !isIn(games.auditAnew, games.listedCommand))
        games.auditAnew.push_back(games.listedCommand);
    if (moreSettings.onlyGamesFound)
        showFound(window, games);
    if (splash)
        DestroyWindow(splash);
    ShowWindow(window, SW_SHOW);
}

// After the versions were loaded anew: version `index` (the last one when
// past the end) is selected and its games listed at once.
void showVersion(HWND window, GamesState& games, int index)
{
    if (versionCount == 0) {
        showNoVersionYet(window, games);
        return;
    }
    if (index >= versionCount)
        index = versionCount - 1;
    SendDlgItemMessageA(window, IDC_MAIN_VERSION, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    EnableWindow(GetDlgItem(window, IDC_MAIN_REMOVE_VERSION), TRUE);
    rebuildGameList(window, games, false);
}

} // namespace

int selectedGame(HWND mainWindow)
{
    const MainWindowState* state = mainWindowState(mainWindow);
    return state ? selectedGame(mainWindow, state->games) : -1;
}

int selectedVersion(HWND mainWindow)
{
    return static_cast<int>(SendDlgItemMessageA(mainWindow, IDC_MAIN_VERSION, CB_GETCURSEL, 0, 0));
}

void listFirstVersion(HWND window, GamesState& games)
{
    setTicked(window, IDC_MAIN_ONLY_FOUND, moreSettings.onlyGamesFound);
    // As long as a title: a search by title takes any words of it.
    SendDlgItemMessageA(window, IDC_MAIN_GOTO, EM_LIMITTEXT, kDescriptionSize - 1, 0);
    listVersions(GetDlgItem(window, IDC_MAIN_VERSION));
    if (versionCount > 0)
        noteListed(window, games, 0, finishGameList(GetDlgItem(window, IDC_MAIN_GAME_LIST)));
    SendDlgItemMessageA(window, IDC_MAIN_VERSION, CB_SETCURSEL, 0, 0);
}

bool showFirstGames(HWND window, GamesState& games)
{
    if (versionCount > 0) {
        if (moreSettings.onlyGamesFound)
            PostMessageA(window, kShowFoundMessage, 0, 0);
        return true;
    }
    showNoVersionYet(window, games);
    return false;
}

void onRefresh(HWND window, GamesState& games)
{
    if (checkVersionIndex(selectedVersion(window), "Refresh game list"))
        rebuildGameList(window, games, true);
}

void onAddVersion(HWND window, GamesState& games)
{
    int added = addEmulatorVersion(window, GetDlgItem(window, IDC_MAIN_VERSION));
    if (added >= 0)
        showVersion(window, games, added);
}

void onRemoveVersion(HWND window, GamesState& games)
{
    int version = selectedVersion(window);
    if (!checkVersionIndex(version, "Remove MAME version"))
        return;
    if (removeEmulatorVersion(window, GetDlgItem(window, IDC_MAIN_VERSION), version))
        showVersion(window, games, version);
}

// A short name first, whole; else the next game whose title holds the
// words, so that pressing again finds the one after.
void onFind(HWND window, const GamesState& games)
{
    char text[kDescriptionSize];
    readDialogText(window, IDC_MAIN_GOTO, text, sizeof text);
    int line = findLine(games.shown, text, selectedLine(window));
    SendDlgItemMessageA(window, IDC_MAIN_GAME_LIST, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
}

void onToggleOnlyFound(HWND window, GamesState& games)
{
    moreSettings.onlyGamesFound = !moreSettings.onlyGamesFound;
    if (moreSettings.onlyGamesFound)
        showFound(window, games);
    else
        showListedGames(window, games);
}

void showFound(HWND window, GamesState& games)
{
    requestAudit(window, games);
    showListedGames(window, games);
}

void onAuditLooking(HWND window, GamesState& games)
{
    games.mameLooking = true;
    if (games.auditCommand != games.listedCommand)
        return;
    if (moreSettings.onlyGamesFound && !games.building)
        showListedGames(window, games);
}

// An audit has ended: what it found is kept, whether or not the list
// shows it now, and an audit that waited starts.
void onAuditAnswer(HWND window, GamesState& games)
{
    const AuditResult& result = takeRomAuditResult();
    bool listed = result.games.key.command == games.listedCommand;
    games.mameLooking = false;
    games.auditCommand.clear();
    switch (result.end) {
    case AuditEnd::found:
        // Kept even without its program file's key, which then never
        // matches: such an emulator is audited at each run.
        keepFoundGames(result.games);
        if (listed)
            games.auditFailure = AuditEnd::found;
        break;
    case AuditEnd::unchanged: break;
    case AuditEnd::unfinished:
    case AuditEnd::noAnswer:
        if (listed)
            games.auditFailure = result.end;
        break;
    case AuditEnd::cancelled: removeFrom(games.auditedThisRun, result.games.key.command); break;
    }
    if (games.auditWaiting && !games.building) {
        games.auditWaiting = false;
        requestAudit(window, games);
    }
    if (listed && moreSettings.onlyGamesFound && !games.building)
        showListedGames(window, games);
}
