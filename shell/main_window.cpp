// The main window: game list, options, emulator launches and the score list.
#include "shell/main_window.h"
#include "common/dialog_text.h"
#include "common/late_dlls.h"

#include "emulator/command_line.h"
#include "emulator/game_list.h"
#include "emulator/game_list_win.h"
#include "emulator/launch.h"
#include "emulator/rom_audit_win.h"
#include "emulator/versions.h"
#include "emulator/versions_win.h"
#include "online/feeds.h"
#include "online/score_record.h"
#include "common/list_fill.h"
#include "shell/about.h"
#include "shell/check_table.h"
#include "shell/splash.h"
#include "shell/console_output.h"
#include "shell/add_version.h"
#include "shell/app.h"
#include "common/bounded_text.h"
#include "common/message.h"
#include "shell/recording_check.h"
#include "shell/recording_path.h"
#include "shell/score_properties.h"
#include "common/settings.h"
#include "shell/settings_file.h"
#include "shell/working_folder.h"
#include "resource.h"

#include <commctrl.h>
#include <process.h>

#include <cstdarg>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

char additionalParameters[512];
OPENFILENAMEA fileDialog;

namespace {

// The score list and the split edit, remembered when the window opens.
HWND scoreListWindow;
HWND splitEditWindow;

// The feed worker started last. Only this thread starts workers and reads the
// handle; the worker never touches it.
HANDLE feedWorkerHandle;
// Its answer was handed over: the worker reads nothing shared after that,
// so a press in the moment before its thread has ended starts the next one.
bool feedWorkerAnswered;

HFONT scoreListFont;

// What the feed worker started last was asked, which it reads: written here
// only while no feed worker runs (the busy guard).
FeedRequest feedRequest;

const int kLaunchButtons[] = {IDC_MAIN_PLAYBACK, IDC_MAIN_RECORD, IDC_MAIN_PLAY, IDC_MAIN_EXIT};
const int kControlsEnabledAtOpening[] = {IDC_MAIN_RECORD, IDC_MAIN_PLAYBACK, IDC_MAIN_PLAY, IDC_MAIN_VERSION};

// Posted to itself at the opening, so that the games found are looked for
// once the window shows.
constexpr UINT kShowFoundMessage = WM_APP + 11;

// The list and what "Only games I have" knows of it. Only this thread
// touches them.
struct ListState {
    std::string command;                 // of the version listed last; "" when none is
    int total;                           // what that listing returned
    bool building;                       // a list build runs: an audit's answer waits for its end
    AuditEnd failed;                     // how the last audit of `command` failed; found when it did not
    std::string auditing;                // the command of the audit under way
    bool looking;                        // MAME itself runs that audit
    bool wanted;                         // an audit waits for the one under way to end
    std::vector<std::string> askAgain;   // audited anew at their next audit ("Refresh" while unticked)
    std::vector<std::string> checked;    // audited, or their kept result checked, this session
    std::vector<std::string> shownNames; // the names the list shows, when not all
};
ListState list{"", 0, false, AuditEnd::found, "", false, false, {}, {}, {}};

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

} // namespace

void setDlgItemFormat(HWND window, int id, const char* format, ...)
{
    char text[512];
    std::va_list args;
    va_start(args, format);
    formatTextV(text, sizeof text, format, args);
    va_end(args);
    SetDlgItemTextA(window, id, text);
}

void prepareFileDialog(HWND owner, const char* filter, char* path, DWORD pathSize, const char* title)
{
    fileDialog = OPENFILENAMEA{};
    fileDialog.lStructSize = sizeof fileDialog;
    fileDialog.hwndOwner = owner;
    fileDialog.lpstrFilter = filter;
    fileDialog.nFilterIndex = 1;
    fileDialog.lpstrFile = path;
    fileDialog.nMaxFile = pathSize;
    fileDialog.lpstrInitialDir = ".\\inp";
    fileDialog.lpstrTitle = title;
    fileDialog.Flags = OFN_NOCHANGEDIR;
}

namespace {

template <std::size_t N>
void enableControls(HWND window, const int (&ids)[N], bool enabled)
{
    for (int id : ids)
        EnableWindow(GetDlgItem(window, id), enabled);
}

void check(HWND window, int id, bool checked)
{
    CheckDlgButton(window, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

int selectedLine(HWND window)
{
    return static_cast<int>(SendDlgItemMessageA(window, IDC_MAIN_GAME_LIST, LB_GETCURSEL, 0, 0));
}

// The game table's index of the selected game, -1 for none.
int selectedGame(HWND window)
{
    return gameOfLine(selectedLine(window));
}

int selectedVersion(HWND window)
{
    return static_cast<int>(SendDlgItemMessageA(window, IDC_MAIN_VERSION, CB_GETCURSEL, 0, 0));
}

void setTotal(HWND window, int total)
{
    if (total == kListingEnded) {
        SetDlgItemTextA(window, IDC_MAIN_TOTAL, "No games: the emulator did not finish its list");
        return;
    }
    char text[512];
    formatText(text, sizeof text, "Total number of MAME drivers: %i", total);
    SetDlgItemTextA(window, IDC_MAIN_TOTAL, text);
}

void captureControlValues(HWND window)
{
    setLowHalf(settings.sampleRateIndex,
               static_cast<int>(SendDlgItemMessageA(window, IDC_MAIN_SAMPLE_RATE, CB_GETCURSEL, 0, 0)));
    LRESULT position = SendDlgItemMessageA(window, IDC_MAIN_FRAMESKIP_UPDOWN, UDM_GETPOS, 0, 0);
    setLowHalf(settings.frameskipLevel, LOWORD(position));
}

void setScoreListFont()
{
    HDC context = GetDC(scoreListWindow);
    int height = -MulDiv(10, GetDeviceCaps(context, LOGPIXELSY), 72);
    ReleaseDC(scoreListWindow, context);
    scoreListFont = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, PROOF_QUALITY, FIXED_PITCH, "Courier New");
    SendMessageA(scoreListWindow, WM_SETFONT, reinterpret_cast<WPARAM>(scoreListFont), FALSE);
}

void showOptions(HWND window)
{
    check(window, IDC_MAIN_NO_HW_STRETCH, settings.hardwareStretch == 0);
    check(window, IDC_MAIN_WINDOWED, settings.windowed == 1);
    check(window, IDC_MAIN_NO_SOUND, settings.soundEnabled == 0);
    EnableWindow(GetDlgItem(window, IDC_MAIN_SAMPLE_RATE), settings.soundEnabled == 1);
    check(window, IDC_MAIN_SORT_BY_DRIVER, settings.sortByDriver == 1);
    check(window, IDC_MAIN_ASK_INP_NAME, settings.askInpName == 1);
    check(window, IDC_MAIN_USE_MOUSE, settings.useMouse == 1);
    check(window, IDC_MAIN_USE_JOYSTICK, settings.useJoystick == 1);
    check(window, IDC_MAIN_KEEP_CFG, settings.keepCfg == 1);
    check(window, IDC_MAIN_SHOW_CONSOLE, settings.showConsole == 1);
    check(window, IDC_MAIN_ONLY_FOUND, moreSettings.onlyGamesFound);
}

// A first start, or every version removed: the label says what to do, and
// "Add..." waits for the player.
void showNoVersionYet(HWND window)
{
    SendDlgItemMessageA(window, IDC_MAIN_GAME_LIST, LB_RESETCONTENT, 0, 0);
    clearGameTable();
    list.command.clear();
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
void noteListed(HWND window, int version, int total)
{
    bool listed = version >= 0 && version < versionCount && (total >= 0 || total == kGameListFull);
    std::string command = listed ? versionTable[version].command : "";
    if (command != list.command)
        list.failed = AuditEnd::found;
    list.command = command;
    list.total = total;
    setTotal(window, total);
}

bool lookingForListed()
{
    return list.looking && list.auditing == list.command;
}

bool listsGames()
{
    return !list.command.empty();
}

// Shows the games of the list (all of them, or those found) in the list
// box, `game` (selected before the change) kept selected where it is shown.
void refillGames(HWND window, int game)
{
    showGameLines(GetDlgItem(window, IDC_MAIN_GAME_LIST));
    SendDlgItemMessageA(window, IDC_MAIN_GAME_LIST, LB_SETCURSEL, static_cast<WPARAM>(lineOfGame(game)), 0);
}

// The list and its label as "Only games I have" and what is known make them.
void showListedGames(HWND window)
{
    const FoundGames* found =
        moreSettings.onlyGamesFound && listsGames() ? keptFoundGames(list.command.c_str()) : nullptr;
    int selected = selectedGame(window);
    // Refilled only for a change, so that the list keeps its place.
    if (found && (showingAllGames() || list.shownNames != found->names)) {
        showGamesNamed(found->names);
        list.shownNames = found->names;
        refillGames(window, selected);
    } else if (!found && !showingAllGames()) {
        showAllGames();
        refillGames(window, selected);
    }
    if (!moreSettings.onlyGamesFound || !listsGames()) {
        setTotal(window, list.total);
        return;
    }
    int all = static_cast<int>(gameTable.size());
    if (lookingForListed() || (!found && list.failed == AuditEnd::found))
        SetDlgItemTextA(window, IDC_MAIN_TOTAL, "Looking for ROMs...");
    else if (found)
        setDlgItemFormat(window, IDC_MAIN_TOTAL, "Games found: %i of %i", shownGameCount(), all);
    else if (list.failed == AuditEnd::unfinished)
        setDlgItemFormat(window, IDC_MAIN_TOTAL, "All %i games: MAME's audit of ROMs did not end", all);
    else
        setDlgItemFormat(window, IDC_MAIN_TOTAL, "All %i games: MAME did not audit its ROMs", all);
}

// Asks the listed emulator's audit, unless it was asked this session; one
// under way for another emulator, or one to be asked anew, is ended first.
void requestAudit(HWND window)
{
    list.wanted = false;
    if (!listsGames())
        return;
    const std::string& command = list.command;
    bool askAgain = isIn(list.askAgain, command);
    if (!askAgain && isIn(list.checked, command))
        return;
    if (romAuditRunning()) {
        list.wanted = true;
        cancelRomAudit();
        return;
    }
    const FoundGames* found = keptFoundGames(command.c_str());
    if (!startRomAudit(window, command.c_str(), found && !askAgain ? &found->key : nullptr)) {
        // No thread to ask on: the list stays whole, and says why.
        list.failed = AuditEnd::noAnswer;
        return;
    }
    removeFrom(list.askAgain, command);
    list.checked.push_back(command);
    list.auditing = command;
    list.looking = false;
    list.failed = AuditEnd::found;
}

// "Only games I have" ticked: what was kept shows at once, and MAME is
// asked in the background whether it still holds.
void showFound(HWND window)
{
    requestAudit(window);
    showListedGames(window);
}

void onToggleOnlyFound(HWND window)
{
    moreSettings.onlyGamesFound = !moreSettings.onlyGamesFound;
    if (moreSettings.onlyGamesFound)
        showFound(window);
    else
        showListedGames(window);
}

void onAuditLooking(HWND window)
{
    list.looking = true;
    if (list.auditing != list.command)
        return;
    if (moreSettings.onlyGamesFound && !list.building)
        showListedGames(window);
}

// An audit has ended: what it found is kept, whether or not the list
// shows it now, and an audit that waited starts.
void onAuditAnswer(HWND window)
{
    const AuditResult& result = takeRomAuditResult();
    bool listed = result.games.key.command == list.command;
    list.looking = false;
    list.auditing.clear();
    switch (result.end) {
    case AuditEnd::found:
        // Kept even without its program file's key, which then never
        // matches: such an emulator is audited at each session.
        keepFoundGames(result.games);
        if (listed)
            list.failed = AuditEnd::found;
        break;
    case AuditEnd::unchanged: break;
    case AuditEnd::unfinished:
    case AuditEnd::noAnswer:
        if (listed)
            list.failed = result.end;
        break;
    case AuditEnd::cancelled: removeFrom(list.checked, result.games.key.command); break;
    }
    if (list.wanted && !list.building) {
        list.wanted = false;
        requestAudit(window);
    }
    if (listed && moreSettings.onlyGamesFound && !list.building)
        showListedGames(window);
}

// Returns whether the dialog manager is to set the first focus.
bool onOpen(HWND window)
{
    announceMainWindow(window);
    for (const char* rate : kSampleRates)
        SendDlgItemMessageA(window, IDC_MAIN_SAMPLE_RATE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(rate));
    SendDlgItemMessageA(window, IDC_MAIN_FRAMESKIP_UPDOWN, UDM_SETRANGE, 0, MAKELPARAM(11, 0));
    scoreListWindow = GetDlgItem(window, IDC_MAIN_SCORE_LIST);
    splitEditWindow = GetDlgItem(window, IDC_MAIN_SPLIT);
    SendMessageA(splitEditWindow, EM_LIMITTEXT, kSplitSize - 1, 0);
    // As long as a title: a search by title takes any words of it.
    SendDlgItemMessageA(window, IDC_MAIN_GOTO, EM_LIMITTEXT, kDescriptionSize - 1, 0);
    showOptions(window);
    SendDlgItemMessageA(window, IDC_MAIN_SAMPLE_RATE, CB_SETCURSEL, lowHalf(settings.sampleRateIndex), 0);
    setScoreListFont();
    check(window, IDC_MAIN_AUTO_FRAMESKIP, settings.autoFrameskip == 1);
    SendDlgItemMessageA(window, IDC_MAIN_FRAMESKIP_UPDOWN, UDM_SETPOS, 0,
                        MAKELPARAM(static_cast<WORD>(lowHalf(settings.frameskipLevel)), 0));
    // The versions were read, and the first one's listing started, before the window was made.
    listVersions(GetDlgItem(window, IDC_MAIN_VERSION));
    if (versionCount > 0)
        noteListed(window, 0, finishGameList(GetDlgItem(window, IDC_MAIN_GAME_LIST)));
    SendDlgItemMessageA(window, IDC_MAIN_VERSION, CB_SETCURSEL, 0, 0);
    enableControls(window, kControlsEnabledAtOpening, true);
    if (versionCount > 0) {
        if (moreSettings.onlyGamesFound)
            PostMessageA(window, kShowFoundMessage, 0, 0);
        return true;
    }
    showNoVersionYet(window);
    return false;
}

void onClose(HWND window)
{
    captureControlValues(window);
    if (unsigned long error = saveSettings())
        reportSettingsNotSaved(error);
    saveMoreSettings();
    endRomAuditBeforeExit();
    EndDialog(window, 0);
}

// The main window stays hidden, with the launch buttons and "Exit" disabled,
// for the whole of a launch, whatever its outcome. A launch without a game or
// version is refused before the window hides; the launch checks again for
// its other caller, the playback of a download.
void launchBracket(HWND window, void (*launch)(HWND), const char* title)
{
    if (!checkLaunchTarget(selectedGame(window), selectedVersion(window), title))
        return;
    readDialogText(window, IDC_MAIN_ADDITIONAL_PARAMETERS, additionalParameters, sizeof additionalParameters);
    captureControlValues(window);
    ShowWindow(window, SW_HIDE);
    enableControls(window, kLaunchButtons, false);
    launch(window);
    enableControls(window, kLaunchButtons, true);
    ShowWindow(window, SW_SHOW);
}

void launchPlay(HWND window)
{
    showConsoleAfterRun(playGame(selectedGame(window), selectedVersion(window), launchOptions()));
}

void launchRecord(HWND window)
{
    showConsoleAfterRun(runInputLog(selectedGame(window), selectedVersion(window), static_cast<int>(LaunchMode::record),
                                    nullptr, nullptr, launchOptions()));
}

// Asks for the recording and plays it back; a cancelled dialog launches nothing.
void playbackChosenRecording(HWND window)
{
    char path[512] = "";
    prepareFileDialog(window, "MAME Input logs (*.inp)\0*.inp\0All files\0*.*\0", path, sizeof path, "Playback INP");
    if (!late::GetOpenFileNameA(&fileDialog))
        return;

    char directory[512];
    char fileName[128];
    switch (splitRecordingPath(path, fileDialog.nFileOffset, directory, sizeof directory, fileName, sizeof fileName)) {
    case SplitResult::ok:
        showConsoleAfterRun(runInputLog(selectedGame(window), selectedVersion(window),
                                        static_cast<int>(LaunchMode::playback), directory, fileName, launchOptions()));
        break;
    case SplitResult::nameTooLong:
        showMessage(
            "The name of this recording is too long: it may have at most 127 characters. "
            "Rename the file and try again.",
            "Playback INP");
        break;
    case SplitResult::directoryTooLong:
        showMessage("The folder of this recording has too long a path.", "Playback INP");
        break;
    }
}

void launchPlayback(HWND window)
{
    if (settings.askInpName == 1)
        playbackChosenRecording(window);
    else
        showConsoleAfterRun(runInputLog(selectedGame(window), selectedVersion(window),
                                        static_cast<int>(LaunchMode::playback), nullptr, nullptr, launchOptions()));
}

// Lists the games of the selected version behind the splash, the main
// window hidden. `askAgain`: its ROMs are looked for anew, not only when
// they or the emulator changed.
void rebuildGameList(HWND window, bool askAgain)
{
    HWND gameList = GetDlgItem(window, IDC_MAIN_GAME_LIST);
    SendMessageA(gameList, LB_RESETCONTENT, 0, 0);
    HWND splash = openSplash(window, "Loading MAME game list - please wait...");
    ShowWindow(window, SW_HIDE);
    list.building = true;
    int version = selectedVersion(window);
    noteListed(window, version, buildGameList(gameList, version, settings.sortByDriver));
    list.building = false;
    if (askAgain && !list.command.empty() && !isIn(list.askAgain, list.command))
        list.askAgain.push_back(list.command);
    if (moreSettings.onlyGamesFound)
        showFound(window);
    if (splash)
        DestroyWindow(splash);
    ShowWindow(window, SW_SHOW);
}

void onRefresh(HWND window)
{
    if (checkVersionIndex(selectedVersion(window), "Refresh game list"))
        rebuildGameList(window, true);
}

// After the versions were loaded anew: version `index` (the last one when
// past the end) is selected and its games listed at once.
void showVersion(HWND window, int index)
{
    if (versionCount == 0) {
        showNoVersionYet(window);
        return;
    }
    if (index >= versionCount)
        index = versionCount - 1;
    SendDlgItemMessageA(window, IDC_MAIN_VERSION, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    EnableWindow(GetDlgItem(window, IDC_MAIN_REMOVE_VERSION), TRUE);
    rebuildGameList(window, false);
}

void onAddVersion(HWND window)
{
    int added = addEmulatorVersion(window, GetDlgItem(window, IDC_MAIN_VERSION));
    if (added >= 0)
        showVersion(window, added);
}

void onRemoveVersion(HWND window)
{
    int version = selectedVersion(window);
    if (!checkVersionIndex(version, "Remove MAME version"))
        return;
    if (removeEmulatorVersion(window, GetDlgItem(window, IDC_MAIN_VERSION), version))
        showVersion(window, version);
}

// "Check INP...": a recording chosen anywhere, the player's own first,
// played to its end without a screen.
void onCheck(HWND window)
{
    char path[512] = "";
    prepareFileDialog(window, "MAME Input logs (*.inp)\0*.inp\0All files\0*.*\0", path, sizeof path, "Check INP");
    fileDialog.Flags |= OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!late::GetOpenFileNameA(&fileDialog))
        return;
    char directory[512];
    char fileName[256];
    if (splitRecordingPath(path, fileDialog.nFileOffset, directory, sizeof directory, fileName, sizeof fileName) !=
        SplitResult::ok) {
        showMessage("The path of this recording is too long to check it.", "Check INP");
        return;
    }
    runRecordingCheck(window, directory, fileName, CheckFallback{selectedGame(window), selectedVersion(window)});
}

// "Check all...": the recording of every listed score, checked in one table.
void onCheckAll(HWND window)
{
    TableOrder order;
    for (int i = 0; i < scoreTable.count; ++i) {
        const ScoreRecord& record = scoreTable.records[i];
        if (!record.hasScore)
            continue;
        // A game's table names its game; a recent upload names its own by
        // its label, when that is a system's name.
        TableScore score{record, ""};
        const char* game = scoreTable.game[0] != '\0' ? scoreTable.game : record.gameLabel;
        if (isMameSystemName(game))
            copyText(score.game, sizeof score.game, game);
        order.scores.push_back(score);
    }
    if (order.scores.empty()) {
        showMessage("No scores are listed to check: get a game's high scores or the recent uploads first.",
                    "Check all");
        return;
    }
    order.fallbackVersion = selectedVersion(window);
    runCheckTable(window, order);
}

// A short name first, whole; else the next game whose title holds the
// words, so that pressing again finds the one after.
void onFind(HWND window)
{
    char text[kDescriptionSize];
    readDialogText(window, IDC_MAIN_GOTO, text, sizeof text);
    int line = findLine(text, selectedLine(window));
    SendDlgItemMessageA(window, IDC_MAIN_GAME_LIST, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
}

void onToggle(const OptionBox& box)
{
    toggleSwitch(settings.*box.field);
}

void onToggleSound(HWND window)
{
    bool soundWasOn = settings.soundEnabled == 1;
    EnableWindow(GetDlgItem(window, IDC_MAIN_SAMPLE_RATE), !soundWasOn);
    settings.soundEnabled = soundWasOn ? 0 : 1;
}

// A line that is no score: the records of an earlier answer go with their lines.
void showOnlyScoreLine(const char* line)
{
    replaceScores(scoreTable, nullptr, 0);
    SendMessageA(scoreListWindow, LB_RESETCONTENT, 0, 0);
    SendMessageA(scoreListWindow, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
}

bool feedWorkerRunning()
{
    DWORD exitCode = 0;
    return feedWorkerHandle && !feedWorkerAnswered && GetExitCodeThread(feedWorkerHandle, &exitCode) &&
           exitCode == STILL_ACTIVE;
}

// The worker's handle stays valid until the next worker replaces it, so the
// busy guard never asks about a handle that was released or reused.
void startFeedWorker(unsigned(__stdcall* worker)(void*), void* argument)
{
    if (feedWorkerHandle)
        CloseHandle(feedWorkerHandle);
    feedWorkerAnswered = false;
    feedWorkerHandle = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, worker, argument, 0, nullptr));
}

void onHighScores(HWND window)
{
    if (feedWorkerRunning()) {
        showOnlyScoreLine("Patience, d00d...");
        return;
    }
    int game = selectedGame(window);
    if (!isGameIndex(game)) {
        showOnlyScoreLine("Select a game in the list first.");
        return;
    }
    feedRequest = FeedRequest{window, "", ""};
    copyText(feedRequest.shortName, sizeof feedRequest.shortName, gameTable[game].shortName);
    readDialogText(window, IDC_MAIN_SPLIT, feedRequest.split, sizeof feedRequest.split);
    startFeedWorker(fetchHighScores, &feedRequest);
    char label[512];
    formatText(label, sizeof label, "YORL High scores for '%s':", feedRequest.shortName);
    SetDlgItemTextA(window, IDC_MAIN_SCORE_LABEL, label);
}

void onRecentUploads(HWND window)
{
    if (feedWorkerRunning()) {
        showOnlyScoreLine("Patience, d00d...");
        return;
    }
    feedRequest = FeedRequest{window, "", ""};
    startFeedWorker(fetchRecentUploads, &feedRequest);
    SetDlgItemTextA(window, IDC_MAIN_SCORE_LABEL, "YORL Recent uploads:");
}

// A feed worker's answer: the score table takes its records, and the list
// its lines, painted once. A walked feed gives one line per record, in
// order; a failure gives its one line and no record, so the table holds
// nothing of an earlier answer.
void onFeedAnswer(const FeedAnswer* answer)
{
    if (!answer)
        return;
    feedWorkerAnswered = true;
    const ScoreLines& lines = answer->lines;
    int count = lines.count < kMaxScores ? lines.count : kMaxScores;
    replaceScores(scoreTable, answer->table, answer->records < count ? answer->records : count, answer->game);
    DWORD bytes = 0;
    for (int i = 0; i < count; ++i)
        bytes += static_cast<DWORD>(std::strlen(lines.lines[i]) + 1);
    beginListFill(scoreListWindow, FillMode::replace, count, bytes);
    for (int i = 0; i < count; ++i)
        SendMessageA(scoreListWindow, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lines.lines[i]));
    endListFill(scoreListWindow);
}

// Only a line that shows a score opens one.
void onScoreList(HWND window, WORD notification)
{
    if (notification != LBN_DBLCLK)
        return;
    int line = static_cast<int>(SendMessageA(scoreListWindow, LB_GETCURSEL, 0, 0));
    if (const ScoreRecord* record = scoreOfLine(scoreTable, line))
        openScoreProperties(window, *record);
}

// Enter presses the default button. While the caret is in "Go to:" or
// "Split:" the player has typed a name, and Enter does what the button
// beside that field does; everywhere else it plays the selected game.
void onFieldFocus(HWND window, WORD notification, int buttonOfField)
{
    if (notification == EN_SETFOCUS)
        SendMessageA(window, DM_SETDEFID, static_cast<WPARAM>(buttonOfField), 0);
    else if (notification == EN_KILLFOCUS)
        SendMessageA(window, DM_SETDEFID, IDC_MAIN_PLAY, 0);
}

bool handleToggle(int id)
{
    for (const OptionBox& box : kToggles) {
        if (box.id == id) {
            onToggle(box);
            return true;
        }
    }
    return false;
}

void onCommand(HWND window, WORD id, WORD notification)
{
    switch (id) {
    case IDC_MAIN_EXIT: SendMessageA(window, WM_CLOSE, 0, 0); break;
    case IDC_MAIN_PLAYBACK: launchBracket(window, launchPlayback, "Playback INP"); break;
    case IDC_MAIN_RECORD: launchBracket(window, launchRecord, "Record INP"); break;
    case IDC_MAIN_PLAY: launchBracket(window, launchPlay, "Play game"); break;
    case IDC_MAIN_NO_SOUND: onToggleSound(window); break;
    case IDC_MAIN_ONLY_FOUND: onToggleOnlyFound(window); break;
    case IDC_MAIN_ABOUT: runAboutBox(window); break;
    case IDC_MAIN_REFRESH: onRefresh(window); break;
    case IDC_MAIN_ADD_VERSION: onAddVersion(window); break;
    case IDC_MAIN_REMOVE_VERSION: onRemoveVersion(window); break;
    case IDC_MAIN_FIND: onFind(window); break;
    case IDC_MAIN_CHECK: onCheck(window); break;
    case IDC_MAIN_CHECK_ALL: onCheckAll(window); break;
    case IDC_MAIN_GOTO: onFieldFocus(window, notification, IDC_MAIN_FIND); break;
    case IDC_MAIN_SPLIT: onFieldFocus(window, notification, IDC_MAIN_HIGH_SCORES); break;
    case IDC_MAIN_SCORE_LIST: onScoreList(window, notification); break;
    case IDC_MAIN_HIGH_SCORES: onHighScores(window); break;
    case IDC_MAIN_RECENT_UPLOADS: onRecentUploads(window); break;
    default: handleToggle(id); break;
    }
}

} // namespace

INT_PTR CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: return onOpen(window) ? TRUE : FALSE;
    case WM_COMMAND: onCommand(window, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    case WM_CLOSE: onClose(window); return TRUE;
    case kFeedAnswerMessage: onFeedAnswer(reinterpret_cast<const FeedAnswer*>(lParam)); return TRUE;
    case kShowFoundMessage: showFound(window); return TRUE;
    case kAuditLookingMessage: onAuditLooking(window); return TRUE;
    case kAuditAnswerMessage: onAuditAnswer(window); return TRUE;
    case WM_DESTROY:
        DeleteObject(scoreListFont);
        scoreListFont = nullptr;
        return TRUE;
    }
    return FALSE;
}
