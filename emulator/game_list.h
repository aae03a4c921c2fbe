// The games of the chosen emulator version: the table, its fill, its order, and the search by short name.
#pragma once

#include "emulator/listing_scan.h"

#include <cstddef>
#include <string>
#include <vector>

// Today's emulators have short names of up to 32 characters; a longer word
// of a listing is never a game.
constexpr std::size_t kShortNameSize = 64;
constexpr std::size_t kDescriptionSize = 250;

// Far past any emulator's listing (MAME 0.251 lists 45,294 games): a listing
// that reaches it is cut there and reported.
constexpr int kMaxGames = 200000;
constexpr int kGameListFull = -10;

// Both texts live in the table's own text store until the next fill.
struct GameEntry {
    const char* shortName;
    const char* description;
};

// The games of the last listing, in list order: entry i is line i of the
// game list box. Only the user-interface thread touches it; a feed worker is
// handed a copy of the short name it needs, since a refill moves the table.
extern std::vector<GameEntry> gameTable;

// Empties the table, for a listing that could not be read.
void clearGameTable();

// Whether `index` names a game of the last listing.
bool isGameIndex(int index);

enum class GameOrder {
    asListed,   // the emulator sorted its listing itself
    byName,     // the description without " (...)", a leading "The " moved to the end
    byShortName // the short name
};

// Replaces the table with the games of `listing`, in `order`; equal keys keep
// the listing's order. Returns the number of games, or kGameListFull when the
// listing holds kMaxGames games or more: the table then holds the first
// kMaxGames of them.
int fillGameTable(ListingStream& listing, GameOrder order);

// Puts the table in `order`; equal keys keep their order.
void sortGameTable(GameOrder order);

// Keeps the first `count` games of the table.
void cutGameTable(std::size_t count);

// The short names of the table in its order, for a search over them; they
// stay valid until the table is filled or cleared.
std::vector<const char*> gameTableNames();

// Index of the first game whose short name is exactly `text`, or -1. An
// empty text names no game.
int findGame(const char* text);

// The games a list box shows: every game of the table, or only those of
// some names ("Only games I have"). Line i of the list box is game
// gameOfLine(shown, i). The window that shows the list keeps it, and shows
// every game again whenever the table is filled, cut, sorted or cleared.
struct ShownGames {
    bool all = true;
    std::vector<int> games; // the table's indices of the lines shown, in order, when not all are
};
void showAllGames(ShownGames& shown);
// Shows the games whose short names are in `sortedNames` (sorted, as
// strcmp orders them), in the table's order; returns how many.
int showGamesNamed(ShownGames& shown, const std::vector<std::string>& sortedNames);
bool showingAllGames(const ShownGames& shown);
int shownGameCount(const ShownGames& shown);
// The game of a list line, -1 for none; the line of a game, -1 when it is not shown.
int gameOfLine(const ShownGames& shown, int line);
int lineOfGame(const ShownGames& shown, int game);

// What "Find" selects for `text` among the games `shown`: the first line
// whose short name is exactly `text`; else the first line after `after`
// (wrapping round, -1 to start at the top) whose title holds every word of
// `text`. -1 when none does, or the text has no word.
int findLine(const ShownGames& shown, const char* text, int after);

// Whether `title` holds every blank-separated word of `words`, anywhere and
// in any order, ignoring the case of ASCII letters; other bytes (accents)
// compare as they are. False when `words` has none.
bool titleHasWords(const char* title, const char* words);

// The emulator's listing command: the version's command and " -listfull",
// then, for an emulator that sorts its listing itself, " " and the sort
// switch. False when it does not fit `size` bytes.
bool composeListingCommand(char* line, std::size_t size, const char* command, bool sortSwitch, int sortByDriver);
