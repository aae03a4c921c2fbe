// A recording's speed as a window draws it: the per-second series brought
// down to a fixed number of points, the findings beside it, and the scale.
#pragma once

#include "emulator/frame_findings.h"

#include <cstddef>
#include <cstdint>

// Points enough for a line as wide as a window at 192 DPI, few enough to
// hand over by value: a recording of ten minutes or less gets a point a
// second.
constexpr std::size_t kGraphPoints = 600;

struct SpeedGraph {
    bool known; // frames were read: the rest holds
    double playSeconds;
    // Whole seconds of play each point stands for, 1 or more.
    std::uint32_t secondsPerPoint;
    std::uint32_t pointCount;
    // Tenths of a percent, as the series holds them: the lowest and the
    // average second of those each point stands for.
    std::uint16_t lowest[kGraphPoints];
    std::uint16_t average[kGraphPoints];
    // The series stops at a day of play: later play has no points.
    bool seriesFull;
    FindingList pauses, slowPlay, loadedStates;
};

// The graph of what `findings` found; not `known` when no frame was read.
void makeSpeedGraph(const FrameFindings& findings, SpeedGraph& graph);

// The speed at the graph's top, in percent: 110, or the highest point
// rounded up to ten, at most 200 (higher points touch the top).
int graphTopPercent(const SpeedGraph& graph);

// The step between the time axis's labels, in seconds: the least of 1, 2,
// 5, 10, 15 and 30 seconds, 1, 2, 5, 10, 15 and 30 minutes, and 1, 2, 3,
// 6, 12 and 24 hours whose labels, `labelWidth` wide in a plot `plotWidth`
// wide that spans `seconds`, keep a label's width between them.
double timeStep(double seconds, int plotWidth, int labelWidth);
