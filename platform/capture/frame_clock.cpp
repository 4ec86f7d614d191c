// The pacing clock of live play. Due times are computed from the start of the
// schedule, not by adding a rounded interval, so the rate does not drift.
#include "platform/capture/frame_clock.h"

void PaceStart(PaceClock* clock, int fps, std::int64_t now) {
  clock->fps = fps;
  clock->start = now;
  clock->frames = 0;
}

std::int64_t PaceWait(PaceClock* clock, std::int64_t now) {
  if (clock->fps <= 0) return 0;
  const std::int64_t due = clock->start + clock->frames * 1000000 / clock->fps;
  const std::int64_t interval = 1000000 / clock->fps;
  std::int64_t wait = due - now;
  if (wait < -interval) {
    // More than a frame behind (a stall): start a new schedule from now
    // instead of racing through the missed frames.
    clock->start = now;
    clock->frames = 0;
    wait = 0;
  } else if (wait < 0) {
    wait = 0;
  }
  ++clock->frames;
  return wait;
}

#include <chrono>
#include <thread>

void PaceFrame(int fps) {
  static PaceClock clock;
  const auto now = [] {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  };
  if (clock.fps != fps) PaceStart(&clock, fps, now());
  const std::int64_t wait = PaceWait(&clock, now());
  if (wait > 0) std::this_thread::sleep_for(std::chrono::microseconds(wait));
}
