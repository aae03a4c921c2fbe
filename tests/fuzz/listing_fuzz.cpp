// Feeds arbitrary bytes to the listing scan, from memory and from a file: the
// scan loop must always end, every field must end within its buffer, and the
// game table fill must stay within the table.
#include "emulator/game_list.h"
#include "emulator/listing_scan.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

template <std::size_t N>
void requireTerminated(const char (&field)[N])
{
    require(std::memchr(field, '\0', N) != nullptr);
}

// The loop of fillGameTable, step by step. Every step consumes a byte or ends
// the stream, so it cannot take more steps than the input has bytes, plus the
// step that meets the end.
void scanAll(ListingStream& stream, std::size_t size)
{
    std::size_t stepsTaken = 0;
    while (!listingEnded(stream)) {
        require(++stepsTaken <= size + 2);
        const std::size_t before = stream.position;
        GameEntry entry;
        std::memset(&entry, 0xA5, sizeof entry);
        scanListingEntry(stream, entry.shortName, sizeof entry.shortName, entry.description, sizeof entry.description);
        requireTerminated(entry.shortName);
        requireTerminated(entry.description);
        if (!stream.file)
            require(stream.position > before || listingEnded(stream));
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

void countListed(const char*, void* context)
{
    ++*static_cast<int*>(context);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ListingStream stream;
    openListingMemory(stream, data, size);
    scanAll(stream, size);

    // The file path refills its buffer and puts characters back across
    // refills; a third of the inputs is enough to keep the runs quick.
    if (size > 0 && data[0] % 3 == 0) {
        std::vector<char> copy(data, data + size);
        if (std::FILE* file = openBytes(copy)) {
            openListingFile(stream, file);
            scanAll(stream, size);
            std::fclose(file);
        }
    }

    openListingMemory(stream, data, size);
    int listed = 0;
    int count = fillGameTable(stream, countListed, &listed);
    require(count == kGameListFull ? listed == kMaxGames : count >= 0 && count == listed);
    for (int i = 0; i < listed; ++i) {
        requireTerminated(gameTable[i].shortName);
        requireTerminated(gameTable[i].description);
    }
    return 0;
}
