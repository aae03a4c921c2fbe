// The games of the chosen emulator version: the table, its fill, its order, and the search by short name.
#include "emulator/game_list.h"

#include "common/ascii.h"
#include "common/bounded_text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

std::vector<GameEntry> gameTable;

namespace {

// The texts of the table, in blocks that never move, so that the entries can
// point into them while the table grows.
const std::size_t kTextBlockSize = 64 * 1024;
std::vector<std::unique_ptr<char[]>> textBlocks;
std::size_t textBlockUsed = kTextBlockSize;

unsigned char foldCase(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c;
}

const char* storeText(const char* text)
{
    std::size_t size = std::strlen(text) + 1;
    if (textBlockUsed + size > kTextBlockSize) {
        textBlocks.emplace_back(new char[kTextBlockSize]);
        textBlockUsed = 0;
    }
    char* stored = textBlocks.back().get() + textBlockUsed;
    std::memcpy(stored, text, size);
    textBlockUsed += size;
    return stored;
}

// What "sort by name" compares, as the emulators that sorted by name did:
// the description up to its first " (" (the set, the maker, the year...),
// with a leading "The " moved to the end, so that "The Simpsons (4
// Players)" sorts as "Simpsons, The".
void appendNameKey(std::string& keys, const char* description)
{
    const char* details = std::strstr(description, " (");
    std::size_t length = details ? static_cast<std::size_t>(details - description) : std::strlen(description);
    if (length > 4 && std::strncmp(description, "The ", 4) == 0) {
        keys.append(description + 4, length - 4);
        keys.append(", The");
    } else {
        keys.append(description, length);
    }
}

void sortByName()
{
    // Each key's first eight bytes, big-endian, decide most comparisons
    // without a look at the text; the listing's order breaks ties.
    struct Key {
        std::uint64_t head;
        std::uint32_t at;
        std::uint32_t length;
        std::uint32_t listed;
    };
    // A key is never longer than its description and terminator, all of
    // which the text store holds: one allocation for the keys.
    std::string keyText;
    keyText.reserve(textBlocks.size() * kTextBlockSize);
    std::vector<Key> keys;
    keys.reserve(gameTable.size());
    for (std::size_t i = 0; i < gameTable.size(); ++i) {
        std::size_t at = keyText.size();
        appendNameKey(keyText, gameTable[i].description);
        Key key{0, static_cast<std::uint32_t>(at), static_cast<std::uint32_t>(keyText.size() - at),
                static_cast<std::uint32_t>(i)};
        for (std::size_t b = 0; b < 8; ++b)
            key.head = key.head << 8 | (b < key.length ? static_cast<unsigned char>(keyText[at + b]) : 0u);
        keys.push_back(key);
    }
    // Byte by byte, as the text is shown: memcmp compares unsigned bytes. A
    // key holds no zero byte, so a shorter key's padding sorts first.
    const char* text = keyText.data();
    std::sort(keys.begin(), keys.end(), [text](const Key& a, const Key& b) {
        if (a.head != b.head)
            return a.head < b.head;
        std::uint32_t shorter = std::min(a.length, b.length);
        int byBytes = shorter > 8 ? std::memcmp(text + a.at + 8, text + b.at + 8, shorter - 8) : 0;
        if (byBytes != 0)
            return byBytes < 0;
        return a.length != b.length ? a.length < b.length : a.listed < b.listed;
    });
    std::vector<GameEntry> sorted;
    sorted.reserve(gameTable.size());
    for (const Key& key : keys)
        sorted.push_back(gameTable[key.listed]);
    gameTable.swap(sorted);
}

void sortByShortName()
{
    // strcmp compares unsigned bytes, too.
    std::stable_sort(gameTable.begin(), gameTable.end(),
                     [](const GameEntry& a, const GameEntry& b) { return std::strcmp(a.shortName, b.shortName) < 0; });
}

} // namespace

void clearGameTable()
{
    gameTable.clear();
    textBlocks.clear();
    textBlockUsed = kTextBlockSize;
}

bool isGameIndex(int index)
{
    return index >= 0 && static_cast<std::size_t>(index) < gameTable.size();
}

int fillGameTable(ListingStream& listing, GameOrder order)
{
    clearGameTable();
    bool full = false;
    while (!listingEnded(listing) && !full) {
        char shortName[kShortNameSize];
        char description[kDescriptionSize];
        if (scanListingEntry(listing, shortName, sizeof shortName, description, sizeof description) != ScanResult::game)
            continue;
        const char* storedName = storeText(shortName);
        gameTable.push_back({storedName, storeText(description)});
        full = gameTable.size() == static_cast<std::size_t>(kMaxGames);
    }
    sortGameTable(order);
    return full ? kGameListFull : static_cast<int>(gameTable.size());
}

void sortGameTable(GameOrder order)
{
    switch (order) {
    case GameOrder::asListed: break;
    case GameOrder::byName: sortByName(); break;
    case GameOrder::byShortName: sortByShortName(); break;
    }
}

void cutGameTable(std::size_t count)
{
    if (count < gameTable.size())
        gameTable.resize(count);
}

std::vector<const char*> gameTableNames()
{
    std::vector<const char*> names;
    names.reserve(gameTable.size());
    for (const GameEntry& game : gameTable)
        names.push_back(game.shortName);
    return names;
}

int findGame(const char* text)
{
    if (text[0] == '\0')
        return -1;
    for (std::size_t i = 0; i < gameTable.size(); ++i) {
        if (std::strcmp(gameTable[i].shortName, text) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

void showAllGames(ShownGames& shown)
{
    shown.all = true;
    shown.games.clear();
}

int showGamesNamed(ShownGames& shown, const std::vector<std::string>& sortedNames)
{
    shown.all = false;
    shown.games.clear();
    for (std::size_t i = 0; i < gameTable.size(); ++i) {
        const char* name = gameTable[i].shortName;
        auto at = std::lower_bound(sortedNames.begin(), sortedNames.end(), name,
                                   [](const std::string& a, const char* b) { return std::strcmp(a.c_str(), b) < 0; });
        if (at != sortedNames.end() && std::strcmp(at->c_str(), name) == 0)
            shown.games.push_back(static_cast<int>(i));
    }
    return static_cast<int>(shown.games.size());
}

bool showingAllGames(const ShownGames& shown)
{
    return shown.all;
}

int shownGameCount(const ShownGames& shown)
{
    return static_cast<int>(shown.all ? gameTable.size() : shown.games.size());
}

int gameOfLine(const ShownGames& shown, int line)
{
    if (line < 0 || line >= shownGameCount(shown))
        return -1;
    int game = shown.all ? line : shown.games[static_cast<std::size_t>(line)];
    // A view kept past a refill of the table never names a game beyond it.
    return isGameIndex(game) ? game : -1;
}

int lineOfGame(const ShownGames& shown, int game)
{
    if (!isGameIndex(game))
        return -1;
    if (shown.all)
        return game;
    auto at = std::lower_bound(shown.games.begin(), shown.games.end(), game);
    return at != shown.games.end() && *at == game ? static_cast<int>(at - shown.games.begin()) : -1;
}

namespace {

// The words of a search, their ASCII letters in lower case.
std::vector<std::string> searchWords(const char* text)
{
    std::vector<std::string> words;
    std::string word;
    for (const char* c = text;; ++c) {
        if (*c == '\0' || isAsciiWhiteSpace(static_cast<unsigned char>(*c))) {
            if (!word.empty())
                words.push_back(word);
            word.clear();
            if (*c == '\0')
                break;
            continue;
        }
        word += static_cast<char>(foldCase(static_cast<unsigned char>(*c)));
    }
    return words;
}

// Whether `title` holds `word` (in lower case), ignoring ASCII case.
bool holdsWord(const char* title, const std::string& word)
{
    const unsigned char first = static_cast<unsigned char>(word[0]);
    const unsigned char firstUpper = isAsciiLower(first) ? static_cast<unsigned char>(first - 32) : first;
    const std::size_t length = word.size();
    for (const char* at = title; *at; ++at) {
        unsigned char c = static_cast<unsigned char>(*at);
        if (c != first && c != firstUpper)
            continue;
        // The title's zero ends the comparison: a word holds none.
        std::size_t i = 1;
        while (i < length && foldCase(static_cast<unsigned char>(at[i])) == static_cast<unsigned char>(word[i]))
            ++i;
        if (i == length)
            return true;
    }
    return false;
}

bool holdsWords(const char* title, const std::vector<std::string>& words)
{
    for (const std::string& word : words) {
        if (!holdsWord(title, word))
            return false;
    }
    return true;
}

} // namespace

bool titleHasWords(const char* title, const char* words)
{
    std::vector<std::string> search = searchWords(words);
    return !search.empty() && holdsWords(title, search);
}

int findLine(const ShownGames& shown, const char* text, int after)
{
    if (text[0] == '\0')
        return -1;
    const int count = shownGameCount(shown);
    for (int line = 0; line < count; ++line) {
        int game = gameOfLine(shown, line);
        if (game >= 0 && std::strcmp(gameTable[static_cast<std::size_t>(game)].shortName, text) == 0)
            return line;
    }
    std::vector<std::string> words = searchWords(text);
    if (words.empty() || count == 0)
        return -1;
    int start = after >= 0 && after < count - 1 ? after + 1 : 0;
    for (int step = 0; step < count; ++step) {
        int line = (start + step) % count;
        int game = gameOfLine(shown, line);
        if (game >= 0 && holdsWords(gameTable[static_cast<std::size_t>(game)].description, words))
            return line;
    }
    return -1;
}

bool composeListingCommand(char* line, std::size_t size, const char* command, bool sortSwitch, int sortByDriver)
{
    TextBuilder builder = startText(line, size);
    appendText(builder, command);
    appendText(builder, " -listfull");
    if (sortSwitch)
        appendText(builder, sortByDriver == 1 ? " -sortdriver" : " -sortname");
    return !builder.overflowed;
}
