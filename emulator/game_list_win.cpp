// Builds the game list by running the emulator's listing into "gamelist.tmp".
#include "emulator/game_list_win.h"

#include "common/program_folder.h"
#include "common/program_files.h"
#include "emulator/emulator_answers.h"
#include "emulator/emulator_forms.h"
#include "emulator/game_list.h"
#include "emulator/known_emulators_win.h"
#include "emulator/emulator_run_win.h"
#include "emulator/run_output_win.h"
#include "emulator/command_line.h"
#include "emulator/versions.h"
#include "emulator/versions_win.h"
#include "common/bounded_text.h"
#include "common/list_fill.h"
#include "common/message.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

#include <process.h>

namespace {

// MAME 0.251 lists its 45,294 entries in about 3.5 MB; more than ten times
// that is no listing.
const std::size_t kMostListingBytes = 48u * 1024 * 1024;

// Kept out of the stack: the read buffer of the scan is 16 KiB.
ListingStream listing;

// A message for the player, shown by the thread that owns the windows once
// the listing is done.
struct Notice {
    char text[512];
    const char* title;
};

// The one list build under way: the listing runs, and the table is filled,
// cut and sorted, on a thread of its own while the window is made. Only
// that thread touches the tables until finishGameList has waited for it.
struct ListBuild {
    HANDLE thread; // null when it ran on the caller's thread
    DWORD started; // the whole build, listings and questions, ends by kListingLimitMs
    int versionIndex;
    int sortByDriver;
    int count;
    Notice notices[4];
    int noticeCount;
    // The titles as the list box keeps them, in UTF-16, each ended by a
    // zero: converted beside the making of the window too.
    std::wstring titles;
};
ListBuild build;

void notify(const char* text, const char* title)
{
    if (build.noticeCount == static_cast<int>(sizeof build.notices / sizeof build.notices[0]))
        return;
    Notice& notice = build.notices[build.noticeCount++];
    copyText(notice.text, sizeof notice.text, text);
    notice.title = title;
}

// Runs the listing with its standard output in the listing file and waits
// for it; its exit code goes to `exitCode`. No command interpreter is
// involved: there is none to rely on on every system. Returns 0, or -1, -2
// or kListingEnded once the user has been told why nothing was listed.
int runListing(int versionIndex, bool sortSwitch, DWORD& exitCode)
{
    // The version's name as the messages quote it: cut, never inside a character.
    char name[65];
    copyText(name, sizeof name, versionTable[versionIndex].name);
    char line[512];
    if (!composeListingCommand(line, sizeof line, versionTable[versionIndex].command, sortSwitch, build.sortByDriver)) {
        char message[256];
        formatText(message, sizeof message,
                   "The command of the emulator version \"%s\" is too long to list its games "
                   "(at most %i characters). Shorten it in versions.ini.",
                   name, static_cast<int>(sizeof line - 23));
        notify(message, "Fatal error");
        return -1;
    }
    DWORD spent = GetTickCount() - build.started;
    DWORD left = spent < kListingLimitMs ? kListingLimitMs - spent : 0;
    RunOutcome outcome = runHidden(HiddenRun{line, kListingFile, nullptr, left, kMostListingBytes, nullptr, nullptr});
    exitCode = outcome.exitCode;
    switch (outcome.end) {
    case RunEnd::ended: return 0;
    case RunEnd::noFile: notify("Cannot open MAME game list", "Fatal Error"); return -2;
    case RunEnd::notStarted:
        removeRunOutput(kListingFile);
        notify("Cannot call MAME", "Fatal error");
        return -1;
    case RunEnd::waitFailed: {
        removeRunOutput(kListingFile);
        char message[512];
        formatText(message, sizeof message,
                   "Hobrin could not wait for the emulator version \"%s\" to list its games (system error %lu), "
                   "so it ended it. No games are listed: refresh the game list to try again.",
                   name, static_cast<unsigned long>(outcome.error));
        notify(message, "Game list");
        return kListingEnded;
    }
    case RunEnd::timedOut:
    case RunEnd::tooLong:
    case RunEnd::cancelled: {
        removeRunOutput(kListingFile);
        char message[512];
        if (outcome.end == RunEnd::tooLong)
            formatText(message, sizeof message,
                       "The emulator version \"%s\" listed more than %lu MB of games, which no MAME lists, so "
                       "Hobrin ended it. No games are listed: choose another version, or remove this one.",
                       name, static_cast<unsigned long>(kMostListingBytes >> 20));
        else
            formatText(message, sizeof message,
                       "The emulator version \"%s\" did not finish listing its games within %lu seconds, so "
                       "Hobrin ended it. No games are listed: choose another version, or remove this one.",
                       name, static_cast<unsigned long>(kListingLimitMs / 1000));
        notify(message, "Game list");
        return kListingEnded;
    }
    }
    return -1;
}

// Fills the game table, as listed, from the listing file and deletes it.
// Returns what fillGameTable returns, or -2 when the file cannot be opened.
int readListing()
{
    std::FILE* file = std::fopen(ownFile(kListingFile).c_str(), "rb");
    if (!file) {
        notify("Cannot open MAME game list", "Fatal Error");
        return -2;
    }
    openListingFile(listing, file);
    int count = fillGameTable(listing, GameOrder::asListed);
    std::fclose(file);
    removeRunOutput(kListingFile);
    return count;
}

// What listGames returns when nothing was listed, the player told why.
bool listingFailed(int count)
{
    return count == -1 || count == -2 || count == kListingEnded;
}

// Runs the listing and reads it; listingFailed when that failed.
int listGames(int versionIndex, bool sortSwitch, DWORD& exitCode)
{
    int started = runListing(versionIndex, sortSwitch, exitCode);
    return started < 0 ? started : readListing();
}

// What the emulator says of the machine `name`: a device only when it says
// so; unknown when it did not answer in time.
MachineKind askMachineKind(const char* command, const char* name)
{
    char question[kShortNameSize + 16];
    if (GetTickCount() - build.started >= kListingLimitMs || !composeMachineQuestion(question, sizeof question, name))
        return MachineKind::unknown;
    EmulatorAnswer answer = askEmulator(command, question, kMachineAnswerFile);
    if (!answer.ended)
        return MachineKind::unknown;
    MachineKind kind = readMachineKind(answer.text.data(), answer.text.size());
    return kind == MachineKind::device ? kind : MachineKind::system;
}

// Today's emulators list every device after their systems (MAME 0.251:
// 5,848 of 45,294 lines), and a device cannot be run: the table keeps the
// systems alone. Where the devices begin is asked of the emulator once and
// kept, so that a later start asks nothing.
void keepSystemsOnly(int versionIndex, EmulatorForms& forms)
{
    if (forms.listsDevices == Learned::yes) {
        int first = findGame(forms.firstDevice);
        if (first >= 0) {
            cutGameTable(static_cast<std::size_t>(first));
            return;
        }
        // The listing no longer names it: learned again.
        forms.listsDevices = Learned::notYet;
    }
    if (forms.listsDevices != Learned::notYet)
        return;
    const char* command = versionTable[versionIndex].command;
    std::vector<const char*> names = gameTableNames();
    DeviceSearch search = findFirstDevice(names.data(), static_cast<int>(names.size()),
                                          [&](int index) { return askMachineKind(command, names[index]); });
    if (!search.known)
        return;
    forms.listsDevices = search.firstDevice >= 0 ? Learned::yes : Learned::no;
    if (search.firstDevice < 0)
        return;
    copyText(forms.firstDevice, sizeof forms.firstDevice, names[static_cast<std::size_t>(search.firstDevice)]);
    cutGameTable(static_cast<std::size_t>(search.firstDevice));
}

// The listing in the order the settings ask for. An emulator that has not
// refused the sort switch gets it, so an old emulator sees the command it
// always saw. Today's emulators refuse it (with MAME 0.251: "Error: unknown
// option: -sortname", exit code 6): they list nothing and fail, and are then
// listed without it, once more, and sorted here, their devices left out.
// That is kept in emulators.ini, so a later start lists such an emulator
// with one run.
int listInOrder(int versionIndex)
{
    recallEmulatorForms(versionIndex);
    EmulatorForms& forms = emulatorForms[versionIndex];
    DWORD exitCode = 0;
    int count = 0;
    bool plain = forms.sortsListing == Learned::no;
    if (plain) {
        count = listGames(versionIndex, false, exitCode);
        // Known to refuse the switch, yet nothing without it: what was
        // known is wrong, or the emulator broke. It is asked as a new one is.
        if (count == 0 && exitCode != 0)
            forms.sortsListing = Learned::notYet;
    }
    if (forms.sortsListing != Learned::no) {
        bool listedPlain = plain;
        count = listGames(versionIndex, true, exitCode);
        plain = false;
        if (count != 0 || exitCode == 0) {
            if (!listingFailed(count))
                forms.sortsListing = Learned::yes;
        } else if (!listedPlain) {
            count = listGames(versionIndex, false, exitCode);
            plain = true;
            // An emulator that lists nothing either way may be broken rather
            // than new: it is asked with the switch again next time.
            if (count != 0)
                forms.sortsListing = Learned::no;
        }
    }
    if (plain && !listingFailed(count)) {
        keepSystemsOnly(versionIndex, forms);
        if (count != kGameListFull)
            count = static_cast<int>(gameTable.size());
        sortGameTable(build.sortByDriver == 1 ? GameOrder::byShortName : GameOrder::byName);
    }
    rememberEmulatorForms(versionIndex);
    return count;
}

// The description of a line shown; "" for a line that names no game.
const char* shownTitle(const ShownGames& shown, int line)
{
    int game = gameOfLine(shown, line);
    return game >= 0 ? gameTable[static_cast<std::size_t>(game)].description : "";
}

// The list box keeps its lines in UTF-16: converted in one block, rather
// than by the ANSI message into a block of its own for each of 40,000
// lines. A description never has more characters than bytes.
void convertTitles(const ShownGames& shown)
{
    const int lines = shownGameCount(shown);
    std::size_t bytes = 0;
    for (int line = 0; line < lines; ++line)
        bytes += std::strlen(shownTitle(shown, line)) + 1;
    build.titles.assign(bytes, L'\0');
    std::size_t at = 0;
    for (int line = 0; line < lines; ++line) {
        const char* description = shownTitle(shown, line);
        int length = MultiByteToWideChar(CP_ACP, 0, description, -1, &build.titles[at],
                                         static_cast<int>(build.titles.size() - at));
        // A title that cannot be converted shows empty, and the next one
        // still starts after it.
        if (length <= 0) {
            build.titles[at] = L'\0';
            length = 1;
        }
        at += static_cast<std::size_t>(length);
    }
}

void showGames(HWND listBox, FillMode mode, const ShownGames& shown)
{
    const int lines = shownGameCount(shown);
    beginListFill(listBox, mode, lines, static_cast<DWORD>(build.titles.size() * sizeof(wchar_t)));
    const wchar_t* title = build.titles.c_str();
    for (int line = 0; line < lines; ++line) {
        SendMessageW(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(title));
        title += std::wcslen(title) + 1;
    }
    endListFill(listBox);
    build.titles = std::wstring();
}

void listGamesForBuild()
{
    build.count = listInOrder(build.versionIndex);
    if (!listingFailed(build.count))
        convertTitles(ShownGames{});
}

unsigned __stdcall listOnThread(void*)
{
    listGamesForBuild();
    return 0;
}

} // namespace

void startGameList(int versionIndex, int sortByDriver)
{
    build = ListBuild{};
    build.started = GetTickCount();
    build.versionIndex = versionIndex;
    build.sortByDriver = sortByDriver;
    if (versionIndex < 0 || versionIndex >= versionCount) {
        build.count = -1;
        return;
    }
    build.thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, listOnThread, nullptr, 0, nullptr));
    if (!build.thread)
        listGamesForBuild();
}

int finishGameList(HWND listBox)
{
    if (build.thread) {
        WaitForSingleObject(build.thread, INFINITE);
        CloseHandle(build.thread);
        build.thread = nullptr;
    }
    for (int i = 0; i < build.noticeCount; ++i)
        showMessage(build.notices[i].text, build.notices[i].title);
    build.noticeCount = 0;
    if (!checkVersionIndex(build.versionIndex, "Error")) {
        clearGameTable();
        return -1;
    }
    int count = build.count;
    if (listingFailed(count)) {
        // The list box shows no game now, so no index may name one.
        clearGameTable();
        return count;
    }
    showGames(listBox, FillMode::append, ShownGames{});
    if (count == kGameListFull)
        showMessage("Game list limit exceeded :/", "Error");
    return count;
}

int buildGameList(HWND listBox, int versionIndex, int sortByDriver)
{
    startGameList(versionIndex, sortByDriver);
    return finishGameList(listBox);
}

void showGameLines(HWND listBox, const ShownGames& shown)
{
    convertTitles(shown);
    showGames(listBox, FillMode::replace, shown);
}
