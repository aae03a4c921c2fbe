// Hobrin's folder, where it keeps every file of its own, taken once at start.
#include "common/program_folder.h"

#include <windows.h>

#include <vector>

namespace {

// Written once by the entry before any other thread starts; read only after.
std::string folder;

} // namespace

bool rememberProgramFolder()
{
    DWORD units = GetCurrentDirectoryW(0, nullptr);
    std::vector<wchar_t> wide(units + 1);
    units = units > 0 ? GetCurrentDirectoryW(static_cast<DWORD>(wide.size()), wide.data()) : 0;
    if (units == 0 || units >= wide.size())
        return false;
    if (wide[units - 1] == L'\\')
        --units;
    int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(units), nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return false;
    std::string named(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(units), &named[0], bytes, nullptr, nullptr);
    folder = named;
    return true;
}

const std::string& programFolder()
{
    return folder;
}

std::string ownFile(const char* name)
{
    const bool whole = (name[0] != '\0' && name[1] == ':') || name[0] == '\\' || name[0] == '/';
    return folder.empty() || whole ? std::string(name) : folder + "\\" + name;
}
