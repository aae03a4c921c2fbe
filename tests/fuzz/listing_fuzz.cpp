// Feeds arbitrary bytes to the listing scan, from memory and from a file: the
// scan loop must always end, every field must end within its buffer, the
// game table fill must stay within the table, and every game's description
// must be what the rule of shown_oracle.h makes of the bytes between its
// quotes, in the form of the whole listing.
#include "emulator/game_list.h"
#include "emulator/listing_scan.h"
#include "tests/fuzz/shown_oracle.h"

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
    require(std::memchr(field, '\0', N) != nullptr);
}

bool isBlank(std::uint8_t c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The bytes between the quotes of the game that a step found from `from`:
// blanks, the name, blanks, a quote, the description up to the last quote of
// the first line (from the opening quote on) that holds another quote.
std::string rawDescription(const std::uint8_t* data, std::size_t size, std::size_t from)
{
    std::size_t i = from;
    while (i < size && isBlank(data[i]))
        ++i;
    while (i < size && !isBlank(data[i]))
        ++i;
    while (i < size && isBlank(data[i]))
        ++i;
    require(i < size && data[i] == '"');
    const std::size_t start = i + 1;
    std::size_t end = start;
    bool quoted = false;
    for (i = start; i < size && !(data[i] == '\n' && quoted); ++i) {
        if (data[i] == '"') {
            quoted = true;
            end = i;
        }
    }
    require(quoted);
    return std::string(reinterpret_cast<const char*>(data) + start, end - start);
}

// The loop of fillGameTable, step by step. Every step consumes a byte or ends
// the stream, so it cannot take more steps than the input has bytes, plus the
// step that meets the end. From memory, each game's description is checked.
void scanAll(ListingStream& stream, const std::uint8_t* data, std::size_t size)
{
    // The listing is judged UTF-8 or not as a whole.
    const bool utf8 = isUtf8Input(std::string(reinterpret_cast<const char*>(data), size));
    std::size_t stepsTaken = 0;
    while (!listingEnded(stream)) {
        require(++stepsTaken <= size + 2);
        const std::size_t before = stream.position;
        char shortName[kShortNameSize];
        char description[kDescriptionSize];
        std::memset(shortName, 0xA5, sizeof shortName);
        std::memset(description, 0xA5, sizeof description);
        ScanResult result = scanListingEntry(stream, shortName, sizeof shortName, description, sizeof description);
        requireTerminated(shortName);
        requireTerminated(description);
        if (!stream.file) {
            require(stream.position > before || listingEnded(stream));
            if (result == ScanResult::game)
                require(description == shownText(rawDescription(data, size, before), sizeof description, utf8));
        }
    }
}

std::FILE* openBytes(std::vector<char>& copy)
{
    // fmemopen rejects a zero-size buffer on some C libraries.
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
    ListingStream stream;
    openListingMemory(stream, data, size);
    scanAll(stream, data, size);

    // The file path refills its buffer and puts characters back across
    // refills; a third of the inputs is enough to keep the runs quick.
    if (size > 0 && data[0] % 3 == 0) {
        std::vector<char> copy(data, data + size);
        if (std::FILE* file = openBytes(copy)) {
            openListingFile(stream, file);
            scanAll(stream, data, size);
            std::fclose(file);
        }
    }

    // The fill in every order: each game within its field's width, and the
    // sorts in order. Inputs are far too short to reach the table's bound.
    const GameOrder orders[] = {GameOrder::asListed, GameOrder::byName, GameOrder::byShortName};
    openListingMemory(stream, data, size);
    GameOrder order = orders[size % 3];
    int count = fillGameTable(stream, order);
    require(count >= 0 && static_cast<std::size_t>(count) == gameTable.size());
    for (std::size_t i = 0; i < gameTable.size(); ++i) {
        require(std::strlen(gameTable[i].shortName) < kShortNameSize);
        require(std::strlen(gameTable[i].description) < kDescriptionSize);
        if (order == GameOrder::byShortName && i > 0)
            require(std::strcmp(gameTable[i - 1].shortName, gameTable[i].shortName) <= 0);
    }
    return 0;
}
