// Reading and writing the settings record as "hobrin.cfg" in the working directory.
#include "shell/settings_file.h"

#include "shell/settings.h"

#include <windows.h>

namespace {

const char kSettingsFile[] = "hobrin.cfg";
// Beside the real file, so that the final move stays on one volume.
const char kSettingsTempFile[] = "hobrin.cfg.tmp";

bool writeWhole(HANDLE file, const unsigned char* bytes, DWORD size)
{
    DWORD done = 0;
    while (done < size) {
        DWORD written = 0;
        if (!WriteFile(file, bytes + done, size - done, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

} // namespace

void loadSettings()
{
    HANDLE file = CreateFileA(kSettingsFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
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
    DWORD attributes = GetFileAttributesA(kSettingsFile);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return 0;

    unsigned char bytes[kSettingsFileSize];
    encodeSettings(settings, bytes);

    HANDLE file =
        CreateFileA(kSettingsTempFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError();
    DWORD error = 0;
    if (!writeWhole(file, bytes, sizeof bytes) || !FlushFileBuffers(file)) {
        error = GetLastError();
        // A write that took nothing without saying why found no room.
        if (error == 0)
            error = ERROR_DISK_FULL;
    }
    if (!CloseHandle(file) && error == 0)
        error = GetLastError();
    if (error == 0 &&
        !MoveFileExA(kSettingsTempFile, kSettingsFile, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error != 0)
        DeleteFileA(kSettingsTempFile);
    return error;
}
