// How long a check takes to refuse a recording whose data inflates without
// end (8 GiB of zeros and more): counting stops at a day of frames of a
// machine of one port at 60 Hz, so the time is that of inflating 124 MB,
// whatever the file's size.
#include "emulator/recording_frames.h"
#include "tests/endless_zeros.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void BM_CountRefusesEndlessData(benchmark::State& state)
{
    // 8 GiB of zeros: the stream a 33 MB file would hold, cut where the
    // count stops anyway.
    const std::string data = endlessZeros(1ull << 30);
    const MachineInputs oneButton{true, 1, 0, 60.0};
    for (auto _ : state) {
        RecordingFrames frames =
            countRecordingFrames(reinterpret_cast<const unsigned char*>(data.data()), data.size(),
                                 frameBytes(oneButton), FrameBounds{mostRecordingFrames(oneButton), nullptr});
        if (!frames.pastBound)
            state.SkipWithError("the count did not stop at its bound");
    }
}
BENCHMARK(BM_CountRefusesEndlessData)->Unit(benchmark::kMillisecond);

} // namespace
