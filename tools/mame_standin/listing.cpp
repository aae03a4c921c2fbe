// The stand-in's listings: -listfull of every game, -listxml of one, from its games or a verbatim listing.
#include "standin.h"

#include <algorithm>
#include <iterator>

namespace standin {
namespace {

const char kGamesFile[] = "standin-games.txt";
const char kListingFile[] = "standin-listing.txt";

struct Game {
    std::string name;
    std::string driver;
    std::string description;
};

const Game kBuiltInGames[] = {
    {"pacman", "pacman.c", "Pac-Man (Midway)"},
    {"mspacman", "pacman.c", "Ms. Pac-Man"},
    {"puckman", "pacman.c", "PuckMan (Japan set 1)"},
    {"galaga", "galaga.c", "Galaga (Namco rev. B)"},
    {"digdug", "galaga.c", "Dig Dug (rev 2)"},
    {"xevious", "galaga.c", "Xevious (Namco)"},
    {"dkong", "dkong.c", "Donkey Kong (US set 1)"},
    {"dkongjr", "dkong.c", "Donkey Kong Junior (US)"},
    {"robotron", "williams.c", "Robotron (Solid Blue label)"},
    {"defender", "williams.c", "Defender (Red label)"},
    {"joust", "williams.c", "Joust (White/Green label)"},
    {"1942", "1942.c", "1942 (Revision B)"},
    {"1943", "1943.c", "1943: The Battle of Midway (US)"},
    {"frogger", "frogger.c", "Frogger"},
    {"qbert", "gottlieb.c", "Q*bert (US set 1)"},
    {"tempest", "tempest.c", "Tempest (rev 3)"},
    {"asteroid", "asteroid.c", "Asteroids (rev 2)"},
    {"missile", "missile.c", "Missile Command (set 1)"},
    {"centiped", "centiped.c", "Centipede (revision 3)"},
    {"bublbobl", "bublbobl.c", "Bubble Bobble"},
    {"sf2", "cps1.c", "Street Fighter II - The World Warrior (World 910522)"},
    {"mk", "midtunit.c", "Mortal Kombat (rev 5.0 T-Unit 03/19/93)"},
    {"ddragon", "ddragon.c", "Double Dragon (Japan)"},
    {"gauntlet", "gauntlet.c", "Gauntlet (rev 14)"},
    {"outrun", "segaorun.c", "Out Run (set 1)"},
    // Devices in build order, as today's MAME lists them after its systems:
    // the first sorts after the last system.
    {"z80", "(device)", "Zilog Z80"},
    {"ym2151", "(device)", "Yamaha YM2151 OPM"},
    {"dac_1bit", "(device)", "1-Bit DAC"},
    {"gfxdecode", "(device)", "gfxdecode"},
};

const char kDeviceDriver[] = "(device)";

std::vector<Game> readGames()
{
    std::string text;
    if (!readFile(kGamesFile, text))
        return std::vector<Game>(std::begin(kBuiltInGames), std::end(kBuiltInGames));
    std::vector<Game> games;
    for (const std::string& line : splitLines(text)) {
        if (line.empty() || line[0] == '#')
            continue;
        // Missing fields are empty, so a test can list a game without a description.
        Game game;
        size_t tab1 = line.find('\t');
        game.name = line.substr(0, tab1);
        if (tab1 != std::string::npos) {
            size_t tab2 = line.find('\t', tab1 + 1);
            game.driver = line.substr(tab1 + 1, tab2 == std::string::npos ? std::string::npos : tab2 - tab1 - 1);
            if (tab2 != std::string::npos)
                game.description = line.substr(tab2 + 1);
        }
        games.push_back(game);
    }
    return games;
}

// Later MAMEs list by short name, in columns of 18; today's lists its
// devices after its systems, in its own order.
std::string laterListing(std::vector<Game> games, const std::vector<Game>& devices, const Control& control)
{
    std::stable_sort(games.begin(), games.end(), [](const Game& a, const Game& b) { return a.name < b.name; });
    if (control.kind == Kind::today)
        games.insert(games.end(), devices.begin(), devices.end());
    std::string out = "Name:             Description:\n";
    for (const Game& game : games) {
        out += game.name;
        out.append(game.name.size() < 18 ? 18 - game.name.size() : 1, ' ');
        out += "\"" + game.description + "\"\n";
    }
    return out;
}

// MAME 0.106's listing, by -sortname or -sortdriver, in columns of 10.
std::string listingOf2006(std::vector<Game> games, const Options& options)
{
    if (options.sortSwitch == "-sortdriver") {
        std::stable_sort(games.begin(), games.end(), [](const Game& a, const Game& b) {
            int byDriver = a.driver.compare(b.driver);
            return byDriver != 0 ? byDriver < 0 : a.name < b.name;
        });
    } else {
        std::stable_sort(games.begin(), games.end(), [](const Game& a, const Game& b) { return a.name < b.name; });
    }

    // One buffer and one write: a benchmark times this with thousands of games.
    std::string out = "Name:     Description:\n";
    size_t needed = out.size();
    for (const Game& game : games)
        needed += std::max<size_t>(game.name.size() + 1, 10) + game.description.size() + 3;
    out.reserve(needed);
    for (const Game& game : games) {
        out += game.name;
        out.append(game.name.size() < 10 ? 10 - game.name.size() : 1, ' ');
        out += '"';
        out += game.description;
        out += "\"\n";
    }
    return out;
}

} // namespace

int listGames(const Options& options, const Control& control)
{
    if (control.listingMs > 0)
        Sleep(control.listingMs);
    if (control.sortNeeded && options.sortSwitch.empty())
        return fail("-listfull needs -sortname or -sortdriver");

    std::string raw;
    if (readFile(kListingFile, raw)) {
        writeAll(stdout, raw);
        return 0;
    }

    std::vector<Game> games, devices;
    for (const Game& game : readGames())
        (game.driver == kDeviceDriver ? devices : games).push_back(game);
    writeAll(stdout,
             control.kind != Kind::of2006 ? laterListing(games, devices, control) : listingOf2006(games, options));
    return 0;
}

// The first element of -listxml NAME; an unknown name is refused as MAME does.
int showMachine(const Options& options, const Control& control)
{
    bool found = false, device = false;
    std::string raw;
    if (readFile(kListingFile, raw)) {
        // From a verbatim listing, devices begin where its order first breaks.
        std::string previous;
        for (const std::string& line : splitLines(raw)) {
            std::size_t quote = line.find('"');
            if (quote == std::string::npos)
                continue;
            std::string name = trim(line.substr(0, quote));
            device = device || (!previous.empty() && name < previous);
            previous = name;
            if (name == options.listXml) {
                found = true;
                break;
            }
        }
    } else {
        for (const Game& game : readGames()) {
            if (game.name == options.listXml && (game.driver != kDeviceDriver || control.kind == Kind::today)) {
                found = true;
                device = game.driver == kDeviceDriver;
                break;
            }
        }
    }
    if (!found) {
        std::fprintf(stderr, "No matching machines found for '%s'\n", options.listXml.c_str());
        return 5;
    }
    const char* element = control.kind == Kind::of2006 ? "game" : "machine";
    std::printf(
        "<?xml version=\"1.0\"?>\n<!DOCTYPE mame [\n<!ELEMENT mame (%s+)>\n]>\n\n<mame build=\"%s\">\n"
        "\t<%s name=\"%s\" sourcefile=\"standin.cpp\"%s>\n\t\t<input players=\"1\" coins=\"1\"/>\n%s"
        "\t</%s>\n</mame>\n",
        element, options.version.c_str(), element, options.listXml.c_str(),
        device ? " isdevice=\"yes\" runnable=\"no\"" : "",
        control.portsListed ? "\t\t<port tag=\":IN0\">\n\t\t</port>\n" : "", element);
    return 0;
}

} // namespace standin
