// The pacing clock of live play and its wait on the steady clock.
#include "platform/win/frame_pace.h"

#include <chrono>
#include <thread>

#include "platform/win/win_backend.h"
#include "platform/win/win_platform.h"

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

bool PaceDue(const PaceClock* clock, std::int64_t now, std::int64_t early) {
  if (clock->fps <= 0) return true;
  const std::int64_t due = clock->start + clock->frames * 1000000 / clock->fps;
  return now + early >= due;
}

void WinPaceFrame(HWND window, int pace) {
  if (pace == 0 || !WinBackendCurrent().pacesFrames) return;
  const int fps = pace > 0 ? pace : WinDisplayRefreshRate(window);
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
