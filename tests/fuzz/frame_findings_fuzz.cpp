// Feeds arbitrary frames to the analysis of a recording's play: whole frames
// of time and speed as a recording holds them, or small steps of time that
// reach its rules more often. Lists keep at most their bound and count the
// rest, the per-second series never outgrows the room reserved for it, and
// every verdict fits 1024 bytes, and is ended and whole UTF-8 in any buffer;
// the graph drawn from it keeps to its points and its scale.
#include "emulator/frame_findings.h"
#include "emulator/speed_graph.h"
#include "tests/fuzz/shown_oracle.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

void checkList(const FindingList& list)
{
    require(list.keptCount == (list.count < kFindingsKept ? list.count : kFindingsKept));
}

void checkText(bool (*format)(const FrameFindings&, char*, std::size_t), const FrameFindings& findings)
{
    char whole[1024];
    require(format(findings, whole, sizeof whole));
    std::vector<std::uint32_t> codePoints;
    require(decodeStrictly(whole, codePoints));
    for (std::size_t size : {1, 5, 24, 64}) {
        std::vector<char> cut(size, 'x');
        bool fits = format(findings, cut.data(), cut.size());
        require(std::memchr(cut.data(), '\0', cut.size()) != nullptr);
        require(fits == (std::strlen(whole) < size));
        require(decodeStrictly(cut.data(), codePoints));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const double rates[] = {0, 1, 24, 50, 60, 60.179204, 1000, 5000, -5, std::numeric_limits<double>::quiet_NaN()};
    static FrameFindings findings;
    startFrameFindings(findings, rates[data[0] % 10]);
    const std::size_t reserved = findings.perSecond.capacity();
    bool wholeFrames = data[1] & 1;
    std::int64_t seconds = 0, milliseconds = 0;
    for (std::size_t at = 2; at < size;) {
        if (wholeFrames) {
            if (size - at < 16)
                break;
            std::int32_t frameSeconds;
            std::int64_t attoseconds;
            std::uint32_t speed;
            std::memcpy(&frameSeconds, data + at, 4);
            std::memcpy(&attoseconds, data + at + 4, 8);
            std::memcpy(&speed, data + at + 12, 4);
            addFrame(findings, frameSeconds, attoseconds, speed);
            at += 16;
        } else {
            // A step of -128 to 127 ms, and a speed of up to 400% (the
            // highest value stands for the frame's highest).
            if (size - at < 3)
                break;
            milliseconds += static_cast<std::int8_t>(data[at]);
            std::uint32_t speed = data[at + 1] | data[at + 2] << 8;
            speed = speed == 0xFFFF ? 0xFFFFFFFFu : speed << 6;
            seconds += milliseconds / 1000;
            milliseconds %= 1000;
            addFrame(findings, static_cast<std::int32_t>(seconds), milliseconds * 1000000000000000LL, speed);
            at += 3;
        }
    }
    finishFrameFindings(findings);

    checkList(findings.pauses);
    checkList(findings.slowPlay);
    checkList(findings.loadedStates);
    require(findings.perSecond.size() <= kMostSecondsKept && findings.perSecond.capacity() == reserved);
    require(findings.measurements == 0 || findings.lowestSpeed <= findings.highestSpeed);
    for (std::size_t i = 0; i < findings.pauses.keptCount; ++i)
        require(findings.pauses.kept[i].seconds == 0 ||
                (findings.pauses.kept[i].seconds >= 1 && findings.pauses.kept[i].seconds <= 24 * 60 * 60));
    for (std::size_t i = 0; i < findings.slowPlay.keptCount; ++i)
        require(findings.slowPlay.kept[i].seconds >= 1 && findings.slowPlay.kept[i].speed < kFullSpeed);
    checkText(formatPauses, findings);
    checkText(formatSlowPlay, findings);
    checkText(formatLoadedStates, findings);
    checkText(formatFrameVerdict, findings);

    // The graph a window draws: never more points than its room, each
    // point's lowest at most its average, a top within the scale.
    static SpeedGraph graph;
    makeSpeedGraph(findings, graph);
    require(graph.known == (findings.frames > 0) && graph.pointCount <= kGraphPoints);
    require(graph.pointCount == 0 || graph.secondsPerPoint >= 1);
    for (std::uint32_t i = 0; i < graph.pointCount; ++i)
        require(graph.lowest[i] <= graph.average[i]);
    const int top = graphTopPercent(graph);
    require(top >= 110 && top <= 200);
    const double step = timeStep(graph.playSeconds, data[1], data[0]);
    require(step >= 1 && step <= 86400);
    return 0;
}
