// Filling the game table from a listing, its order, finding games, and the listing command.
#include "emulator/game_list.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

using Game = std::pair<std::string, std::string>; // short name, description

int fill(const std::string& text, GameOrder order = GameOrder::asListed)
{
    ListingStream stream;
    openListingMemory(stream, text.data(), text.size());
    return fillGameTable(stream, order);
}

std::vector<Game> table()
{
    std::vector<Game> games;
    for (const GameEntry& g : gameTable)
        games.emplace_back(g.shortName, g.description);
    return games;
}

std::vector<std::string> shortNames()
{
    std::vector<std::string> names;
    for (const GameEntry& g : gameTable)
        names.push_back(g.shortName);
    return names;
}

TEST(FillGameTable, StoresEachGameOfTheListingInOrder)
{
    const std::string bigDescription(300, 'd');
    const std::string name63(63, 'n');
    const struct {
        const char* label;
        std::string text;
        std::vector<Game> expected;
    } cases[] = {
        {"emulator's form",
         "Name:     Description:\npacman    \"Pac-Man (Midway)\"\nmspacman  \"Ms. Pac-Man\"\n",
         {{"pacman", "Pac-Man (Midway)"}, {"mspacman", "Ms. Pac-Man"}}},
        {"empty description skipped", "a \"A\"\nb \"\"\nc \"C\"\nd \"D\"\n", {{"a", "A"}, {"c", "C"}, {"d", "D"}}},
        {"tab between name and description", "pacman\t\"Pac-Man\"\n", {{"pacman", "Pac-Man"}}},
        {"game after words on its line", "some words x \"X\"\n", {{"x", "X"}}},
        {"last line without line end", "a \"A\"\nb \"B\"", {{"a", "A"}, {"b", "B"}}},
        {"CR LF line ends", "Name:     Description:\r\na \"A\"\r\nb \"B\"\r\n", {{"a", "A"}, {"b", "B"}}},
        // Today's emulators: long short names, titles holding quotes.
        {"ten-character name", "20pacgalr0        \"Pac-Man\"\nb \"B\"\n", {{"20pacgalr0", "Pac-Man"}, {"b", "B"}}},
        {"63-character name kept, 64 never a game",
         name63 + " \"Kept\"\n" + name63 + "x \"Too long\"\nb \"B\"\n",
         {{name63, "Kept"}, {"b", "B"}}},
        {"title holding quotes",
         "cc7 \"Chess Challenger \"7\" (set 1)\"\n",
         {{"cc7", "Chess Challenger \"7\" (set 1)"}}},
        {"long description cut", "a \"" + bigDescription + "\"\nb \"B\"\n", {{"a", std::string(249, 'd')}, {"b", "B"}}},
        {"unterminated description at the end", "a \"A\"\nb \"Bee\n", {{"a", "A"}}},
        {"empty listing", "", {}},
        {"heading only", "Name:     Description:\n", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_EQ(fill(c.text), static_cast<int>(c.expected.size()));
        EXPECT_EQ(table(), c.expected);
    }
}

std::string games(int count)
{
    std::string text = "Name:             Description:\n";
    for (int i = 0; i < count; ++i) {
        std::string n = std::to_string(i);
        text += "g" + n + "    \"Game " + n + "\"\n";
    }
    return text;
}

TEST(FillGameTable, GrowsToTheBoundThenReportsTheListFull)
{
    const struct {
        int games, result, stored;
    } cases[] = {
        {kMaxGames - 1, kMaxGames - 1, kMaxGames - 1},
        {kMaxGames + 1, kGameListFull, kMaxGames},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.games << " games");
        EXPECT_EQ(fill(games(c.games)), c.result);
        ASSERT_EQ(static_cast<int>(gameTable.size()), c.stored);
        const std::string last = std::to_string(c.stored - 1);
        EXPECT_STREQ(gameTable.back().shortName, ("g" + last).c_str());
        EXPECT_STREQ(gameTable.back().description, ("Game " + last).c_str());
    }
}

TEST(FillGameTable, RefillHoldsOnlyTheNewListing)
{
    fill("a \"A\"\nb \"B\"\nc \"C\"\n");
    EXPECT_EQ(fill("x \"X\"\n"), 1);
    EXPECT_EQ(table(), (std::vector<Game>{{"x", "X"}}));
    EXPECT_EQ(findGame("c"), -1);
    EXPECT_TRUE(isGameIndex(0));
    EXPECT_FALSE(isGameIndex(1));
    EXPECT_FALSE(isGameIndex(-1));
}

TEST(FillGameTable, SortsAsTheEmulatorsThatSortedTheirListings)
{
    // Titles as the emulator lists them, in UTF-8; compared as shown, in the
    // ANSI code page (1252 here), byte by byte.
    const std::string listing =
        "Name:             Description:\n"
        "pacman            \"Pac-Man (Midway)\"\n"
        "pacmanf           \"Pac-Man (Midway, with speedup hack)\"\n"
        "elan              \"\xC3\x89lan Demo\"\n"
        "zaxxon            \"Zaxxon (set 1)\"\n"
        "simpsons          \"The Simpsons (4 Players World, set 1)\"\n"
        "simpbowl          \"The Simpsons Bowling (GQ829 UAA)\"\n"
        "theglad           \"The Gladiator / Road of the Sword / Shen Jian\"\n"
        "tmnt              \"Teenage Mutant Ninja Turtles (World 4 Players)\"\n"
        "tom               \"Theatre of Magic (1.3X)\"\n"
        "pacplus           \"Pac-Man Plus\"\n"
        "pacmania          \"Pac-Mania\"\n"
        "20pacgal          \"Ms. Pac-Man/Galaga - 20th Anniversary (V1.08)\"\n"
        "pacman            \"Pac-Man (a second set of the same name)\"\n";
    const struct {
        GameOrder order;
        std::vector<std::string> names;
    } cases[] = {
        {GameOrder::asListed,
         {"pacman", "pacmanf", "elan", "zaxxon", "simpsons", "simpbowl", "theglad", "tmnt", "tom", "pacplus",
          "pacmania", "20pacgal", "pacman"}},
        // "Gladiator..., The" first; "Pac-Man" three times, in the listing's
        // order; "Simpsons Bowling, The" before "Simpsons, The" (a blank
        // before a comma); "Theatre" keeps its "The"; the 1252 byte of "É"
        // after every ASCII letter.
        {GameOrder::byName,
         {"theglad", "20pacgal", "pacman", "pacmanf", "pacman", "pacplus", "pacmania", "simpbowl", "simpsons", "tmnt",
          "tom", "zaxxon", "elan"}},
        {GameOrder::byShortName,
         {"20pacgal", "elan", "pacman", "pacman", "pacmanf", "pacmania", "pacplus", "simpbowl", "simpsons", "theglad",
          "tmnt", "tom", "zaxxon"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.order));
        EXPECT_EQ(fill(listing, c.order), 13);
        EXPECT_EQ(shortNames(), c.names);
    }
    // The two games named "pacman" keep their listing order in every sort.
    fill(listing, GameOrder::byShortName);
    EXPECT_STREQ(gameTable[2].description, "Pac-Man (Midway)");
    EXPECT_STREQ(gameTable[3].description, "Pac-Man (a second set of the same name)");
}

// A listing the size of MAME 0.251's, listed by short name as it lists:
// every game is kept and "sort by name" orders all of them.
TEST(FillGameTable, SortsAListingOfFortyFiveThousandGames)
{
    const int kGames = 45294;
    std::string listing = "Name:             Description:\n";
    for (int i = 0; i < kGames; ++i) {
        // Titles repeat every 977 games and come in another order than the names.
        int title = (i * 7919) % 977;
        listing += "m" + std::to_string(100000 + i) + "    \"" + (title % 5 == 0 ? "The " : "") + "Title " +
                   std::to_string(1000 + title) + " (set " + std::to_string(i) + ")\"\n";
    }
    ASSERT_EQ(fill(listing, GameOrder::byName), kGames);
    auto key = [](const GameEntry& game) {
        std::string title = game.description;
        title = title.substr(0, title.find(" ("));
        return title.compare(0, 4, "The ") == 0 ? title.substr(4) + ", The" : title;
    };
    for (std::size_t i = 1; i < gameTable.size(); ++i) {
        const std::string before = key(gameTable[i - 1]), after = key(gameTable[i]);
        ASSERT_LE(before, after) << "at " << i;
        if (before == after)
            ASSERT_LT(std::strcmp(gameTable[i - 1].shortName, gameTable[i].shortName), 0) << "tie at " << i;
    }
    EXPECT_GE(findGame("m145293"), 0);
}

TEST(FindGame, ReturnsTheFirstExactCaseSensitiveMatch)
{
    const std::string longName(63, 'l');
    fill("pacman \"1\"\nmspacman \"2\"\npacman \"3\"\nGalaga \"4\"\nelan_eu3a05commonsys \"5\"\n" + longName +
         " \"6\"\n");
    const struct {
        std::string text;
        int index;
    } cases[] = {
        {"pacman", 0}, {"mspacman", 1},      {"Galaga", 3},   {"elan_eu3a05commonsys", 4},
        {longName, 5}, {longName + "l", -1}, {"galaga", -1},  {"PACMAN", -1},
        {"pac", -1},   {"pacmanx", -1},      {"pacman ", -1}, {"", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        EXPECT_EQ(findGame(c.text.c_str()), c.index);
    }
}

TEST(TitleHasWords, FindsEveryWordInAnyOrderIgnoringAsciiCase)
{
    const char* sf2ce = "Street Fighter II': Champion Edition (World 920513)";
    const struct {
        const char* title;
        const char* words;
        bool holds;
    } cases[] = {
        {sf2ce, "street champ", true},
        {sf2ce, "CHAMP street", true},         // any order, any case
        {sf2ce, "  street \t  champ  ", true}, // blanks around and between words
        {sf2ce, "ii': 920513", true},          // punctuation is part of a word
        {sf2ce, "street street", true},        // a word twice needs it once
        {sf2ce, "champ champion", true},       // a word that is a prefix of another
        {sf2ce, "championship", false},        // longer than the title's word
        {sf2ce, "street zangief", false},      // every word, not some
        {"Attach\xe9 Case", "attach\xe9", true},
        {"Attach\xe9 Case", "ATTACH\xc9", false}, // accents compare as they are
        {"Attach\xe9 Case", "attache", false},
        {"Pac-Man", "", false}, // no word finds nothing
        {"Pac-Man", "   ", false},
        {"Pac", "pac-man", false}, // the title's end stops a comparison
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.title) + " / " + c.words);
        EXPECT_EQ(titleHasWords(c.title, c.words), c.holds);
    }
}

// Find: a short name whole first, then titles from after the selection,
// wrapping round; with only some games shown, only those.
TEST(FindLine, ShortNameFirstThenTitlesAfterTheSelectionAmongTheShown)
{
    fill(
        "pacman \"Pac-Man\"\nsf2 \"Street Fighter II\"\nsf2ce \"Street Fighter II': Champion Edition\"\n"
        "galaga \"Galaga\"\nsf2hf \"Street Fighter II': Hyper Fighting\"\nstreet \"Pac-Man Street\"\n");
    const struct {
        bool onlySome;
        const char* text;
        int after;
        int line;
    } cases[] = {
        {false, "galaga", 4, 3},
        {false, "GALAGA", -1, 3},
        {false, "street", 0, 5},
        {false, "street fighter", -1, 1},
        {false, "street fighter", 1, 2},
        {false, "street fighter", 4, 1},
        {false, "fighter ii'", 2, 4},
        {false, "zangief", 0, -1},
        {false, "", 0, -1},
        {true, "pacman", -1, -1},
        {true, "street fighter", 0, 2},
        {true, "street fighter", 2, 0},
        {true, "pac", -1, 3},
    };
    ShownGames shown;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " after " + std::to_string(c.after) + (c.onlySome ? ", some" : ""));
        if (c.onlySome)
            EXPECT_EQ(showGamesNamed(shown, {"galaga", "sf2ce", "sf2hf", "street"}), 4);
        else
            showAllGames(shown);
        EXPECT_EQ(findLine(shown, c.text, c.after), c.line);
    }
    EXPECT_EQ(gameOfLine(shown, 1), 3);
    EXPECT_EQ(lineOfGame(shown, 0), -1);
    EXPECT_EQ(lineOfGame(shown, 4), 2);
    EXPECT_EQ(gameOfLine(shown, 4), -1);
}

constexpr char kGuardByte = '#';

struct Composed {
    bool fits;
    std::string line;
};

Composed composeListing(const std::string& command, bool sortSwitch, int sortByDriver)
{
    char buffer[512 + 16];
    std::memset(buffer, kGuardByte, sizeof buffer);
    Composed c;
    c.fits = composeListingCommand(buffer, 512, command.c_str(), sortSwitch, sortByDriver);
    for (std::size_t i = 512; i < sizeof buffer; ++i)
        EXPECT_EQ(buffer[i], kGuardByte) << "byte " << i << " past the buffer written";
    c.line = std::string(buffer, strnlen(buffer, 512));
    return c;
}

TEST(ComposeListingCommand, AppendsListFullAndTheSortSwitchWhereTaken)
{
    const struct {
        bool sortSwitch;
        int sortByDriver;
        const char* expected;
    } cases[] = {
        {true, 0, "mame.exe -listfull -sortname"}, {true, 1, "mame.exe -listfull -sortdriver"},
        {true, 2, "mame.exe -listfull -sortname"}, {false, 0, "mame.exe -listfull"},
        {false, 1, "mame.exe -listfull"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        Composed composed = composeListing("mame.exe", c.sortSwitch, c.sortByDriver);
        EXPECT_TRUE(composed.fits);
        EXPECT_EQ(composed.line, c.expected);
    }
}

TEST(ComposeListingCommand, FitsExactlyOrRefuses)
{
    const std::size_t suffix = std::strlen(" -listfull -sortname");
    Composed exact = composeListing(std::string(511 - suffix, 'c'), true, 0);
    EXPECT_TRUE(exact.fits);
    EXPECT_EQ(exact.line.size(), 511u);

    EXPECT_FALSE(composeListing(std::string(512 - suffix, 'c'), true, 0).fits);
    EXPECT_FALSE(composeListing(std::string(600, 'c'), true, 1).fits);
}

} // namespace
