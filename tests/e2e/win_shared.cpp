// What the end-to-end driver and the Windows benchmarks share: folders, and the windows of another process.
#include "tests/e2e/win_shared.h"

namespace {

struct WindowSearch {
    DWORD processId;
    const char* title;
    int controlId;
    HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window))
        return TRUE;
    if (search->controlId && !GetDlgItem(window, search->controlId))
        return TRUE;
    // GetWindowText reads another process's window text without a message.
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    if (search->title && std::string(text) != search->title)
        return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

std::string moduleDirectory()
{
    char module[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, module, sizeof module);
    std::string path = module;
    return path.substr(0, path.find_last_of("\\/"));
}

void removeTree(const std::string& directory)
{
    for (const std::string& name : directoryEntries(directory)) {
        std::string full = directory + "\\" + name;
        DWORD attributes = GetFileAttributesA(full.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            removeTree(full);
        } else {
            SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(full.c_str());
        }
    }
    RemoveDirectoryA(directory.c_str());
}

std::vector<std::string> directoryEntries(const std::string& directory)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = entry.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return names;
}

HWND findProcessWindow(DWORD processId, const char* title, int controlId)
{
    WindowSearch search{processId, title, controlId, nullptr};
    EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
