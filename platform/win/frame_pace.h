// Live frame pacing: frames shown in a window are spaced at a steady rate.
// Due times are computed from the start of the schedule, not by adding a
// rounded interval, so the rate does not drift.
#pragma once

#include <cstdint>

#include "platform/win/win32.h"

// Pacing at a fixed rate. Times are in microseconds.
struct PaceClock {
  int fps = 0;
  std::int64_t start = 0;   // when frame 0 of this schedule was due
  std::int64_t frames = 0;  // frames shown on this schedule
};

void PaceStart(PaceClock* clock, int fps, std::int64_t now);
// How long to wait before showing the next frame. A frame that comes late is
// shown at once; after a stall longer than a frame the schedule starts again
// from now instead of racing through the missed frames.
std::int64_t PaceWait(PaceClock* clock, std::int64_t now);

// For a display that calls back once per refresh (a browser's animation
// frames): whether the next frame of the schedule is to be shown on a refresh
// at `now`, one that comes at most `early` microseconds before the frame is
// due included (refreshes jitter). Taking a frame is then PaceWait. At any
// refresh rate at or above the schedule's, frames come at the schedule's rate.
bool PaceDue(const PaceClock* clock, std::int64_t now, std::int64_t early);

// Called after each frame presented to `window`: waits on this machine's
// steady clock until the next frame of a `pace` frames-per-second schedule is
// due (-1: the display's refresh rate; 0: no waiting). A new schedule starts
// when the rate changes. A backend that shows nobody its frames never waits.
void WinPaceFrame(HWND window, int pace);
