// Loads "versions.ini" into the version table and the main window's version combo box.
#include "emulator/versions_win.h"

#include "emulator/versions.h"
#include "common/message.h"

#include <cstdio>

int loadVersions(HWND comboBox)
{
    // Binary mode: the reader drops CR before LF itself and must not stop at a Ctrl-Z.
    std::FILE* file = std::fopen("versions.ini", "rb");
    if (!file)
        return -1;
    versionCount = readVersions(file, versionTable, kMaxVersions);
    std::fclose(file);
    for (int i = 0; i < versionCount; ++i)
        SendMessageA(comboBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(versionTable[i].name));
    return 0;
}

bool checkVersionIndex(int versionIndex, const char* title)
{
    if (versionIndex >= 0 && versionIndex < versionCount)
        return true;
    showMessage("No emulator version is listed. Add your emulators to versions.ini and start Hobrin again.", title);
    return false;
}
