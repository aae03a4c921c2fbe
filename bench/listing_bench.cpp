// How long the game list takes to fill from a full-size listing, the way the
// program fills it after each version change: the target is under 2 ms for
// a 4999-game listing, in plain ASCII and in UTF-8 whose titles are converted.
#include "emulator/game_list.h"
#include "emulator/listing_scan.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

constexpr int kListingGames = 4999;

enum class Titles { ascii, utf8 };

// The emulator's -listfull form: a heading, then one game a line with the
// name padded to ten columns and a description of about thirty characters.
// In UTF-8, as today's emulators write, two titles in three have accents and
// the third is Japanese.
std::string makeListing(int games, Titles titles)
{
    std::string text = "Name:     Description:\n";
    char line[120];
    for (int i = 0; i < games; ++i) {
        if (titles == Titles::ascii)
            // Titles in another order than the names, as in a real listing.
            std::snprintf(line, sizeof line, "g%07d  \"Game number %04d (Maker, 1982)\"\n", i, (i * 7919) % games);
        else if (i % 3 != 2)
            std::snprintf(line, sizeof line,
                          "g%07d  \"Jeu num\xC3\xA9ro %04d (\xC3\x89"
                          "diteur, 1982)\"\n",
                          i, i);
        else
            std::snprintf(line, sizeof line,
                          "g%07d  \"\xE3\x83\x91\xE3\x83\x83\xE3\x82\xAF\xE3\x83\x9E\xE3\x83\xB3 %04d (1980)\"\n", i,
                          i);
        text += line;
    }
    return text;
}

void BM_FillGameTableFromMemory(benchmark::State& state)
{
    const std::string listing = makeListing(kListingGames, Titles::ascii);
    for (auto _ : state) {
        ListingStream stream;
        openListingMemory(stream, listing.data(), listing.size());
        int count = fillGameTable(stream, GameOrder::asListed);
        if (count != kListingGames) {
            state.SkipWithError("wrong game count");
            break;
        }
        benchmark::DoNotOptimize(count);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(listing.size()));
    state.counters["games"] = kListingGames;
}
BENCHMARK(BM_FillGameTableFromMemory)->Unit(benchmark::kMillisecond);

void fillFromFile(benchmark::State& state, Titles titles, int games = kListingGames,
                  GameOrder order = GameOrder::asListed)
{
    const std::string listing = makeListing(games, titles);
    std::FILE* file = std::tmpfile();
    if (!file || std::fwrite(listing.data(), 1, listing.size(), file) != listing.size()) {
        state.SkipWithError("no temporary file");
        if (file)
            std::fclose(file);
        return;
    }
    for (auto _ : state) {
        std::rewind(file);
        ListingStream stream;
        openListingFile(stream, file);
        int count = fillGameTable(stream, order);
        if (count != games) {
            state.SkipWithError("wrong game count");
            break;
        }
        benchmark::DoNotOptimize(count);
        benchmark::ClobberMemory();
    }
    std::fclose(file);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(listing.size()));
    state.counters["games"] = games;
}
void BM_FillGameTableFromFile(benchmark::State& state)
{
    fillFromFile(state, Titles::ascii);
}
BENCHMARK(BM_FillGameTableFromFile)->Unit(benchmark::kMillisecond);

void BM_FillGameTableFromFileUtf8(benchmark::State& state)
{
    fillFromFile(state, Titles::utf8);
}
BENCHMARK(BM_FillGameTableFromFileUtf8)->Unit(benchmark::kMillisecond);

// As large as MAME 0.251's listing, which the program sorts itself.
void BM_FillGameTableFromFile45294SortedByName(benchmark::State& state)
{
    fillFromFile(state, Titles::ascii, 45294, GameOrder::byName);
}
BENCHMARK(BM_FillGameTableFromFile45294SortedByName)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
