// Feeds arbitrary bytes to what reads MAME's audit ("-verifyroms"), the
// rompath of its "-showconfig" and the kept "found.ini". None may read
// outside its input; every set found is a short name that stands in the
// input; a rompath fits its buffer and is MAME's default or stands in the
// input; kept entries write and read back the same.
#include "emulator/rom_audit.h"
#include "tests/fuzz/shown_oracle.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // An exact-size copy, so that AddressSanitizer sees a read past the end.
    std::vector<char> text(data, data + size);
    const std::string whole(text.begin(), text.end());

    AuditAnswer answer = readAuditAnswer(text.data(), text.size());
    for (const std::string& name : answer.found) {
        require(!name.empty() && name.size() < 64 && name.find('\0') == std::string::npos);
        require(whole.find(name) != std::string::npos);
    }
    require(answer.closed == (answer.setsFound >= 0));
    require(!answer.closed || whole.find(" romsets found, ") != std::string::npos);

    char romPath[40];
    readRomPath(text.data(), text.size(), romPath, sizeof romPath);
    require(std::memchr(romPath, '\0', sizeof romPath) != nullptr);
    require(std::strcmp(romPath, "roms") == 0 || whole.find(romPath) != std::string::npos);

    std::vector<FoundGames> kept = readFoundGames(text.data(), text.size());
    std::string written = writeFoundGames(kept);
    std::vector<FoundGames> again = readFoundGames(written.data(), written.size());
    require(again.size() == kept.size());
    for (std::size_t i = 0; i < kept.size(); ++i)
        require(again[i].key == kept[i].key && again[i].names == kept[i].names);
    return 0;
}
