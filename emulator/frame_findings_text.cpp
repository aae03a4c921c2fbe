// The words of what a recording's frames tell: the verdict's sentences.
#include "emulator/frame_findings.h"

#include "common/bounded_text.h"

#include <cmath>

namespace {

// The findings of each kind that a text names.
constexpr std::size_t kFindingsShown = 3;

constexpr const char* kEnDash = "\xE2\x80\x93";

unsigned long long percentDown(std::uint64_t speed)
{
    return speed * 100 >> 20;
}

unsigned long long percentNear(std::uint64_t speed)
{
    return (speed * 100 + (kFullSpeed >> 1)) >> 20;
}

void appendPosition(TextBuilder& text, double seconds)
{
    // A millisecond more, so that the sums of frames' steps that fall a hair
    // short of a whole second name it.
    unsigned long long whole = seconds > 0 ? static_cast<unsigned long long>(seconds + 0.001) : 0;
    appendFormat(text, "%llu:%02llu", whole / 60, whole % 60);
}

void appendDuration(TextBuilder& text, double seconds)
{
    if (seconds >= kLongestStandStill) {
        appendText(text, "a day or more");
        return;
    }
    unsigned long long whole = static_cast<unsigned long long>(std::floor(seconds + 0.5));
    if (whole < 60)
        appendFormat(text, "%llu s", whole);
    else if (whole < 3600)
        appendFormat(text, "%llu min %llu s", whole / 60, whole % 60);
    else
        appendFormat(text, "%llu h %llu min", whole / 3600, whole / 60 % 60);
}

// How far a loaded state moved the time: tenths of a second below a minute.
void appendDistance(TextBuilder& text, double seconds)
{
    if (seconds < 0.05)
        appendText(text, "less than 0.1 s");
    else if (seconds < 59.95)
        appendFormat(text, "%.1f s", seconds);
    else
        appendDuration(text, seconds);
}

void appendCount(TextBuilder& text, std::uint64_t count)
{
    if (count == 1)
        appendText(text, "once");
    else if (count == 2)
        appendText(text, "twice");
    else
        appendFormat(text, "%llu times", static_cast<unsigned long long>(count));
}

// ": A, B and C." for the first findings of a list, "and N more" for the rest.
void appendList(TextBuilder& text, const FindingList& list, void (*item)(TextBuilder&, const PlayFinding&))
{
    std::size_t shown = list.keptCount < kFindingsShown ? list.keptCount : kFindingsShown;
    std::uint64_t more = list.count - shown;
    appendText(text, ": ");
    for (std::size_t i = 0; i < shown; ++i) {
        if (i > 0)
            appendText(text, i + 1 == shown && more == 0 ? " and " : ", ");
        item(text, list.kept[i]);
    }
    if (more > 0)
        appendFormat(text, " and %llu more", static_cast<unsigned long long>(more));
    appendText(text, ".");
}

void stretchItem(TextBuilder& text, const PlayFinding& stretch)
{
    appendText(text, "at ");
    appendPosition(text, stretch.at);
    appendText(text, " for ");
    appendDuration(text, stretch.seconds);
}

void pauseItem(TextBuilder& text, const PlayFinding& pause)
{
    if (pause.seconds > 0) {
        stretchItem(text, pause);
        return;
    }
    appendText(text, "at ");
    appendPosition(text, pause.at);
    appendText(text, " for a time not recorded");
}

void slowItem(TextBuilder& text, const PlayFinding& stretch)
{
    stretchItem(text, stretch);
    appendFormat(text, " (%llu%%)", percentDown(stretch.speed));
}

void stateItem(TextBuilder& text, const PlayFinding& state)
{
    appendText(text, "at ");
    appendPosition(text, state.at);
    appendText(text, state.seconds < 0 ? " (time back " : " (time ahead ");
    appendDistance(text, std::fabs(state.seconds));
    appendText(text, ")");
}

bool finishText(const TextBuilder& text)
{
    return !text.overflowed;
}

} // namespace

std::uint64_t averageSpeedPercent(const FrameFindings& f)
{
    return f.framesSummed > 0 ? percentDown(f.speedSum / f.framesSummed) : 0;
}

namespace {

// "Paused at 1:12 for 6 s." for one finding, "Paused twice: at ... and at ..." for more.
bool formatFindings(const FindingList& list, const char* words, void (*item)(TextBuilder&, const PlayFinding&),
                    char* buffer, std::size_t size)
{
    TextBuilder text = startText(buffer, size);
    if (list.count == 0)
        return true;
    appendText(text, words);
    if (list.count == 1) {
        item(text, list.kept[0]);
        appendText(text, ".");
    } else {
        appendCount(text, list.count);
        appendList(text, list, item);
    }
    return finishText(text);
}

} // namespace

bool formatPauses(const FrameFindings& f, char* buffer, std::size_t size)
{
    return formatFindings(f.pauses, "Paused ", pauseItem, buffer, size);
}

bool formatSlowPlay(const FrameFindings& f, char* buffer, std::size_t size)
{
    return formatFindings(f.slowPlay, "Played slow ", slowItem, buffer, size);
}

bool formatLoadedStates(const FrameFindings& f, char* buffer, std::size_t size)
{
    TextBuilder text = startText(buffer, size);
    if (f.loadedStates.count == 0)
        return true;
    if (f.loadedStates.count == 1) {
        const PlayFinding& state = f.loadedStates.kept[0];
        appendText(text, "A saved state was loaded at ");
        appendPosition(text, state.at);
        appendText(text, state.seconds < 0 ? ": the time runs back " : ": the time jumps ahead ");
        appendDistance(text, std::fabs(state.seconds));
        appendText(text, " there.");
        return finishText(text);
    }
    appendText(text, "Saved states were loaded ");
    appendCount(text, f.loadedStates.count);
    appendList(text, f.loadedStates, stateItem);
    return finishText(text);
}

bool formatFrameVerdict(const FrameFindings& f, char* buffer, std::size_t size)
{
    TextBuilder text = startText(buffer, size);
    // The gravest first: a playback stops where a state was loaded.
    bool (*const sentences[])(const FrameFindings&, char*, std::size_t) = {formatLoadedStates, formatPauses,
                                                                           formatSlowPlay};
    for (auto sentence : sentences) {
        char piece[512];
        if (!sentence(f, piece, sizeof piece))
            text.overflowed = true;
        if (piece[0] != '\0') {
            if (text.length > 0)
                appendText(text, " ");
            appendText(text, piece);
        }
    }
    const struct {
        std::uint64_t count;
        const char* name;
    } kinds[] = {{f.pauses.count, "pause"}, {f.slowPlay.count, "slow play"}, {f.loadedStates.count, "loaded state"}};
    bool noneAbsent = true;
    for (const auto& kind : kinds) {
        if (kind.count > 0)
            continue;
        appendText(text, noneAbsent ? (text.length > 0 ? " No " : "No ") : ", no ");
        appendText(text, kind.name);
        noneAbsent = false;
    }
    appendText(text, noneAbsent ? (text.length > 0 ? " Speed " : "Speed ") : "; speed ");
    if (f.measurements == 0) {
        appendText(text, "not known: the recording is too short.");
        return finishText(text);
    }
    unsigned long long lowest = percentDown(f.lowestSpeed), highest = percentNear(f.highestSpeed);
    if (highest < lowest)
        highest = lowest;
    if (lowest == highest)
        appendFormat(text, "%llu%%", lowest);
    else
        appendFormat(text, "%llu%s%llu%%", lowest, kEnDash, highest);
    std::uint64_t average = averageSpeedPercent(f);
    if (f.slowPlay.count > 0 || average < 90) {
        appendFormat(text, ", average %llu%%", static_cast<unsigned long long>(average));
        if (f.slowSeconds >= 0.5) {
            appendText(text, ", ");
            appendDuration(text, f.slowSeconds);
            appendText(text, " below 90%");
        }
    }
    appendText(text, ".");
    return finishText(text);
}

FindingCells findingCells(const FindingFigures& figures)
{
    FindingCells cells{};
    if (!figures.known)
        return cells;
    if (figures.lowestPercent >= 0)
        formatText(cells.lowest, sizeof cells.lowest, "%d%%", figures.lowestPercent);
    TextBuilder paused = startText(cells.paused, sizeof cells.paused);
    appendFormat(paused, "%llu", static_cast<unsigned long long>(figures.pauses));
    if (figures.pauses > 0 && figures.pausedSeconds >= 0.5)
        appendFormat(paused, ", %llu s", static_cast<unsigned long long>(std::floor(figures.pausedSeconds + 0.5)));
    formatText(cells.states, sizeof cells.states, "%llu", static_cast<unsigned long long>(figures.loadedStates));
    return cells;
}

void formatFindingMark(const FindingFigures& figures, char* buffer, std::size_t size)
{
    TextBuilder text = startText(buffer, size);
    const struct {
        std::uint64_t count;
        const char *first, *next; // named first, or after another
    } kinds[] = {{figures.loadedStates, "Loaded state", "loaded state"},
                 {figures.pauses, "Paused", "paused"},
                 {figures.slowStretches, "Slow", "slow"}};
    for (const auto& kind : kinds) {
        if (kind.count > 0) {
            appendText(text, text.length == 0 ? "[" : ", ");
            appendText(text, text.length == 1 ? kind.first : kind.next);
        }
    }
    if (text.length > 0)
        appendText(text, "] ");
}
