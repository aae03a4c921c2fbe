// How long the analysis of a recording's frames takes over two minutes of
// play, 60 frames a second, with its verdict and the graph a window draws:
// the target is far under 50 ms.
#include "emulator/frame_findings.h"
#include "emulator/speed_graph.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

void BM_FrameFindingsTwoMinutes(benchmark::State& state)
{
    // A new measurement every 16 frames, its value a little off 100% by
    // turns, a stand-still at one minute and a loaded state at 1:30.
    static FrameFindings findings;
    static SpeedGraph graph;
    for (auto _ : state) {
        startFrameFindings(findings, 60);
        std::int64_t seconds = 0, attoseconds = 0;
        for (int frame = 0; frame < 60 * 120; ++frame) {
            std::uint32_t speed = frame / 16 % 2 ? kFullSpeed - 300 : kFullSpeed + 200;
            if (frame / 16 == 225)
                speed = kFullSpeed / 20;
            addFrame(findings, static_cast<std::int32_t>(seconds), attoseconds, speed);
            attoseconds += 16666666666666667LL;
            if (attoseconds >= 1000000000000000000LL) {
                attoseconds -= 1000000000000000000LL;
                ++seconds;
            }
            if (frame == 60 * 90)
                seconds -= 10;
        }
        finishFrameFindings(findings);
        char verdict[512];
        formatFrameVerdict(findings, verdict, sizeof verdict);
        benchmark::DoNotOptimize(verdict);
        makeSpeedGraph(findings, graph);
        benchmark::DoNotOptimize(graph);
    }
    if (findings.pauses.count != 1 || findings.loadedStates.count != 1)
        state.SkipWithError("the stream's pause and loaded state were not both found");
}
BENCHMARK(BM_FrameFindingsTwoMinutes)->Unit(benchmark::kMillisecond);

} // namespace
