// The frame loop in a browser: the page's animation frames drive it, and the
// pacing schedule is the native one (PaceClock), so a display refreshing at
// 144 Hz shows 60 frames a second, as a 60 Hz one does. Unpaced, frames follow
// one another for a slice of time before the page gets control back.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>
#include <vector>

#include "platform/web/web_platform.h"
#include "platform/win/frame_pace.h"

EM_JS(void, WebSceneFigure, (int scene, double frames, double ms), {
  (Module.kavretScenes = Module.kavretScenes || [])[scene] = {frames : frames, ms : ms};
});
EM_JS(void, WebSceneNow, (int scene), {
  if (Module.kavretSceneNow) Module.kavretSceneNow(scene);
});
EM_JS(void, WebExit, (int status), {
  if (Module.kavretExit) Module.kavretExit(status);
});

namespace {

// An animation frame comes within a couple of milliseconds of when it was
// expected; a frame due that soon is shown on this one rather than the next.
constexpr std::int64_t kEarlyMicroseconds = 2500;
constexpr double kUnpacedSliceMs = 30;

struct SceneTime {
  long frames = 0;
  double ms = 0;
};

struct WebLoop {
  WebLoopConfig config;
  PaceClock clock;
  bool running = false;
  std::vector<SceneTime> scenes;
};
WebLoop loop;

// Presents one frame and counts its time against the scene it showed.
bool TimedFrame() {
  const int scene = loop.config.scene ? loop.config.scene() : 0;
  const double start = emscripten_get_now();
  const bool more = loop.config.frame();
  WebSceneNow(loop.config.scene ? loop.config.scene() : 0);
  if (scene >= 0) {
    if (static_cast<int>(loop.scenes.size()) <= scene) loop.scenes.resize(scene + 1);
    loop.scenes[scene].frames += 1;
    loop.scenes[scene].ms += emscripten_get_now() - start;
  }
  return more;
}

void Finish() {
  loop.running = false;
  const int status = loop.config.finish ? loop.config.finish() : 0;
  for (std::size_t i = 0; i < loop.scenes.size(); ++i) {
    const SceneTime& s = loop.scenes[i];
    WebSceneFigure(static_cast<int>(i), static_cast<double>(s.frames), s.ms);
  }
  WebReportExit(status);
}

EM_BOOL Tick(double time, void*) {
  if (!loop.running) return EM_FALSE;
  bool more = true;
  if (loop.config.pace <= 0) {
    const double until = emscripten_get_now() + kUnpacedSliceMs;
    while (more && emscripten_get_now() < until) more = TimedFrame();
  } else {
    const auto now = static_cast<std::int64_t>(time * 1000);
    if (loop.clock.fps != loop.config.pace) PaceStart(&loop.clock, loop.config.pace, now);
    if (!PaceDue(&loop.clock, now, kEarlyMicroseconds)) return EM_TRUE;
    PaceWait(&loop.clock, now);
    more = TimedFrame();
  }
  if (!more) {
    Finish();
    return EM_FALSE;
  }
  return EM_TRUE;
}

}  // namespace

void WebRunFrameLoop(const WebLoopConfig& config) {
  loop = WebLoop{};
  loop.config = config;
  loop.running = true;
  emscripten_request_animation_frame_loop(Tick, nullptr);
}

void WebReportExit(int status) {
  WebExit(status);
}
