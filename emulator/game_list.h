// The games of the chosen emulator version: the table, its fill from a listing, and the search by short name.
#pragma once

#include "emulator/listing_scan.h"

#include <cstddef>

struct GameEntry {
    char shortName[10];
    char description[250];
};

constexpr int kMaxGames = 5000;
constexpr int kGameListFull = -10;

// Filled from slot 0 by each build; slots past the current listing keep what
// an earlier, longer listing stored there.
extern GameEntry gameTable[kMaxGames];

// Scans the listing into gameTable from slot 0, calling `listGame` with each
// game's description before the game is stored. Returns the number of games,
// or kGameListFull once the 5000th game has been stored and listed.
int fillGameTable(ListingStream& listing, void (*listGame)(const char* description, void* context), void* context);

// Index of the first of slots 0 to 4998 whose short name is exactly `text`,
// or -1. An empty text names no game.
int findGame(const char* text);

// The emulator's listing command: the version's command, " -listfull " and
// the sort switch. False when it does not fit `size` bytes.
bool composeListingCommand(char* line, std::size_t size, const char* command, int sortByDriver);
