// The games of the chosen emulator version: the table, its fill from a listing, and the search by short name.
#include "emulator/game_list.h"

#include "common/bounded_text.h"

#include <cstring>

GameEntry gameTable[kMaxGames];

int fillGameTable(ListingStream& listing, void (*listGame)(const char* description, void* context), void* context)
{
    int count = 0;
    while (!listingEnded(listing)) {
        GameEntry entry;
        if (scanListingEntry(listing, entry.shortName, sizeof entry.shortName, entry.description,
                             sizeof entry.description) != ScanResult::game)
            continue;
        listGame(entry.description, context);
        gameTable[count] = entry;
        ++count;
        if (count == kMaxGames)
            return kGameListFull;
    }
    return count;
}

int findGame(const char* text)
{
    if (text[0] == '\0')
        return -1;
    for (int i = 0; i < kMaxGames - 1; ++i) {
        if (std::strcmp(gameTable[i].shortName, text) == 0)
            return i;
    }
    return -1;
}

bool composeListingCommand(char* line, std::size_t size, const char* command, int sortByDriver)
{
    TextBuilder builder = startText(line, size);
    appendText(builder, command);
    appendText(builder, " -listfull ");
    appendText(builder, sortByDriver == 1 ? "-sortdriver" : "-sortname");
    return !builder.overflowed;
}
