// A recording's head and frames: counting them, bounded, and the size of a machine's frames.
#include "emulator/recording_check.h"
#include "emulator/recording_frames.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A recording as MAME 0.251 writes one of pong: its head, then `count`
// frames of `stride` bytes, frame i at i / 60 seconds, compressed.
std::string recording(int count, std::size_t stride)
{
    std::string head("MAMEINP\0", 8);
    head += std::string("\x39\x4d\x18\x6b\0\0\0\0\x03\0\0\0", 12) + std::string("pong\0\0\0\0\0\0\0\0", 12);
    head += std::string("MAME 0.251 (mame0251)") + std::string(11, '\0');
    std::string frames;
    for (int i = 0; i < count; ++i) {
        std::int32_t seconds = i / 60;
        std::int64_t attoseconds = static_cast<std::int64_t>(i % 60) * 16666666666666667LL;
        std::string frame(stride, static_cast<char>(i));
        std::memcpy(&frame[0], &seconds, 4);
        std::memcpy(&frame[4], &attoseconds, 8);
        frames += frame;
    }
    std::vector<unsigned char> packed(compressBound(frames.size()));
    uLongf size = packed.size();
    compress(packed.data(), &size, reinterpret_cast<const Bytef*>(frames.data()), frames.size());
    return head + std::string(reinterpret_cast<const char*>(packed.data()), size);
}

TEST(RecordingFrames, CountsTheFramesOfAWholeOrCutRecording)
{
    const std::string whole = recording(600, 194);
    const auto* bytes = reinterpret_cast<const unsigned char*>(whole.data());
    RecordingHeader header = readRecordingHeader(bytes, whole.size());
    ASSERT_TRUE(header.present);
    EXPECT_EQ(header.major, 3u);
    EXPECT_STREQ(header.system, "pong");
    EXPECT_STREQ(header.madeBy, "MAME 0.251 (mame0251)");
    const struct {
        const char* label;
        std::size_t length, stride;
        bool complete;
        std::uint64_t frames;
    } cases[] = {
        {"whole", whole.size(), 194, true, 600},
        {"cut in half", whole.size() / 2, 194, false, 0},
        {"another machine's stride", whole.size(), 200, true, 600 * 194 / 200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        RecordingFrames frames =
            countRecordingFrames(bytes + kRecordingHeadBytes, c.length - kRecordingHeadBytes, c.stride);
        EXPECT_TRUE(frames.readable);
        EXPECT_EQ(frames.complete, c.complete);
        if (c.complete)
            EXPECT_EQ(frames.frames, c.frames);
        else
            EXPECT_LT(frames.frames, 600u);
    }
    RecordingFrames all = countRecordingFrames(bytes + kRecordingHeadBytes, whole.size() - kRecordingHeadBytes, 194);
    EXPECT_NEAR(all.lastFrameSeconds, 9.983, 0.001);
    const std::string text = "Not a recording at all, but long enough to hold a head of sixty-four bytes.";
    EXPECT_FALSE(readRecordingHeader(reinterpret_cast<const unsigned char*>(text.data()), text.size()).present);
    EXPECT_FALSE(countRecordingFrames(reinterpret_cast<const unsigned char*>(text.data()), text.size(), 194).readable);
    RecordingFrames headOnly = countRecordingFrames(bytes + kRecordingHeadBytes, 0, 194);
    EXPECT_TRUE(headOnly.readable && !headOnly.complete) << "a head alone is a recording cut before its frames";

    const std::string xml =
        "<!ATTLIST machine isdevice>\n<machine name=\"pong\">\n<display tag=\"screen\" refresh=\"59.922743\" />"
        "<display tag=\"aux\" refresh=\"60.606061\"/>\n<port tag=\":IN0\">\n"
        "<port tag=\":P0\">\n<analog mask=\"255\"/>\n</port></machine>\n<machine name=\"x\">"
        "<port tag=\":D\"></machine>";
    MachineInputs inputs = readMachineInputs(xml.data(), xml.size());
    EXPECT_TRUE(inputs.known);
    EXPECT_EQ(frameBytes(inputs), 16u + 2 * 8 + 13) << "the first machine's ports only";
    EXPECT_EQ(mostRecordingFrames(inputs), 10472728u) << "a day at twice the fastest screen's 60.606061 Hz";
    inputs.refresh = 0.01;
    EXPECT_EQ(mostRecordingFrames(inputs), 10368000u) << "a rate no screen has counts as 60 Hz";
    const std::string old = "<game name=\"pong\">\n<input players=\"2\" control=\"paddle\"/>\n</game>";
    EXPECT_FALSE(readMachineInputs(old.data(), old.size()).known) << "controls listed without their ports";
}

// A file from anyone: counting stops at a day of frames or when told to,
// damaged data is told from a cut file, and a time no recording has is
// not taken for the play length.
TEST(RecordingFrames, CountingIsBoundedAndDistrustsTheFile)
{
    const std::string whole = recording(600, 24);
    const std::size_t dataSize = whole.size() - kRecordingHeadBytes;
    std::string damaged = whole;
    damaged[kRecordingHeadBytes + dataSize / 2] ^= 0x55;
    std::string timeless = whole, late = whole;
    std::string frames;
    for (int i = 0; i < 3; ++i) {
        std::string frame(24, '\0');
        std::int32_t seconds = i == 2 ? -5 : i;
        std::memcpy(&frame[0], &seconds, 4);
        frames += frame;
    }
    std::vector<unsigned char> packed(compressBound(frames.size()));
    uLongf packedSize = packed.size();
    compress(packed.data(), &packedSize, reinterpret_cast<const Bytef*>(frames.data()), frames.size());
    timeless = whole.substr(0, kRecordingHeadBytes) + std::string(reinterpret_cast<char*>(packed.data()), packedSize);
    const std::atomic<bool> stopNow{true};
    FrameFindings findings;
    const struct {
        const char* label;
        const std::string& file;
        FrameFindings* findings;
        FrameBounds bounds;
        std::uint64_t frames;
        bool complete, damaged, pastBound, stopped, lengthKnown;
        std::uint64_t loadedStates; // the time's jumps that the findings were fed
    } cases[] = {
        {"within its bound", whole, nullptr, FrameBounds{600, nullptr}, 600, true, false, false, false, true, 0},
        {"past its bound", whole, &findings, FrameBounds{100, nullptr}, 100, false, false, true, false, false, 0},
        {"a damaged byte", damaged, &findings, FrameBounds{600, nullptr}, 0, false, true, false, false, false, 0},
        {"stopped from outside", whole, &findings, FrameBounds{600, &stopNow}, 0, false, false, false, true, false, 0},
        {"a negative time", timeless, &findings, FrameBounds{600, nullptr}, 3, true, false, false, false, false, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        startFrameFindings(findings, 60);
        RecordingFrames counted =
            countRecordingFrames(reinterpret_cast<const unsigned char*>(c.file.data()) + kRecordingHeadBytes,
                                 c.file.size() - kRecordingHeadBytes, 24, c.bounds, c.findings);
        if (!c.damaged)
            EXPECT_EQ(counted.frames, c.frames);
        EXPECT_EQ(counted.complete, c.complete);
        EXPECT_EQ(counted.damaged, c.damaged);
        EXPECT_EQ(counted.pastBound, c.pastBound);
        EXPECT_EQ(counted.stopped, c.stopped);
        EXPECT_EQ(playLengthKnown(counted), c.lengthKnown);
        if (c.findings) {
            // Fed every frame counted, not the one past the bound, and finished.
            EXPECT_EQ(findings.frames, counted.frames);
            EXPECT_EQ(findings.loadedStates.count, c.loadedStates);
            EXPECT_TRUE(findings.finished);
        }
        if (c.damaged)
            EXPECT_TRUE(counted.damagedAt > 0 && counted.damagedAt <= dataSize) << counted.damagedAt;
    }
    EXPECT_EQ(secondsToRunFor(9.983), 11u);
    EXPECT_EQ(secondsToRunFor(-3.0), 1u);
    EXPECT_EQ(secondsToRunFor(1e12), 86401u) << "a day and a second at most";
    EXPECT_EQ(secondsToRunFor(std::nan("")), 1u);
}

} // namespace
