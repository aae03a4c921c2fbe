// A recording's speed as a window draws it.
#include "emulator/speed_graph.h"

#include <algorithm>
#include <cmath>

void makeSpeedGraph(const FrameFindings& findings, SpeedGraph& graph)
{
    graph = SpeedGraph{};
    if (findings.frames == 0)
        return;
    graph.known = true;
    // To the millisecond: a sum of many frames' steps falls short of whole seconds.
    graph.playSeconds = std::round(findings.playSeconds * 1000) / 1000;
    graph.seriesFull = findings.seriesFull;
    graph.pauses = findings.pauses;
    graph.slowPlay = findings.slowPlay;
    graph.loadedStates = findings.loadedStates;
    const std::size_t seconds = findings.perSecond.size();
    const std::size_t each = seconds <= kGraphPoints ? 1 : (seconds + kGraphPoints - 1) / kGraphPoints;
    graph.secondsPerPoint = static_cast<std::uint32_t>(each);
    for (std::size_t first = 0; first < seconds && graph.pointCount < kGraphPoints; first += each) {
        const std::size_t end = std::min(seconds, first + each);
        std::uint64_t sum = 0;
        std::uint16_t lowest = findings.perSecond[first];
        for (std::size_t i = first; i < end; ++i) {
            sum += findings.perSecond[i];
            lowest = std::min(lowest, findings.perSecond[i]);
        }
        graph.lowest[graph.pointCount] = lowest;
        graph.average[graph.pointCount] = static_cast<std::uint16_t>(sum / (end - first));
        ++graph.pointCount;
    }
}

int graphTopPercent(const SpeedGraph& graph)
{
    int highest = 0;
    for (std::uint32_t i = 0; i < graph.pointCount && i < kGraphPoints; ++i)
        highest = std::max(highest, int(graph.average[i]));
    // Tenths of a percent, up to the next ten percent.
    const int top = (highest + 99) / 100 * 10;
    return std::clamp(top, 110, 200);
}

double timeStep(double seconds, int plotWidth, int labelWidth)
{
    static const double steps[] = {1,   2,   5,    10,   15,   30,    60,    120,   300,
                                   600, 900, 1800, 3600, 7200, 10800, 21600, 43200, 86400};
    if (!(seconds > 0) || plotWidth <= 0)
        return steps[std::size(steps) - 1];
    for (double step : steps) {
        if (step / seconds * plotWidth >= 2.0 * labelWidth)
            return step;
    }
    return steps[std::size(steps) - 1];
}
