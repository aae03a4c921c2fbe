// How long a full recent-uploads answer takes to walk into the score table:
// the target is under 200 microseconds for a 20480-byte answer.
#include "online/score_record.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kAnswerSize = 20480;

// Lines of about 200 bytes the way the leaderboard sends them, until the
// answer buffer is full; the final part is padding in the last description.
std::vector<char> makeRecentAnswer(int& lines)
{
    std::string text;
    char line[320];
    lines = 0;
    for (int i = 0;; ++i) {
        std::snprintf(line, sizeof line,
                      "('%d','1','%c','0.%03d','%d','game%04d-%d','t%d','Player Number %d',"
                      "\"Some Game Title %d (set %d)\",'%d','%d.%d','game%04d',"
                      "'A description of the run, with a few words about how it went: try %d')<P>\n",
                      100000 + i * 37, 'a' + i % 26, 100 + i % 50, 1200000000 + i * 61, i % 977, i, i % 9, i, i % 977,
                      i % 4, i % 100 + 1, i % 90, i % 10, i % 977, i);
        std::string next = line;
        if (text.size() + next.size() >= kAnswerSize)
            break;
        text += next;
        ++lines;
    }
    // Pad a last, unfinished line to fill the buffer, as a cut answer would.
    std::string last = "('1','1','a','0.106','1','r','t','P',\"G\",'1','1.5','g','";
    text += last;
    text.resize(kAnswerSize, 'x');
    ++lines;
    return std::vector<char>(text.begin(), text.end());
}

void ignoreLine(const char*, void*) {}

void BM_WalkRecentUploadsFeed(benchmark::State& state)
{
    int lines = 0;
    const std::vector<char> answer = makeRecentAnswer(lines);
    std::vector<ScoreRecord> table(kMaxScores);
    const int expected = lines < kMaxScores ? lines : kMaxScores;
    for (auto _ : state) {
        int count = walkFeed(answer.data(), answer.size(), FeedKind::recentUploads, table.data(), kMaxScores,
                             ignoreLine, nullptr);
        if (count != expected) {
            state.SkipWithError("wrong record count");
            break;
        }
        benchmark::DoNotOptimize(table.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(answer.size()));
    state.counters["records"] = expected;
}
BENCHMARK(BM_WalkRecentUploadsFeed)->Unit(benchmark::kMicrosecond);

} // namespace
