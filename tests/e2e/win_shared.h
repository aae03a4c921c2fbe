// What the end-to-end driver and the Windows benchmarks share: folders, and the windows of another process.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The folder of the running program, where the programs it drives lie beside it.
std::string moduleDirectory();

// Removes a folder with everything in it, read-only files included.
void removeTree(const std::string& directory);

// The names in a folder, without "." and "..". A name like "CON.inp" is a
// device to Windows, so only a folder's own entries tell whether it is there.
std::vector<std::string> directoryEntries(const std::string& directory);

// A visible top-level window of process `processId` whose title is `title`
// (any title when null) and that has a control `controlId` (unless 0), or
// null. It reads no text through messages, so it never waits for the process.
HWND findProcessWindow(DWORD processId, const char* title, int controlId = 0);
