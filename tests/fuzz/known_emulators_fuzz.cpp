// Feeds arbitrary bytes to the emulators.ini reader: it must stay within its
// table and fields, and what it reads must read back the same once written.
#include "emulator/known_emulators.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // An exact copy, so that a read past the input is caught.
    std::vector<char> text(data, data + size);
    const int capacity = 4;
    KnownEmulator table[capacity];
    std::memset(table, 0xA5, sizeof table);
    int count = readKnownEmulators(text.data(), text.size(), table, capacity);
    require(count >= 0 && count <= capacity);
    for (int i = 0; i < count; ++i) {
        require(std::memchr(table[i].command, '\0', sizeof table[i].command) != nullptr);
        require(table[i].command[0] != '\0');
        require(table[i].configKnown || !table[i].config.recognized);
        require(std::memchr(table[i].helpVersion, '\0', sizeof table[i].helpVersion) != nullptr);
        require(std::memchr(table[i].firstDevice, '\0', sizeof table[i].firstDevice) != nullptr);
        require((table[i].listsDevices == Learned::yes) == (table[i].firstDevice[0] != '\0'));
    }

    std::string written = writeKnownEmulators(table, count);
    KnownEmulator again[capacity];
    require(readKnownEmulators(written.data(), written.size(), again, capacity) == count);
    for (int i = 0; i < count; ++i) {
        require(isSameEmulator(again[i], table[i].command, table[i].size, table[i].written));
        require(again[i].sortsListing == table[i].sortsListing && again[i].configKnown == table[i].configKnown);
        require(!table[i].configKnown || std::memcmp(&again[i].config, &table[i].config, sizeof again[i].config) == 0);
        require(std::strcmp(again[i].helpVersion, table[i].helpVersion) == 0);
        require(again[i].listsDevices == table[i].listsDevices);
        require(std::strcmp(again[i].firstDevice, table[i].firstDevice) == 0);
    }
    return 0;
}
