// Filling the game table from a listing, finding games, and the listing command.
#include "emulator/game_list.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

using Game = std::pair<std::string, std::string>; // short name, description

struct Fill {
    int result;
    std::vector<std::string> listed;
};

void record(const char* description, void* context)
{
    static_cast<std::vector<std::string>*>(context)->push_back(description);
}

Fill fill(const std::string& text)
{
    Fill f{0, {}};
    ListingStream stream;
    openListingMemory(stream, text.data(), text.size());
    f.result = fillGameTable(stream, record, &f.listed);
    return f;
}

std::vector<Game> slots(int count)
{
    std::vector<Game> games;
    for (int i = 0; i < count && i < kMaxGames; ++i) {
        const GameEntry& g = gameTable[i];
        EXPECT_NE(std::memchr(g.shortName, '\0', sizeof g.shortName), nullptr) << "slot " << i;
        EXPECT_NE(std::memchr(g.description, '\0', sizeof g.description), nullptr) << "slot " << i;
        games.emplace_back(g.shortName, g.description);
    }
    return games;
}

std::vector<std::string> descriptions(const std::vector<Game>& games)
{
    std::vector<std::string> result;
    for (const Game& g : games)
        result.push_back(g.second);
    return result;
}

class FillGameTable : public testing::Test {
protected:
    void SetUp() override { std::memset(gameTable, 0, sizeof gameTable); }
};

TEST_F(FillGameTable, StoresEachGameOfTheListingFromSlotZero)
{
    const std::string bigDescription(300, 'd');
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
        {"two games on one line", "a \"A\" b \"B\"\n", {{"a", "A"}, {"b", "B"}}},
        {"game after words on its line", "some words x \"X\"\n", {{"x", "X"}}},
        {"last line without line end", "a \"A\"\nb \"B\"", {{"a", "A"}, {"b", "B"}}},
        {"CR LF line ends", "Name:     Description:\r\na \"A\"\r\nb \"B\"\r\n", {{"a", "A"}, {"b", "B"}}},
        {"ten-character name is no game", "20pacgalr0 \"Pac-Man\"\nb \"B\"\n", {{"b", "B"}}},
        {"nine-character name", "pacgalr10 \"Pac-Man\"\nb \"B\"\n", {{"pacgalr10", "Pac-Man"}, {"b", "B"}}},
        {"long description cut", "a \"" + bigDescription + "\"\nb \"B\"\n", {{"a", std::string(249, 'd')}, {"b", "B"}}},
        {"unterminated description at the end", "a \"A\"\nb \"Bee\n", {{"a", "A"}}},
        {"empty listing", "", {}},
        {"heading only", "Name:     Description:\n", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        std::memset(gameTable, 0, sizeof gameTable);
        Fill f = fill(c.text);
        ASSERT_EQ(f.result, static_cast<int>(c.expected.size()));
        EXPECT_EQ(slots(f.result), c.expected);
        EXPECT_EQ(f.listed, descriptions(c.expected));
    }
}

struct Order {
    int calls;
    bool slotAlreadyStored;
};

void checkSlotNotYetStored(const char* description, void* context)
{
    Order& order = *static_cast<Order*>(context);
    if (std::strcmp(gameTable[order.calls].description, description) == 0)
        order.slotAlreadyStored = true;
    ++order.calls;
}

TEST_F(FillGameTable, ListsEachDescriptionBeforeStoringItsSlot)
{
    const std::string text = "a \"A\"\nb \"B\"\n";
    ListingStream stream;
    openListingMemory(stream, text.data(), text.size());
    Order order{0, false};
    EXPECT_EQ(fillGameTable(stream, checkSlotNotYetStored, &order), 2);
    EXPECT_EQ(order.calls, 2);
    EXPECT_FALSE(order.slotAlreadyStored);
}

std::string games(int count)
{
    std::string text = "Name:     Description:\n";
    for (int i = 0; i < count; ++i) {
        std::string n = std::to_string(i);
        text += "g" + n + "    \"Game " + n + "\"\n";
    }
    return text;
}

TEST_F(FillGameTable, StopsWithListFullAtTheFiveThousandthGame)
{
    const struct {
        int games, result, listed;
    } cases[] = {
        {4999, 4999, 4999},
        {5000, kGameListFull, 5000},
        {5001, kGameListFull, 5000},
        {6000, kGameListFull, 5000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.games << " games");
        std::memset(gameTable, 0, sizeof gameTable);
        Fill f = fill(games(c.games));
        EXPECT_EQ(f.result, c.result);
        ASSERT_EQ(static_cast<int>(f.listed.size()), c.listed);
        const int last = c.listed - 1;
        EXPECT_EQ(f.listed.back(), "Game " + std::to_string(last));
        EXPECT_STREQ(gameTable[last].shortName, ("g" + std::to_string(last)).c_str());
        EXPECT_STREQ(gameTable[last].description, ("Game " + std::to_string(last)).c_str());
    }
}

TEST_F(FillGameTable, ShorterRebuildKeepsLaterSlots)
{
    fill("a \"A\"\nb \"B\"\nc \"C\"\n");
    EXPECT_EQ(fill("x \"X\"\n").result, 1);
    EXPECT_EQ(slots(3), (std::vector<Game>{{"x", "X"}, {"b", "B"}, {"c", "C"}}));
    EXPECT_EQ(findGame("c"), 2);
}

class FindGame : public testing::Test {
protected:
    void SetUp() override
    {
        std::memset(gameTable, 0, sizeof gameTable);
        const char* names[] = {"pacman", "mspacman", "pacman", "Galaga", "pacman "};
        for (int i = 0; i < 5; ++i)
            std::strcpy(gameTable[i].shortName, names[i]);
        std::strcpy(gameTable[kMaxGames - 2].shortName, "nearlast");
        std::strcpy(gameTable[kMaxGames - 1].shortName, "last");
    }
};

TEST_F(FindGame, ReturnsFirstExactCaseSensitiveMatchInTheFirst4999Slots)
{
    const struct {
        const char* text;
        int index;
    } cases[] = {
        {"pacman", 0},  {"mspacman", 1}, {"Galaga", 3},
        {"pacman ", 4}, {"galaga", -1},  {"PACMAN", -1},
        {"pac", -1},    {"pacmanx", -1}, {"nearlast", kMaxGames - 2},
        {"last", -1},   {"", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.text)));
        EXPECT_EQ(findGame(c.text), c.index);
    }
}

constexpr char kGuardByte = '#';

struct Composed {
    bool fits;
    std::string line;
};

Composed composeListing(const std::string& command, int sortByDriver)
{
    char buffer[512 + 16];
    std::memset(buffer, kGuardByte, sizeof buffer);
    Composed c;
    c.fits = composeListingCommand(buffer, 512, command.c_str(), sortByDriver);
    for (std::size_t i = 512; i < sizeof buffer; ++i)
        EXPECT_EQ(buffer[i], kGuardByte) << "byte " << i << " past the buffer written";
    c.line = std::string(buffer, strnlen(buffer, 512));
    return c;
}

TEST(ComposeListingCommand, AppendsListFullAndTheSortSwitch)
{
    const struct {
        int sortByDriver;
        const char* expected;
    } cases[] = {
        {0, "mame.exe -listfull -sortname"},
        {1, "mame.exe -listfull -sortdriver"},
        {2, "mame.exe -listfull -sortname"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sortByDriver);
        Composed composed = composeListing("mame.exe", c.sortByDriver);
        EXPECT_TRUE(composed.fits);
        EXPECT_EQ(composed.line, c.expected);
    }
}

TEST(ComposeListingCommand, FitsExactlyOrRefuses)
{
    const std::size_t suffix = std::strlen(" -listfull -sortname");
    Composed exact = composeListing(std::string(511 - suffix, 'c'), 0);
    EXPECT_TRUE(exact.fits);
    EXPECT_EQ(exact.line.size(), 511u);

    EXPECT_FALSE(composeListing(std::string(512 - suffix, 'c'), 0).fits);
    EXPECT_FALSE(composeListing(std::string(600, 'c'), 1).fits);
}

} // namespace
