// How long the game list takes to fill from a full-size listing, the way the
// program fills it after each version change: the target is under 2 ms for
// a 4999-game listing.
#include "emulator/game_list.h"
#include "emulator/listing_scan.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

constexpr int kListingGames = 4999;

// The emulator's -listfull form: a heading, then one game a line with the
// name padded to ten columns and a description of about thirty characters.
std::string makeListing(int games)
{
    std::string text = "Name:     Description:\n";
    char line[80];
    for (int i = 0; i < games; ++i) {
        std::snprintf(line, sizeof line, "g%07d  \"Game number %04d (Maker, 1982)\"\n", i, i);
        text += line;
    }
    return text;
}

void countGame(const char*, void* context)
{
    ++*static_cast<int*>(context);
}

void BM_FillGameTableFromMemory(benchmark::State& state)
{
    const std::string listing = makeListing(kListingGames);
    for (auto _ : state) {
        ListingStream stream;
        openListingMemory(stream, listing.data(), listing.size());
        int listed = 0;
        int count = fillGameTable(stream, countGame, &listed);
        if (count != kListingGames) {
            state.SkipWithError("wrong game count");
            break;
        }
        benchmark::DoNotOptimize(listed);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(listing.size()));
    state.counters["games"] = kListingGames;
}
BENCHMARK(BM_FillGameTableFromMemory)->Unit(benchmark::kMillisecond);

void BM_FillGameTableFromFile(benchmark::State& state)
{
    const std::string listing = makeListing(kListingGames);
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
        int listed = 0;
        int count = fillGameTable(stream, countGame, &listed);
        if (count != kListingGames) {
            state.SkipWithError("wrong game count");
            break;
        }
        benchmark::DoNotOptimize(listed);
        benchmark::ClobberMemory();
    }
    std::fclose(file);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(listing.size()));
    state.counters["games"] = kListingGames;
}
BENCHMARK(BM_FillGameTableFromFile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
