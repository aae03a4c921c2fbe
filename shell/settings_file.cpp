// Reading and writing the settings record as "hobrin.cfg" in the working directory.
#include "shell/settings_file.h"

#include "common/program_folder.h"
#include "common/file_replace.h"
#include "common/program_files.h"
#include "common/settings.h"
#include "shell/app.h"

#include <windows.h>

namespace {

// What "hobrin.ini" held at the start.
MoreSettings moreSettingsRead{false};

} // namespace

void loadSettings()
{
    HANDLE file = CreateFileA(ownFile(kSettingsFile).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    unsigned char bytes[kSettingsFileSize];
    DWORD total = 0;
    while (total < sizeof bytes) {
        DWORD got = 0;
        if (!ReadFile(file, bytes + total, static_cast<DWORD>(sizeof bytes - total), &got, nullptr) || got == 0)
            break;
        total += got;
    }
    CloseHandle(file);
    overlaySettings(settings, bytes, total);
}

unsigned long saveSettings()
{
    // Windows refuses to move a file over a read-only one anyway; Wine would not.
    DWORD attributes = GetFileAttributesA(ownFile(kSettingsFile).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return 0;

    unsigned char bytes[kSettingsFileSize];
    encodeSettings(settings, bytes);
    return replaceFileWhole(kSettingsFile, kSettingsTempFile, kSettingsOldFile, bytes, sizeof bytes);
}

void loadMoreSettings()
{
    HANDLE file = CreateFileA(ownFile(kMoreSettingsFile).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    // A few lines: what is past them is not ours.
    char text[1024];
    DWORD got = 0;
    if (!ReadFile(file, text, sizeof text, &got, nullptr))
        got = 0;
    CloseHandle(file);
    moreSettings = moreSettingsRead = readMoreSettings(text, got);
}

void saveMoreSettings()
{
    if (moreSettings.onlyGamesFound == moreSettingsRead.onlyGamesFound)
        return;
    char text[128];
    std::size_t length = 0;
    writeMoreSettings(moreSettings, text, sizeof text, length);
    if (replaceFileWhole(kMoreSettingsFile, kMoreSettingsTempFile, kMoreSettingsOldFile, text,
                         static_cast<DWORD>(length)) == 0)
        moreSettingsRead = moreSettings;
}
