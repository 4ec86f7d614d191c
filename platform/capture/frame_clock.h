// Clocks that tie frames to time: the fixed clock of a capture (samples per
// frame with the remainder carried, so N frames at F per second hold exactly
// N * rate / F samples) and the pacing clock of live play.
#pragma once

#include <cstdint>

// Samples that belong to frame `index` (0-based) at `fps` frames per second.
inline int SamplesForFrame(std::int64_t index, int sampleRate, int fps) {
  const std::int64_t start = index * sampleRate / fps;
  const std::int64_t end = (index + 1) * sampleRate / fps;
  return static_cast<int>(end - start);
}

// Live pacing at a fixed rate. Times are in microseconds.
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

// Live pacing on this machine's steady clock: waits until the next frame of a
// `fps` schedule is due (a new schedule starts when fps changes).
void PaceFrame(int fps);
