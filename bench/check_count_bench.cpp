// How long a check takes to refuse a recording whose data inflates without
// end (8 GiB of zeros and more): counting stops at a day of frames of a
// machine of one port at 60 Hz, so the time is that of inflating 124 MB,
// whatever the file's size.
#include "emulator/recording_check.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// A zlib stream of zeros in a block of fixed codes that has no end: one
// zero, then matches of 258 bytes a byte back.
std::string endlessZeros(unsigned long long bytes)
{
    std::string stream("\x78\x01", 2);
    unsigned long bits = 0;
    int count = 0;
    auto code = [&](unsigned long value, int width) {
        for (int i = width - 1; i >= 0; --i) {
            bits |= ((value >> i) & 1) << count;
            if (++count == 8) {
                stream += static_cast<char>(bits);
                bits = 0;
                count = 0;
            }
        }
    };
    code(0b010, 3); // not the last block, fixed codes: the block type's bits go reversed
    code(0b00110000, 8);
    for (unsigned long long i = 0; i < bytes / 258; ++i) {
        code(0b11000101, 8);
        code(0, 5);
    }
    return stream;
}

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
