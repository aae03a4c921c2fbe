// Feeds arbitrary bytes to the versions.ini reader: it must never write past
// the table or its fields, and every field it fills must end within its width.
// Reading from memory reads the same records as from a file, and an edit
// leaves the others reading as before: a record removed is the only one gone,
// one added is the only one new.
#include "emulator/versions.h"
#include "emulator/versions_edit.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

template <std::size_t N>
void requireTerminated(const char (&field)[N])
{
    if (std::memchr(field, '\0', N) == nullptr)
        std::abort();
}

using Records = std::vector<std::string>;

Records recordsOf(const std::string& bytes, int& count)
{
    std::vector<EmulatorVersion> table(kMaxVersions);
    count = readVersionsText(bytes.data(), bytes.size(), table.data(), kMaxVersions, nullptr);
    Records records;
    for (int i = 0; i < count; ++i) {
        const EmulatorVersion& v = table[static_cast<std::size_t>(i)];
        records.push_back(std::string(v.name) + '\n' + v.command + '\n' + v.versionId);
    }
    return records;
}

void require(bool condition)
{
    if (!condition)
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

    const std::string bytes(copy.begin(), copy.end());
    int textCount = 0;
    Records before = recordsOf(bytes, textCount);
    require(textCount == count);
    for (int i = 0; i < count; ++i)
        require(before[static_cast<std::size_t>(i)] ==
                std::string(table[i].name) + '\n' + table[i].command + '\n' + table[i].versionId);
    // A byte-order mark stays through every edit.
    const std::string mark = "\xEF\xBB\xBF";
    const bool marked = bytes.compare(0, mark.size(), mark) == 0;
    // Past the read limit, a removal brings the next record into view.
    if (count < kMaxVersions) {
        for (int i = 0; i < count; ++i) {
            std::string edited = bytes;
            require(removeVersion(edited, i));
            int after = 0;
            Records expected = before;
            expected.erase(expected.begin() + i);
            require(recordsOf(edited, after) == expected);
            require(!marked || edited.compare(0, mark.size(), mark) == 0);
        }
    }
    std::string edited = bytes;
    if (appendVersion(edited, {"MAME 0.251", "mame.exe -x", "0.251", "Win64"}) == VersionsEdit::done) {
        int after = 0;
        Records expected = before;
        expected.push_back("MAME 0.251\nmame.exe -x\n0.251");
        require(recordsOf(edited, after) == expected);
        require(!marked || edited.compare(0, mark.size(), mark) == 0);
    } else {
        require(edited == bytes);
    }
    return 0;
}
