// The drawn speed of a checked recording: a control of its own, "HobrinSpeedGraph" in the dialogs.
#pragma once

#include <windows.h>

struct SpeedGraph;

// What the control shows of a recording whose frames were not read.
constexpr char kNoSpeedDrawn[] = "No speed to draw: the frames were not read.";

// The colours of the speed's line and of the findings, on a light window.
constexpr COLORREF kSpeedLineColour = RGB(0, 84, 196);
constexpr COLORREF kSlowPlayColour = RGB(255, 210, 210);
constexpr COLORREF kPauseMarkColour = RGB(224, 112, 0);
constexpr COLORREF kLoadedStateColour = RGB(128, 0, 160);

// Registers the control's class, once, before the first window that shows it.
void readySpeedGraph();

// Shows `graph` in the control (a copy of its own). With a graph that is not
// known, or null, the control shows `instead` in its middle ("" for nothing).
// The control's text then says in words what it draws, for a screen reader.
void showSpeedGraph(HWND control, const SpeedGraph* graph, const char* instead);
