// The working folder, where the program keeps every file of its own: one copy at a time, and writable.
#include "shell/working_folder.h"

#include "common/program_folder.h"
#include "common/bounded_text.h"
#include "common/message.h"
#include "common/program_files.h"

#include <cstdint>
#include <cstring>

namespace {

// Created by the first copy in a folder and held until it ends; a later
// copy finds it there. It holds that copy's main window, written once by
// its user-interface thread and read by later copies.
HANDLE folderClaim;
volatile LONG* announcedWindow;

// The folder as Windows compares names: long names, upper case. Two copies
// started as C:\PROGRA~1\Hobrin and c:\program files\hobrin are in one folder.
bool folderKey(std::uint64_t& key)
{
    wchar_t folder[MAX_PATH + 1];
    DWORD length = GetCurrentDirectoryW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH)
        return false;
    wchar_t longName[MAX_PATH + 1];
    DWORD longLength = GetLongPathNameW(folder, longName, MAX_PATH + 1);
    const wchar_t* name = longLength > 0 && longLength <= MAX_PATH ? longName : folder;
    DWORD nameLength = longLength > 0 && longLength <= MAX_PATH ? longLength : length;
    wchar_t upper[MAX_PATH + 1];
    for (DWORD i = 0; i <= nameLength; ++i)
        upper[i] = name[i];
    CharUpperBuffW(upper, nameLength);
    // FNV-1a over the UTF-16 units.
    key = 14695981039346656037ull;
    for (DWORD i = 0; i < nameLength; ++i) {
        for (int shift = 0; shift < 16; shift += 8) {
            key ^= static_cast<unsigned char>(upper[i] >> shift);
            key *= 1099511628211ull;
        }
    }
    return true;
}

// The window of the copy that holds the folder, or null while it has none
// to show.
HWND runningCopyWindow(HANDLE claim)
{
    void* view = MapViewOfFile(claim, FILE_MAP_READ, 0, 0, sizeof(LONG));
    if (!view)
        return nullptr;
    // An aligned 32-bit read is whole; an interlocked one would write the read-only view.
    LONG value = *static_cast<const volatile LONG*>(view);
    UnmapViewOfFile(view);
    HWND window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(value));
    return window && IsWindow(window) ? window : nullptr;
}

void bringToFront(HWND window)
{
    if (IsIconic(window))
        ShowWindowAsync(window, SW_RESTORE);
    // A box open over it (About, a score, a message) is what the player
    // must see first.
    SetForegroundWindow(GetLastActivePopup(window));
}

void folderPath(char* path, DWORD size)
{
    if (programFolder().empty() || !copyText(path, size, programFolder().c_str()))
        copyText(path, size, ".");
}

} // namespace

bool claimWorkingFolder()
{
    std::uint64_t key = 0;
    if (!folderKey(key))
        return true; // a folder too long to name cannot be guarded; the program runs as before
    char name[64];
    formatText(name, sizeof name, "Local\\Hobrin-%08lx%08lx", static_cast<unsigned long>(key >> 32),
               static_cast<unsigned long>(key & 0xFFFFFFFFu));
    HANDLE claim = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG), name);
    if (!claim)
        return true;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        HWND window = runningCopyWindow(claim);
        CloseHandle(claim);
        // Hidden, it is running an emulator or building its list: showing
        // it now would break that off, so the player is told instead.
        if (window && IsWindowVisible(window))
            bringToFront(window);
        else
            showMessage(
                "Hobrin already runs in this folder. Its window is hidden while MAME runs a game or "
                "lists its games (a list is ended after a minute at most), and shows again then.",
                "Hobrin");
        return false;
    }
    folderClaim = claim;
    announcedWindow = static_cast<volatile LONG*>(MapViewOfFile(claim, FILE_MAP_WRITE, 0, 0, sizeof(LONG)));
    return true;
}

void announceMainWindow(HWND window)
{
    // Window handles are 32-bit values in 32-bit and 64-bit processes alike.
    if (announcedWindow)
        InterlockedExchange(announcedWindow, static_cast<LONG>(reinterpret_cast<LONG_PTR>(window)));
}

bool checkWorkingFolderWritable()
{
    HANDLE probe = CreateFileA(ownFile(kWriteCheckFile).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
        return true;
    }
    DWORD error = GetLastError();
    char folder[MAX_PATH + 1];
    folderPath(folder, sizeof folder);
    char message[1024];
    if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL)
        formatText(message, sizeof message,
                   "Hobrin cannot write in its folder %s: the disk is full. It keeps its settings, the game list "
                   "and recordings there. Make some room on the disk and start Hobrin again.",
                   folder);
    else
        formatText(message, sizeof message,
                   "Hobrin cannot write in its folder %s. It keeps its settings, the game list and recordings "
                   "there. Move the Hobrin folder to one that you can write, such as C:\\Games\\Hobrin.",
                   folder);
    showMessage(message, "Hobrin");
    return false;
}

void reportSettingsNotSaved(DWORD error)
{
    char reason[256];
    systemErrorText(error, reason, sizeof reason);
    char folder[MAX_PATH + 1];
    folderPath(folder, sizeof folder);
    char message[1024];
    std::size_t end = std::strlen(folder);
    const char* separator = end > 0 && folder[end - 1] == '\\' ? "" : "\\";
    formatText(message, sizeof message,
               "Hobrin could not save your options in %s%shobrin.cfg: %s\n\nThe options saved before are kept.", folder,
               separator, reason);
    showMessage(message, "Hobrin");
}
