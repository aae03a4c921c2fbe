// Builds the game list by running the emulator's listing into "gamelist.tmp".
#include "emulator/game_list_win.h"

#include "emulator/game_list.h"
#include "emulator/process_win.h"
#include "emulator/versions.h"
#include "emulator/versions_win.h"
#include "common/bounded_text.h"
#include "common/list_fill.h"
#include "common/message.h"
#include "shell/settings.h"

#include <cstdio>

namespace {

const char kListingFile[] = "gamelist.tmp";

// Kept out of the stack: the read buffer of the scan is 16 KiB.
ListingStream listing;

// A process that the emulator left behind (under Wine, the console host it
// was given) can hold the listing file a moment after the emulator ended, so
// the delete is tried again for up to two seconds.
void deleteListingFile()
{
    for (int attempt = 0; attempt < 40; ++attempt) {
        if (DeleteFileA(kListingFile) || GetLastError() == ERROR_FILE_NOT_FOUND)
            return;
        Sleep(50);
    }
}

// A game line of a listing is a name, a blank, a quoted description and a
// line end: six bytes at the least.
const DWORD kShortestGameLine = 6;

// Reserves list-box room for as many games as the listing file can hold, so
// that the list box does not grow its storage step by step while it fills.
void reserveListRoom(HWND listBox)
{
    WIN32_FILE_ATTRIBUTE_DATA listingFile;
    DWORD bytes = 0;
    if (GetFileAttributesExA(kListingFile, GetFileExInfoStandard, &listingFile) && listingFile.nFileSizeHigh == 0)
        bytes = listingFile.nFileSizeLow;
    DWORD mostBytes = kMaxGames * static_cast<DWORD>(sizeof gameTable[0].description);
    if (bytes > mostBytes)
        bytes = mostBytes;
    DWORD lines = bytes / kShortestGameLine + 1;
    beginListFill(listBox, FillMode::append, static_cast<int>(lines < kMaxGames ? lines : kMaxGames), bytes);
}

void addToListBox(const char* description, void* listBox)
{
    SendMessageA(static_cast<HWND>(listBox), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(description));
}

// Runs the listing with its standard output in the listing file. No command
// interpreter is involved: there is none to rely on on every system.
int runListing(int versionIndex)
{
    char line[512];
    if (!composeListingCommand(line, sizeof line, versionTable[versionIndex].command, settings.sortByDriver)) {
        char message[256];
        formatText(message, sizeof message,
                   "The command of the emulator version \"%.64s\" is too long to list its games "
                   "(at most %i characters). Shorten it in versions.ini.",
                   versionTable[versionIndex].name, static_cast<int>(sizeof line - 23));
        showMessage(message, "Fatal error");
        return -1;
    }
    HANDLE output = openInheritable(kListingFile, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
    if (output == INVALID_HANDLE_VALUE) {
        showMessage("Cannot open MAME game list", "Fatal Error");
        return -2;
    }
    HANDLE nul =
        openInheritable("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    DWORD error = 0;
    // Without a console: the program, started from the desktop, has none, and
    // a console made for the listing alone costs more than the listing
    // itself (about 130 ms under Wine).
    HANDLE process = startEmulator(line, SW_HIDE, EmulatorConsole::none, nul, output, nul, error);
    CloseHandle(output);
    if (nul != INVALID_HANDLE_VALUE)
        CloseHandle(nul);
    if (!process) {
        deleteListingFile();
        showMessage("Cannot call MAME", "Fatal error");
        return -1;
    }
    waitForProcess(process);
    CloseHandle(process);
    return 0;
}

} // namespace

int buildGameList(HWND listBox, int versionIndex)
{
    if (!checkVersionIndex(versionIndex, "Error"))
        return -1;
    int started = runListing(versionIndex);
    if (started < 0)
        return started;

    std::FILE* file = std::fopen(kListingFile, "rb");
    if (!file) {
        showMessage("Cannot open MAME game list", "Fatal Error");
        return -2;
    }
    openListingFile(listing, file);
    reserveListRoom(listBox);
    int count = fillGameTable(listing, addToListBox, listBox);
    endListFill(listBox);
    if (count == kGameListFull)
        showMessage("Game list limit exceeded :/", "Error");
    std::fclose(file);
    deleteListingFile();
    return count;
}
