// Feeds arbitrary bytes to the versions.ini reader: it must never write past
// the table or its fields, and every field it fills must end within its width.
// An edit leaves the others reading as before, whatever form the file is
// written in and whatever the program's code page: a record removed is the
// only one gone, one added (ASCII, or with letters beyond it) is the only one
// new.
#include "common/shown_text_posix.h"
#include "emulator/versions.h"
#include "emulator/versions_edit.h"

#include <cstdint>
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

void require(bool condition)
{
    if (!condition)
        std::abort();
}

using Records = std::vector<std::string>;

Records recordsOf(const std::string& bytes, int& count, const CodePages& codePages)
{
    std::vector<EmulatorVersion> table(kMaxVersions + 1);
    std::memset(table.data(), 0xA5, table.size() * sizeof(EmulatorVersion));
    count = readVersionsText(bytes.data(), bytes.size(), table.data(), kMaxVersions, nullptr, codePages);
    require(count >= 0 && count <= kMaxVersions);
    const unsigned char* past = reinterpret_cast<const unsigned char*>(&table[kMaxVersions]);
    for (std::size_t i = 0; i < sizeof(EmulatorVersion); ++i)
        require(past[i] == 0xA5);
    Records records;
    for (int i = 0; i < count; ++i) {
        const EmulatorVersion& v = table[static_cast<std::size_t>(i)];
        requireTerminated(v.name);
        requireTerminated(v.versionId);
        requireTerminated(v.command);
        records.push_back(std::string(v.name) + '\n' + v.command + '\n' + v.versionId);
    }
    return records;
}

void checkEdits(const std::string& bytes, const CodePages& codePages, const NewVersion& added)
{
    int count = 0;
    Records before = recordsOf(bytes, count, codePages);
    // A byte-order mark stays through every edit.
    const std::string mark = "\xEF\xBB\xBF";
    const bool marked = bytes.compare(0, mark.size(), mark) == 0;
    // Past the read limit, a removal brings the next record into view.
    if (count < kMaxVersions) {
        for (int i = 0; i < count; ++i) {
            std::string edited = bytes;
            require(removeVersion(edited, i, codePages));
            int after = 0;
            Records expected = before;
            expected.erase(expected.begin() + i);
            require(recordsOf(edited, after, codePages) == expected);
            require(!marked || edited.compare(0, mark.size(), mark) == 0);
        }
    }
    std::string edited = bytes;
    if (appendVersion(edited, added, codePages) == VersionsEdit::done) {
        int after = 0;
        Records expected = before;
        expected.push_back(std::string(added.name) + '\n' + added.command + '\n' + added.versionId);
        require(recordsOf(edited, after, codePages) == expected);
        require(!marked || edited.compare(0, mark.size(), mark) == 0);
    } else {
        require(edited == bytes);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const CodePages utf8Program = programCodePages(), oldProgram = codePage1252Program();
    checkEdits(bytes, utf8Program, {"MAME 0.251", "mame.exe -x", "0.251", "Win64"});
    checkEdits(bytes, utf8Program,
               {"MAME \xC5\x81\xC3\xB3"
                "d\xC5\xBA",
                "\"C:\\\xE3\x82\xA8\\mame.exe\"", "0.251", "Win64"});
    checkEdits(bytes, oldProgram, {"MAME \xC9mulateurs", "\"C:\\\xC9mulateurs\\mame.exe\"", "0.106", "Win32"});
    return 0;
}
