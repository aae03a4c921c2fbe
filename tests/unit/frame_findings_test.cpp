// What made streams of frames show: stand-stills, slow play, loaded states, the speed, and the verdict's words.
#include "emulator/frame_findings.h"
#include "emulator/speed_graph.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t percent(double value)
{
    return static_cast<std::uint32_t>(value * kFullSpeed / 100 + 0.5);
}

// Play at two speeds by turns, a measurement every 16 frames, then move the
// time by `shift` seconds.
struct Piece {
    double seconds;
    std::uint32_t speed, otherSpeed;
    double shift;
};

constexpr std::int64_t kAttoseconds = 1000000000000000000LL;

// A stream as MAME writes one at 60 frames a second: the 16 frames before
// its first measurement carry 100%, then the pieces follow.
FrameFindings play(const std::vector<Piece>& pieces)
{
    FrameFindings findings;
    startFrameFindings(findings, 60);
    // The time in seconds and attoseconds, as a frame holds it.
    std::int64_t seconds = 0, attoseconds = 0;
    auto move = [&](std::int64_t by) {
        attoseconds += by;
        seconds += attoseconds / kAttoseconds - (attoseconds % kAttoseconds < 0);
        attoseconds = (attoseconds % kAttoseconds + kAttoseconds) % kAttoseconds;
    };
    std::vector<Piece> all{{16 / 60.0, kFullSpeed, kFullSpeed, 0}};
    all.insert(all.end(), pieces.begin(), pieces.end());
    for (const Piece& piece : all) {
        int frames = static_cast<int>(piece.seconds * 60 + 0.5);
        for (int i = 0; i < frames; ++i) {
            addFrame(findings, static_cast<std::int32_t>(seconds), attoseconds,
                     i / 16 % 2 ? piece.otherSpeed : piece.speed);
            move(kAttoseconds / 60);
        }
        double whole = std::floor(piece.shift);
        seconds += static_cast<std::int64_t>(whole);
        move(static_cast<std::int64_t>((piece.shift - whole) * 1e18));
    }
    finishFrameFindings(findings);
    return findings;
}

const std::uint32_t kFull = kFullSpeed;
// A measurement after the emulation stood still for 6 s.
const std::uint32_t kStoodStill6 = percent(100 * (0.25 + 1 / 60.0) / (0.25 + 1 / 60.0 + 6));

TEST(FrameFindings, StreamsShowWhatTheirPlayWas)
{
    const struct {
        const char* label;
        std::vector<Piece> pieces;
        std::uint64_t found[3]; // pauses, slow play, loaded states
        std::size_t series[2];  // a second of play and its speed in tenths of a percent
        const char* verdict;
        const char* cells; // a table's: lowest speed, paused, loaded states and the verdict's mark
    } cases[] = {
        {"clean after MAME's slow start",
         {{1.5, percent(62), percent(80), 0}, {120, percent(99.5), percent(100.2), 0}},
         {0, 0, 0},
         {100, 998},
         "No pause, no slow play, no loaded state; speed 99–100%.",
         "99%/0/0/"},
        {"a pause of 6 s",
         {{60, kFull, kFull, 0}, {16 / 60.0, kStoodStill6, kStoodStill6, 0}, {30, kFull, kFull, 0}},
         {1, 0, 0},
         {70, 1000},
         "Paused at 1:00 for 6 s. No slow play, no loaded state; speed 100%.",
         "100%/1, 6 s/0/[Paused] "},
        {"MAME's own pause: one frame off the grid",
         {{60, kFull, kFull, -1 / 60.0 + 0.000889}, {1 / 60.0, kFull, kFull, -0.000889}, {30, kFull, kFull, 0}},
         {1, 0, 0},
         {70, 1000},
         "Paused at 1:00 for a time not recorded. No slow play, no loaded state; speed 100%.",
         "100%/1/0/[Paused] "},
        {"a stretch at 80%",
         {{30, kFull, kFull, 0}, {20, percent(80), percent(80), 0}, {30, kFull, kFull, 0}},
         {0, 1, 0},
         {40, 800},
         "Played slow at 0:30 for 20 s (80%). No pause, no loaded state; speed 80–100%, average 95%, 20 s below 90%.",
         "80%/0/0/[Slow] "},
        {"a fall beside slow play is no pause",
         {{10, kFull, kFull, 0},
          {5, percent(60), percent(60), 0},
          {16 / 60.0, percent(5), percent(5), 0},
          {5, percent(60), percent(60), 0},
          {10, kFull, kFull, 0}},
         {0, 1, 0},
         {12, 600},
         "Played slow at 0:10 for 10 s (58%). No pause, no loaded state; speed 5–100%, average 86%, 10 s below 90%.",
         "5%/0/0/[Slow] "},
        {"a jittery speed is no slow play, but its average shows",
         {{30, kFull, percent(70.5), 0}},
         {0, 0, 0},
         {10, 842},
         "No pause, no slow play, no loaded state; speed 70–100%, average 85%, 15 s below 90%.",
         "70%/0/0/"},
        {"time runs back",
         {{125.5, kFull, kFull, -14.2}, {10, kFull, kFull, 0}},
         {0, 0, 1},
         {130, 1000},
         "A saved state was loaded at 2:05: the time runs back 14.2 s there. No pause, no slow play; speed 100%.",
         "100%/0/1/[Loaded state] "},
        {"time jumps ahead",
         {{3, kFull, kFull, 95}, {3, kFull, kFull, 0}},
         {0, 0, 1},
         {4, 1000},
         "A saved state was loaded at 0:03: the time jumps ahead 1 min 35 s there. No pause, no slow play; speed "
         "100%.",
         "100%/0/1/[Loaded state] "},
        {"speed 0",
         {{10, kFull, kFull, 0}, {5, 0, 0, 0}, {5, kFull, kFull, 0}},
         {1, 0, 0},
         {12, 0},
         "Paused at 0:10 for a day or more. No slow play, no loaded state; speed 100%, average 75%, 5 s below 90%.",
         "100%/1, 86400 s/0/[Paused] "},
        {"the highest speed a frame holds",
         {{10, kFull, kFull, 0}, {5, 0xFFFFFFFFu, 0xFFFFFFFFu, 0}, {5, kFull, kFull, 0}},
         {0, 0, 0},
         {12, 65535},
         "No pause, no slow play, no loaded state; speed 100–409600%.",
         "100%/0/0/"},
        {"too short to tell",
         {{1, percent(50), percent(50), 0}},
         {0, 0, 0},
         {0, 631},
         "No pause, no slow play, no loaded state; speed not known: the recording is too short.",
         "/0/0/"},
        {"all at once",
         {{20, kFull, kFull, -5},
          {20, kFull, kFull, 0},
          {16 / 60.0, kStoodStill6, kStoodStill6, 0},
          {10, percent(85.5), percent(85.5), 0},
          {5, kFull, kFull, 0},
          {2, percent(50), percent(50), 0},
          {5, kFull, kFull, 0}},
         {1, 2, 1},
         {0, 1000},
         "A saved state was loaded at 0:20: the time runs back 5.0 s there. Paused at 0:40 for 6 s. Played slow "
         "twice: at 0:40 for 10 s (85%) and at 0:55 for 2 s (50%). Speed 50–100%, average 95%, 12 s below 90%.",
         "50%/1, 6 s/1/[Loaded state, paused, slow] "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        FrameFindings findings = play(c.pieces);
        EXPECT_EQ(findings.pauses.count, c.found[0]);
        EXPECT_EQ(findings.slowPlay.count, c.found[1]);
        EXPECT_EQ(findings.loadedStates.count, c.found[2]);
        ASSERT_GT(findings.perSecond.size(), c.series[0]);
        EXPECT_EQ(findings.perSecond[c.series[0]], c.series[1]);
        char verdict[512];
        EXPECT_TRUE(formatFrameVerdict(findings, verdict, sizeof verdict));
        EXPECT_STREQ(verdict, c.verdict);
        const FindingFigures figures = findingFigures(findings);
        const FindingCells cells = findingCells(figures);
        char mark[64];
        formatFindingMark(figures, mark, sizeof mark);
        EXPECT_EQ(std::string(cells.lowest) + "/" + cells.paused + "/" + cells.states + "/" + mark, c.cells);
    }
}

TEST(FrameFindings, ListsAreCutAndSaySo)
{
    std::vector<Piece> pieces;
    for (int i = 0; i < 20; ++i) {
        pieces.push_back({10, kFull, kFull, 0});
        pieces.push_back({16 / 60.0, kStoodStill6, kStoodStill6, i % 2 ? -1.0 : 2.0});
    }
    FrameFindings findings = play(pieces);
    EXPECT_EQ(findings.pauses.count, 20u);
    EXPECT_EQ(findings.pauses.keptCount, kFindingsKept);
    char text[512];
    ASSERT_TRUE(formatPauses(findings, text, sizeof text));
    EXPECT_STREQ(text, "Paused 20 times: at 0:10 for 6 s, at 0:20 for 6 s, at 0:30 for 6 s and 17 more.");
    ASSERT_TRUE(formatLoadedStates(findings, text, sizeof text));
    EXPECT_STREQ(text,
                 "Saved states were loaded 19 times: at 0:10 (time ahead 2.0 s), at 0:20 (time back 1.0 s), at "
                 "0:31 (time ahead 2.0 s) and 16 more.");
    // A buffer too small cuts the text, ends it, and says so.
    char small[24];
    std::memset(small, 'x', sizeof small);
    EXPECT_FALSE(formatFrameVerdict(findings, small, sizeof small));
    EXPECT_LT(std::strlen(small), sizeof small);
}

// The graph a window draws: a point a second up to ten minutes, then each
// point a few seconds, its lowest and average; the scale beside it.
TEST(SpeedGraph, PointsScaleAndFindingsFollowThePlay)
{
    const struct {
        std::vector<Piece> pieces;
        std::uint32_t points, secondsPerPoint;
        int top;                       // percent
        std::uint16_t lowest, average; // of the point at `at`
        std::uint32_t at;
        std::uint64_t slowStretches;
    } cases[] = {
        {{{20, kFull, kFull, 0}}, 21, 1, 110, 1000, 1000, 5, 0},
        {{{10, kFull, kFull, 0}, {4, percent(80), percent(80), 0}, {6, kFull, kFull, 0}}, 21, 1, 110, 800, 800, 12, 1},
        // 40 minutes: four seconds a point; from 1000.5 s two at 50%.
        {{{1000.5 - 16 / 60.0, kFull, kFull, 0}, {2, percent(50), percent(50), 0}, {1396, kFull, kFull, 0}},
         600,
         4,
         110,
         500,
         750,
         250,
         1},
        {{{20, percent(150), percent(150), 0}}, 21, 1, 150, 1500, 1500, 5, 0},
        {{{20, 0xFFFFFFFFu, 0xFFFFFFFFu, 0}}, 21, 1, 200, 65535, 65535, 5, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.points * 1000 + c.top);
        SpeedGraph graph;
        makeSpeedGraph(play(c.pieces), graph);
        ASSERT_TRUE(graph.known);
        EXPECT_EQ(graph.pointCount, c.points);
        EXPECT_EQ(graph.secondsPerPoint, c.secondsPerPoint);
        EXPECT_EQ(graphTopPercent(graph), c.top);
        // To a tenth of a percent: a second's frames fall either side of its edges.
        EXPECT_NEAR(graph.lowest[c.at], c.lowest, 1);
        EXPECT_NEAR(graph.average[c.at], c.average, 1);
        EXPECT_EQ(graph.slowPlay.count, c.slowStretches);
    }
    SpeedGraph none;
    makeSpeedGraph(play({}), none);
    EXPECT_TRUE(none.known) << "the frames before the first measurement are play";
    FrameFindings empty;
    startFrameFindings(empty, 60);
    makeSpeedGraph(empty, none);
    EXPECT_FALSE(none.known);
    EXPECT_EQ(none.pointCount, 0u);

    // The time axis's labels keep twice a label's width apart, or take a day.
    EXPECT_EQ(timeStep(20, 800, 30), 2);
    EXPECT_EQ(timeStep(20, 400, 30), 5);
    EXPECT_EQ(timeStep(3600, 400, 40), 900);
    EXPECT_EQ(timeStep(2 * 86400.0, 100, 40), 86400);
    EXPECT_EQ(timeStep(0, 400, 40), 86400);
}

} // namespace
