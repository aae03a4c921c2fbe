// What a recording's frames tell of the way it was played.
#include "emulator/frame_findings.h"

#include <cmath>

namespace {

// Below 90% is slow play: the least average speed that MARP accepts.
constexpr std::uint64_t kSlowSpeed = kFullSpeed * 9ull / 10;
// Slow play is a stretch of at least a second: a single measurement, a
// quarter of a second, may fall below 90% on a busy machine.
constexpr double kLeastSlowSeconds = 1.0;
// MAME's start is slow, not the player: in most runs here its first
// measurements fell below 90% (to 62% on a quiet machine) for up to 2 s
// while the rest kept up. They count in the average and the series only.
constexpr double kStartSeconds = 2.0;
// A stand-still shows as one measurement far below those beside it, since
// MAME measures a quarter of a second of emulated time and the real time it
// took: a stop of 5 s (the emulator's process held still) turned one
// measurement into 5%, beside 83% and beside 101%. On a machine too busy
// for such speeds, measurements beside 56% and less fell to a quarter for
// up to 3 s of real time, which cannot be told from a pause: a stand-still
// is named only beside play at three quarters of full speed or more, and
// the slow play is named anyway.
constexpr std::uint64_t kStandStillFactor = 4;
constexpr std::uint64_t kLeastPaceBeside = kFullSpeed * 3ull / 4;
// A shorter stop is a hitch of the machine, not a pause worth naming.
constexpr double kLeastPauseSeconds = 1.0;
// MAME steps a frame at a time (Pong: 16.64 ms, never more); a loaded state
// moves the time by the distance between two moments of play, seconds as a
// rule. Two frames, and never less than 50 ms, leave room for a machine
// whose frames follow a slower screen than its fastest.
constexpr double kLeastJumpSeconds = 0.05;
// MAME's own pause (its P key) leaves no stand-still, since its speed is
// measured anew after it, but it writes one frame off the grid of the
// machine's frames: Pong's come 16.641716 ms apart, or within 12 µs of the
// one before, and a pause put one frame 0.889 ms past its grid point, the
// next frame falling on the grid again. A step that repeats to within 1 µs
// is the grid's period; 50 µs off it is off the grid.
constexpr double kSamePeriodSeconds = 1e-6;
constexpr double kOffGridSeconds = 50e-6;
// After this many frames the sums stop growing, so they never overflow.
constexpr std::uint64_t kMostFramesSummed = 1ull << 32;

void addFinding(FindingList& list, const PlayFinding& finding)
{
    if (list.keptCount < kFindingsKept)
        list.kept[list.keptCount++] = finding;
    ++list.count;
}

bool isSlow(std::uint32_t speed)
{
    return speed < kSlowSpeed;
}

// How long the emulation stood still while it ran `span` seconds at `speed`
// where `reference` was its pace.
double standStill(double span, std::uint32_t speed, std::uint32_t reference)
{
    if (speed == 0)
        return kLongestStandStill;
    double seconds = span * (double(kFullSpeed) / speed - double(kFullSpeed) / reference);
    return seconds < kLongestStandStill ? seconds : kLongestStandStill;
}

double secondsBetween(std::int32_t seconds, std::int64_t attoseconds, std::int32_t fromSeconds,
                      std::int64_t fromAttoseconds)
{
    // In floating point: a damaged frame's attoseconds may be anything.
    return (double(seconds) - double(fromSeconds)) + (double(attoseconds) - double(fromAttoseconds)) / 1e18;
}

// Follows the grid of the machine's frames, learns its period from two equal
// steps, and names a pause where one frame stood off the grid and the next
// was back on it. `step` is the time from the frame before; a jump starts
// the grid anew.
void followFrameGrid(FrameFindings& f, std::int32_t seconds, std::int64_t attoseconds, double step, bool jump)
{
    FrameGrid& grid = f.grid;
    if (jump || !grid.anchored) {
        grid = FrameGrid{true, seconds, attoseconds, grid.period, 0.0, false, 0, 0, 0.0};
        return;
    }
    if (step > kOffGridSeconds) {
        if (std::fabs(step - grid.lastStep) < kSamePeriodSeconds)
            grid.period = step;
        grid.lastStep = step;
    }
    if (grid.period <= 0) {
        grid.seconds = seconds;
        grid.attoseconds = attoseconds;
        return;
    }
    double sinceAnchor = secondsBetween(seconds, attoseconds, grid.seconds, grid.attoseconds);
    double offGrid = sinceAnchor - std::floor(sinceAnchor / grid.period + 0.5) * grid.period;
    if (std::fabs(offGrid) <= kOffGridSeconds) {
        if (grid.pending)
            addFinding(f.pauses, PlayFinding{grid.pendingAt, 0.0, 0});
        grid.pending = false;
        grid.seconds = seconds;
        grid.attoseconds = attoseconds;
        return;
    }
    if (!grid.pending) {
        grid.pending = true;
        grid.pendingSeconds = seconds;
        grid.pendingAttoseconds = attoseconds;
        grid.pendingAt = f.playSeconds;
        return;
    }
    // A frame again with the one off the grid: the grid itself moved, as
    // when the machine's screen changed its rate.
    if (secondsBetween(seconds, attoseconds, grid.pendingSeconds, grid.pendingAttoseconds) > kOffGridSeconds) {
        grid.pending = false;
        grid.seconds = seconds;
        grid.attoseconds = attoseconds;
    }
}

void closeSlowStretch(FrameFindings& f)
{
    if (f.slowOpen && f.slow.seconds >= kLeastSlowSeconds) {
        f.slow.speed = static_cast<std::uint32_t>(f.slowSpeedSum / f.slow.seconds);
        addFinding(f.slowPlay, f.slow);
    }
    f.slowOpen = false;
}

// Decides what one measurement shows, once the one after it (`next`, or
// none at the end) is known. Its value measures the quarter of a second
// before it, which the run before it (`previous`) covers.
void decideRun(FrameFindings& f, const SpeedRun& run, const SpeedRun* previous, const SpeedRun* next)
{
    if (!run.measured) {
        closeSlowStretch(f);
        return;
    }
    // Runs of equal values are one: only the last quarter of a second of
    // one was measured by the value after it.
    double span = previous ? previous->span : run.span;
    double measured = span < f.measureSeconds ? span : f.measureSeconds;
    double at = run.start - measured;
    std::uint32_t reference = 0;
    if (previous && previous->measured)
        reference = previous->speed;
    if (next && next->speed > reference)
        reference = next->speed;
    if (reference == 0 || reference > kFullSpeed)
        reference = kFullSpeed;
    if (reference >= kLeastPaceBeside && std::uint64_t(run.speed) * kStandStillFactor < reference) {
        double seconds = standStill(measured, run.speed, reference);
        if (seconds >= kLeastPauseSeconds) {
            closeSlowStretch(f);
            addFinding(f.pauses, PlayFinding{at, seconds, run.speed});
            f.pausedSeconds += seconds;
            return;
        }
    }
    if (run.start + run.span <= kStartSeconds) {
        closeSlowStretch(f);
        return;
    }
    if (f.measurements == 0 || run.speed < f.lowestSpeed)
        f.lowestSpeed = run.speed;
    if (f.measurements == 0 || run.speed > f.highestSpeed)
        f.highestSpeed = run.speed;
    ++f.measurements;
    if (!isSlow(run.speed)) {
        closeSlowStretch(f);
        return;
    }
    if (!f.slowOpen) {
        f.slowOpen = true;
        f.slow = PlayFinding{at, 0.0, 0};
        f.slowSpeedSum = 0;
    }
    f.slow.seconds += run.span;
    f.slowSpeedSum += double(run.speed) * run.span;
}

std::uint16_t tenthsOfPercent(std::uint64_t speed)
{
    std::uint64_t tenths = speed * 1000 >> 20;
    return static_cast<std::uint16_t>(tenths < 65535 ? tenths : 65535);
}

// Stores the second being summed and starts the one at `second`, the
// seconds between them taking its value.
void advanceSecond(FrameFindings& f, std::uint64_t second)
{
    std::uint16_t value = f.secondFrames > 0 ? tenthsOfPercent(f.secondSum / f.secondFrames) : 0;
    while (f.perSecond.size() < second && f.perSecond.size() < kMostSecondsKept)
        f.perSecond.push_back(value);
    f.secondSum = 0;
    f.secondFrames = 0;
    if (second >= kMostSecondsKept)
        f.seriesFull = true;
}

} // namespace

double screenRate(double listedRate)
{
    return listedRate >= 1 && listedRate <= 1000 ? listedRate : 60;
}

void startFrameFindings(FrameFindings& f, double frameRate)
{
    // Everything anew but the series' room, reserved once for a day.
    std::vector<std::uint16_t> series;
    series.swap(f.perSecond);
    f = FrameFindings{};
    f.perSecond.swap(series);
    f.perSecond.clear();
    f.perSecond.reserve(kMostSecondsKept);
    const double rate = screenRate(frameRate);
    f.frameSeconds = 1 / rate;
    f.jumpSeconds = 2 / rate > kLeastJumpSeconds ? 2 / rate : kLeastJumpSeconds;
    // MAME measures a quarter of a second, up to the next frame.
    f.measureSeconds = 0.25 + 1 / rate;
}

void addFrame(FrameFindings& f, std::int32_t seconds, std::int64_t attoseconds, std::uint32_t speed)
{
    if (f.finished)
        return;
    double step = 0;
    bool jump = false;
    if (f.started) {
        double moved = secondsBetween(seconds, attoseconds, f.lastSeconds, f.lastAttoseconds);
        jump = moved < 0 || moved > f.jumpSeconds;
        // The frame after a jump is still a frame of play.
        step = jump ? f.frameSeconds : moved;
        if (jump)
            addFinding(f.loadedStates, PlayFinding{f.playSeconds, moved, speed});
    }
    f.started = true;
    f.lastSeconds = seconds;
    f.lastAttoseconds = attoseconds;
    f.playSeconds += step;
    ++f.frames;
    followFrameGrid(f, seconds, attoseconds, jump ? 0.0 : step, jump);

    // A new measurement: the one before it can now be judged beside both
    // of its neighbours.
    // MAME's first measurement comes a quarter of a second in (later after
    // a pause there, which starts it anew), even when it happens to read
    // exactly the 100% that the frames before it carry.
    bool firstMeasurement = f.runs == 1 && !f.latest.measured && f.playSeconds - f.latest.start > 2 * f.measureSeconds;
    if (f.runs == 0 || speed != f.latest.speed || firstMeasurement) {
        SpeedRun run{f.playSeconds, 0.0, speed, f.runs > 0 || speed != kFullSpeed};
        if (f.runs > 0) {
            f.latest.span = f.playSeconds - f.latest.start;
            f.before = f.current;
            f.current = f.latest;
        }
        f.latest = run;
        if (f.runs < 3)
            ++f.runs;
        if (f.runs >= 2)
            decideRun(f, f.current, f.runs == 3 ? &f.before : nullptr, &f.latest);
    }
    if (f.latest.measured && isSlow(speed))
        f.slowSeconds += step;

    if (f.framesSummed < kMostFramesSummed) {
        f.speedSum += speed;
        ++f.framesSummed;
        if (!f.seriesFull) {
            auto second = static_cast<std::uint64_t>(f.playSeconds);
            if (second > f.perSecond.size())
                advanceSecond(f, second);
            f.secondSum += speed;
            ++f.secondFrames;
        }
    }
}

void finishFrameFindings(FrameFindings& f)
{
    if (f.finished)
        return;
    f.finished = true;
    if (f.runs > 0) {
        f.latest.span = f.playSeconds - f.latest.start;
        decideRun(f, f.latest, f.runs >= 2 ? &f.current : nullptr, nullptr);
    }
    closeSlowStretch(f);
    if (f.secondFrames > 0 && !f.seriesFull)
        advanceSecond(f, f.perSecond.size() + 1);
}

FindingFigures findingFigures(const FrameFindings& f)
{
    return FindingFigures{
        f.frames > 0,         f.measurements > 0 ? static_cast<int>(std::uint64_t(f.lowestSpeed) * 100 >> 20) : -1,
        f.pauses.count,       f.slowPlay.count,
        f.loadedStates.count, f.pausedSeconds};
}
