// The drawn speed of a checked recording: its line over the recording's length, the 90% and 100% levels, and where
// the frames showed a pause, slow play or a loaded state.
#include "shell/speed_graph.h"

#include "common/bounded_text.h"
#include "emulator/recording_check.h"
#include "emulator/speed_graph.h"
#include "shell/app.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

const char kClassName[] = "HobrinSpeedGraph";

// The rest of the colours (the findings' are in the header).
const COLORREF kLowestColour = RGB(150, 190, 240);
const COLORREF kNinetyColour = RGB(200, 0, 0);
const COLORREF kFullColour = RGB(128, 128, 128);

struct GraphControl {
    HFONT font;
    SpeedGraph* graph; // null when none is shown
};

GraphControl& controlOf(HWND control)
{
    return *reinterpret_cast<GraphControl*>(GetWindowLongPtrA(control, 0));
}

// The plot's rectangle and its scales: seconds of play across, percent up.
struct Plot {
    RECT area;
    double seconds;
    int top;

    int x(double at) const
    {
        double share = std::clamp(at / seconds, 0.0, 1.0);
        return area.left + static_cast<int>(share * (area.right - area.left) + 0.5);
    }
    int y(double percent) const
    {
        double share = std::clamp(percent / top, 0.0, 1.0);
        return area.bottom - static_cast<int>(share * (area.bottom - area.top) + 0.5);
    }
};

void fill(HDC dc, int left, int top, int right, int bottom, COLORREF colour)
{
    RECT rect{left, top, right, bottom};
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

// A pen selected into a drawing context for as long as it lives, so that
// lines of one colour share it.
class SelectedPen {
public:
    SelectedPen(HDC dc, COLORREF colour, int width)
        : dc_(dc), pen_(CreatePen(PS_SOLID, width, colour)), before_(SelectObject(dc, pen_))
    {
    }
    ~SelectedPen()
    {
        SelectObject(dc_, before_);
        DeleteObject(pen_);
    }
    SelectedPen(const SelectedPen&) = delete;
    SelectedPen& operator=(const SelectedPen&) = delete;

private:
    HDC dc_;
    HPEN pen_;
    HGDIOBJ before_;
};

// A line in the pen selected.
void segment(HDC dc, int x0, int y0, int x1, int y1)
{
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}

void line(HDC dc, int x0, int y0, int x1, int y1, COLORREF colour, int width)
{
    SelectedPen pen(dc, colour, width);
    segment(dc, x0, y0, x1, y1);
}

// Dashes drawn one by one: a wide pen draws no dashes of its own.
void dashedLine(HDC dc, int left, int right, int y, COLORREF colour, int width, int dash)
{
    SelectedPen pen(dc, colour, width);
    for (int x = left; x < right; x += 2 * dash)
        segment(dc, x, y, std::min(x + dash, right), y);
}

SIZE textSize(HDC dc, const char* text)
{
    SIZE size{0, 0};
    GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size);
    return size;
}

// `text` with its left edge at `x`, or its right edge there (`fromRight`),
// centred on `y`.
void label(HDC dc, const char* text, int x, int y, bool fromRight, COLORREF colour)
{
    SIZE size = textSize(dc, text);
    SetTextColor(dc, colour);
    TextOutA(dc, fromRight ? x - size.cx : x, y - size.cy / 2, text, static_cast<int>(std::strlen(text)));
}

// A pause: a down-pointing triangle at the plot's top; a loaded state: a square.
void marker(HDC dc, bool pause, int x, int top, int size, COLORREF colour)
{
    SelectedPen pen(dc, colour, 1);
    HBRUSH brush = CreateSolidBrush(colour);
    HGDIOBJ before = SelectObject(dc, brush);
    if (pause) {
        POINT corners[3] = {{x - size / 2, top}, {x + size / 2, top}, {x, top + size / 2 + 1}};
        Polygon(dc, corners, 3);
    } else {
        Rectangle(dc, x - size / 2, top, x + size / 2 + 1, top + size);
    }
    SelectObject(dc, before);
    DeleteObject(brush);
}

// Pauses (a wider line) and loaded states, each a line across the plot
// with its marker on top.
void drawFindings(HDC dc, const Plot& plot, const SpeedGraph& graph, int unit, int size)
{
    const struct {
        const FindingList& list;
        COLORREF colour;
        int width;
        bool pause;
    } kinds[] = {{graph.pauses, kPauseMarkColour, 2 * unit, true},
                 {graph.loadedStates, kLoadedStateColour, unit, false}};
    for (const auto& kind : kinds) {
        for (std::size_t i = 0; i < kind.list.keptCount; ++i) {
            const int x = plot.x(kind.list.kept[i].at);
            line(dc, x, plot.area.top, x, plot.area.bottom, kind.colour, kind.width);
            marker(dc, kind.pause, x, plot.area.top, size, kind.colour);
        }
    }
}

// The speed: each point's average as a line, and below it down to its
// lowest second, a lighter bar.
void drawSpeed(HDC dc, const Plot& plot, const SpeedGraph& graph, int unit)
{
    POINT points[kGraphPoints + 1];
    const std::uint32_t count = std::min<std::uint32_t>(graph.pointCount, kGraphPoints);
    {
        SelectedPen bars(dc, kLowestColour, unit);
        for (std::uint32_t i = 0; i < count; ++i) {
            const int x = plot.x((i + 0.5) * graph.secondsPerPoint);
            points[i] = POINT{x, plot.y(graph.average[i] / 10.0)};
            if (graph.lowest[i] < graph.average[i])
                segment(dc, x, plot.y(graph.lowest[i] / 10.0), x, points[i].y);
        }
    }
    int drawn = static_cast<int>(count);
    if (count == 1) {
        // One point is a level across its second.
        points[1] = points[0];
        points[0].x = plot.area.left;
        drawn = 2;
    }
    SelectedPen pen(dc, kSpeedLineColour, unit + 1);
    if (drawn >= 2)
        Polyline(dc, points, drawn);
}

// The time under the plot, in m:ss, a label's width apart at least.
void drawTimeAxis(HDC dc, const Plot& plot, const RECT& inside, int tick)
{
    char text[32];
    formatPlayLength(plot.seconds, text, sizeof text);
    const int widest = textSize(dc, text).cx;
    const double step = timeStep(plot.seconds, plot.area.right - plot.area.left, widest);
    int lastRight = inside.left - 1;
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SelectedPen ticks(dc, kFullColour, 1);
    for (double at = 0; at <= plot.seconds + 1e-9; at += step) {
        const int x = plot.x(at);
        segment(dc, x, plot.area.bottom, x, plot.area.bottom + tick);
        formatPlayLength(at, text, sizeof text);
        const SIZE size = textSize(dc, text);
        const int left = std::max<int>(inside.left, std::min<int>(x - size.cx / 2, inside.right - size.cx));
        if (left <= lastRight + size.cy / 2)
            continue;
        TextOutA(dc, left, plot.area.bottom + tick, text, static_cast<int>(std::strlen(text)));
        lastRight = left + size.cx;
    }
}

// "100%", "50%" and "0%" at the left where each has room, "0%" standing on
// the axis so that it keeps clear of the time's labels; "90%" at the right,
// beside its dashes.
void drawLevels(HDC dc, const Plot& plot, int lineHeight, int gap, int unit)
{
    dashedLine(dc, plot.area.left, plot.area.right, plot.y(90), kNinetyColour, unit, 3 * unit + 1);
    line(dc, plot.area.left, plot.y(100), plot.area.right, plot.y(100), kFullColour, unit);
    label(dc, "90%", plot.area.right + gap, plot.y(90), false, kNinetyColour);
    int lastY = -lineHeight;
    const struct {
        int percent;
        const char* text;
    } levels[] = {{100, "100%"}, {50, "50%"}, {0, "0%"}};
    for (const auto& level : levels) {
        const int y = level.percent > 0 ? plot.y(level.percent) : plot.area.bottom - lineHeight / 2;
        if (y - lastY < lineHeight)
            continue;
        label(dc, level.text, plot.area.left - gap, y, true, GetSysColor(COLOR_WINDOWTEXT));
        lastY = y;
    }
}

// "Speed" over the plot, and a key to the kinds of finding drawn, from the right.
void drawKey(HDC dc, const SpeedGraph& graph, const RECT& row, int size)
{
    label(dc, "Speed", row.left, (row.top + row.bottom) / 2, false, kSpeedLineColour);
    struct Key {
        bool shown;
        const char* name;
        COLORREF colour;
        int kind; // 0 a band, 1 a triangle, 2 a square
    };
    const Key keys[] = {{graph.loadedStates.count > 0, "Loaded state", kLoadedStateColour, 2},
                        {graph.pauses.count > 0, "Pause", kPauseMarkColour, 1},
                        {graph.slowPlay.count > 0, "Slow", kSlowPlayColour, 0}};
    int right = row.right;
    const int middle = (row.top + row.bottom) / 2;
    const int leftmost = row.left + textSize(dc, "Speed").cx + size;
    for (const Key& key : keys) {
        if (!key.shown)
            continue;
        const int width = textSize(dc, key.name).cx;
        const int left = right - width - size - size / 2;
        if (left < leftmost)
            break;
        label(dc, key.name, right, middle, true, GetSysColor(COLOR_WINDOWTEXT));
        if (key.kind == 0)
            fill(dc, left, middle - size / 2, left + size, middle + size / 2, key.colour);
        else
            marker(dc, key.kind == 1, left + size / 2, middle - size / 2, size, key.colour);
        right = left - size;
    }
}

void paintGraph(HWND control, HDC dc, const RECT& client)
{
    const GraphControl& state = controlOf(control);
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    RECT inside = client;
    DrawEdge(dc, &inside, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    HGDIOBJ oldFont = SelectObject(dc, state.font ? state.font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    // Everything scales with the dialog's font, so with the screen's DPI.
    const int lineHeight = std::max<int>(metrics.tmHeight, 8);
    const int unit = std::max(1, lineHeight / 13);
    const int gap = lineHeight / 3;
    if (!state.graph) {
        char text[256] = "";
        GetWindowTextA(control, text, sizeof text);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        DrawTextA(dc, text, -1, &inside, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        SelectObject(dc, oldFont);
        return;
    }
    const SpeedGraph& graph = *state.graph;
    Plot plot{};
    plot.seconds = std::max(graph.playSeconds, 1.0);
    plot.top = graphTopPercent(graph);
    const int tick = lineHeight / 4;
    RECT keyRow{inside.left + gap, inside.top + gap / 2, inside.right - gap, inside.top + gap / 2 + lineHeight};
    plot.area = RECT{inside.left + gap + textSize(dc, "100%").cx + gap, keyRow.bottom + gap,
                     inside.right - gap - textSize(dc, "90%").cx - gap, inside.bottom - gap / 2 - lineHeight - tick};
    if (plot.area.right - plot.area.left < lineHeight || plot.area.bottom - plot.area.top < lineHeight) {
        SelectObject(dc, oldFont);
        return;
    }
    for (std::size_t i = 0; i < graph.slowPlay.keptCount; ++i) {
        const PlayFinding& slow = graph.slowPlay.kept[i];
        fill(dc, plot.x(slow.at), plot.area.top, std::max(plot.x(slow.at + slow.seconds), plot.x(slow.at) + 1),
             plot.area.bottom, kSlowPlayColour);
    }
    drawLevels(dc, plot, lineHeight, gap, unit);
    line(dc, plot.area.left, plot.area.bottom, plot.area.right, plot.area.bottom, kFullColour, 1);
    drawSpeed(dc, plot, graph, unit);
    const int markerSize = std::max(lineHeight * 2 / 3, 5);
    drawFindings(dc, plot, graph, unit, markerSize);
    drawTimeAxis(dc, plot, inside, tick);
    drawKey(dc, graph, keyRow, markerSize);
    SelectObject(dc, oldFont);
}

// Drawn off the screen first, so that a redraw never flickers.
void onPaint(HWND control)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(control, &paint);
    RECT client;
    GetClientRect(control, &client);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = memory ? CreateCompatibleBitmap(dc, client.right, client.bottom) : nullptr;
    if (bitmap) {
        HGDIOBJ before = SelectObject(memory, bitmap);
        paintGraph(control, memory, client);
        BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, before);
        DeleteObject(bitmap);
    } else {
        paintGraph(control, dc, client);
    }
    if (memory)
        DeleteDC(memory);
    EndPaint(control, &paint);
}

LRESULT CALLBACK graphProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE: {
        GraphControl* state = new (std::nothrow) GraphControl{nullptr, nullptr};
        if (!state)
            return FALSE;
        SetWindowLongPtrA(control, 0, reinterpret_cast<LONG_PTR>(state));
        break;
    }
    case WM_NCDESTROY: {
        GraphControl* state = &controlOf(control);
        delete state->graph;
        delete state;
        SetWindowLongPtrA(control, 0, 0);
        break;
    }
    case WM_SETFONT:
        controlOf(control).font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam))
            InvalidateRect(control, nullptr, FALSE);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(controlOf(control).font);
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: onPaint(control); return 0;
    case WM_PRINTCLIENT: {
        RECT client;
        GetClientRect(control, &client);
        paintGraph(control, reinterpret_cast<HDC>(wParam), client);
        return 0;
    }
    }
    return DefWindowProcA(control, message, wParam, lParam);
}

// "no pause", "1 pause", "2 pauses".
void appendCount(TextBuilder& text, std::uint64_t count, const char* one, const char* many)
{
    if (count == 0)
        appendFormat(text, "no %s", one);
    else
        appendFormat(text, "%llu %s", static_cast<unsigned long long>(count), count == 1 ? one : many);
}

// "Speed over 2:05: 1 pause, no slow stretch, 2 loaded states".
void describe(HWND control, const SpeedGraph& graph)
{
    char length[32], words[160];
    formatPlayLength(graph.playSeconds, length, sizeof length);
    TextBuilder text = startText(words, sizeof words);
    appendFormat(text, "Speed over %s: ", length);
    appendCount(text, graph.pauses.count, "pause", "pauses");
    appendText(text, ", ");
    appendCount(text, graph.slowPlay.count, "slow stretch", "slow stretches");
    appendText(text, ", ");
    appendCount(text, graph.loadedStates.count, "loaded state", "loaded states");
    SetWindowTextA(control, words);
}

} // namespace

void readySpeedGraph()
{
    static const ATOM registered = [] {
        WNDCLASSEXA kind{};
        kind.cbSize = sizeof kind;
        kind.style = CS_HREDRAW | CS_VREDRAW;
        kind.lpfnWndProc = graphProc;
        kind.cbWndExtra = sizeof(GraphControl*);
        kind.hInstance = appInstance;
        kind.hCursor = LoadCursor(nullptr, IDC_ARROW);
        kind.lpszClassName = kClassName;
        return RegisterClassExA(&kind);
    }();
    (void)registered;
}

void showSpeedGraph(HWND control, const SpeedGraph* graph, const char* instead)
{
    if (!control || !GetWindowLongPtrA(control, 0))
        return;
    GraphControl& state = controlOf(control);
    if (graph && graph->known) {
        if (!state.graph)
            state.graph = new (std::nothrow) SpeedGraph();
        if (state.graph) {
            *state.graph = *graph;
            describe(control, *graph);
        } else {
            SetWindowTextA(control, "No memory is left to draw the speed.");
        }
    } else {
        delete state.graph;
        state.graph = nullptr;
        SetWindowTextA(control, instead);
    }
    InvalidateRect(control, nullptr, FALSE);
}
