// Feeds arbitrary bytes to the versions.ini reader: it must never write past
// the table or its fields, and every field it fills must end within its width.
#include "emulator/versions.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

template <std::size_t N>
void requireTerminated(const char (&field)[N])
{
    if (std::memchr(field, '\0', N) == nullptr)
        std::abort();
}

std::FILE* openBytes(std::vector<char>& copy)
{
    // fmemopen rejects a zero-size buffer on some C libraries; a temporary file
    // takes any input.
    if (!copy.empty()) {
        if (std::FILE* file = fmemopen(copy.data(), copy.size(), "r"))
            return file;
    }
    std::FILE* file = std::tmpfile();
    if (!file)
        return nullptr;
    std::fwrite(copy.data(), 1, copy.size(), file);
    std::rewind(file);
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<char> copy(data, data + size);
    std::FILE* file = openBytes(copy);
    if (!file)
        return 0;

    EmulatorVersion table[kMaxVersions];
    std::memset(table, 0xA5, sizeof table);
    int count = readVersions(file, table, kMaxVersions);
    std::fclose(file);

    if (count < 0 || count > kMaxVersions)
        std::abort();
    for (int i = 0; i < count; ++i) {
        requireTerminated(table[i].name);
        requireTerminated(table[i].versionId);
        requireTerminated(table[i].command);
    }
    return 0;
}
