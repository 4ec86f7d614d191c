// The whole-demo timing: plays the playlist headless, as fast as it goes, and
// prints per scene the frames, milliseconds per frame, frames per second and
// where the time went (scene update, renderer, rasteriser, present), then the
// peak resident memory. With --capture png|mp4 the frames also go to a
// capture, to show what capturing costs.
//
//   bench_demo [--capture png|mp4] [--scene-frames N] [--data DIR] [--threads N] [--scale N]
//
// --threads: how many threads draw triangles (default: one per processor available).
// --scale: render at 640N x 480N, N from 1 (the default) to 8.
//
// The web build compiles it for node as bench_demo_web (scripts/web --bench
// builds it, and runs it from the data folder: node bench_demo_web.js), to
// time the WebAssembly build without a browser; it has no capture there.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/frame_loop.h"
#include "app/playlist.h"
#include "app/sequencer.h"
#include "device/settings.h"
#if !defined(__EMSCRIPTEN__)
#include "platform/capture/capture.h"
#define KAVRET_BENCH_CAPTURE 1
#else
#define KAVRET_BENCH_CAPTURE 0
#endif
#include "platform/dx/dx_platform.h"
#include "platform/files/files.h"
#include "platform/music/music_platform.h"
#include "platform/registry/winreg.h"
#include "platform/win/win_platform.h"

namespace {

struct SceneRow {
  long frames = 0;
  double seconds = 0, update = 0, render = 0, raster = 0, present = 0;
};

struct BenchState {
  SceneRow rows[kSceneCount];
  double lastClock = 0;
  FrameLoopTimings lastTimings{};
  double lastRaster = 0;
  Scene shortened[kSceneCount];
};
BenchState bench;

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Everything since the previous frame belongs to the scene on screen now.
void OnPresented(long) {
  const double now = Now();
  const int scene = Sequencer.sceneIndex < kSceneCount ? Sequencer.sceneIndex : kSceneCount - 1;
  SceneRow& row = bench.rows[scene];
  row.frames += 1;
  row.seconds += now - bench.lastClock;
  row.update += frameTimings.update - bench.lastTimings.update;
  row.render += frameTimings.render - bench.lastTimings.render;
  row.present += frameTimings.present - bench.lastTimings.present;
  row.raster += DxRasterSeconds() - bench.lastRaster;
  bench.lastClock = now;
  bench.lastTimings = frameTimings;
  bench.lastRaster = DxRasterSeconds();
#if KAVRET_BENCH_CAPTURE
  if (scene >= 0) CaptureSetScene(scene, demoPlaylist[scene].name);
#endif
}

double Share(double part, double whole) { return whole > 0 ? 100.0 * part / whole : 0; }

}  // namespace

int main(int argc, char** argv) {
  std::string capture, data = KAVRET_DATA_DIR;
  int sceneFrames = 0, threads = DxAvailableCores(), scale = 1;
  for (int i = 1; i < argc; ++i) {
    if (KAVRET_BENCH_CAPTURE && !std::strcmp(argv[i], "--capture") && i + 1 < argc) {
      capture = argv[++i];
    } else if (!std::strcmp(argv[i], "--scene-frames") && i + 1 < argc) {
      sceneFrames = std::atoi(argv[++i]);
    } else if (!std::strcmp(argv[i], "--data") && i + 1 < argc) {
      data = argv[++i];
    } else if (!std::strcmp(argv[i], "--threads") && i + 1 < argc && std::atoi(argv[i + 1]) >= 1 &&
               std::atoi(argv[i + 1]) <= 64) {
      threads = std::atoi(argv[++i]);
    } else if (!std::strcmp(argv[i], "--scale") && i + 1 < argc && std::atoi(argv[i + 1]) >= 1 &&
               std::atoi(argv[i + 1]) <= kDxMaxRenderScale) {
      scale = std::atoi(argv[++i]);
    } else {
      std::fprintf(stderr,
                   "usage: bench_demo [--capture png|mp4] [--scene-frames N] [--data DIR] [--threads 1-64] "
                   "[--scale 1-8]\n");
      return 2;
    }
  }
  const std::filesystem::path work = std::filesystem::temp_directory_path() / "kavret-bench";
  std::filesystem::create_directories(work);
  SetDataDirectory(data);
  RegistrySetFile((work / "settings.reg").string());
  WinStartup(WinBackend::Headless);
  DxSetRasterThreads(threads);
  DxSetRenderScale(scale);
  MusicSetOutput(capture.empty() ? MusicOutput::Silent : MusicOutput::Capture);
  if (sceneFrames > 0) {
    CapPlaylist(sceneFrames, bench.shortened);
    playlist = bench.shortened;
  }
#if KAVRET_BENCH_CAPTURE
  if (!capture.empty()) {
    CaptureConfig config;
    config.out = capture == "mp4" ? (work / "bench.mp4").string() : (work / "frames").string();
    config.progress = false;
    config.width = 640 * scale;
    config.height = 480 * scale;
    std::string error;
    if (!CaptureStart(config, &error)) {
      std::fprintf(stderr, "bench_demo: %s\n", error.c_str());
      return 1;
    }
  }
#endif
  runOptions = {.forceLooping = 0, .forceMusicOff = capture.empty(), .onPresented = OnPresented};

  // Model files print their chunk listing while they load; keep it out of the table.
  std::fflush(stdout);
  FILE* listing = std::freopen("/dev/null", "w", stdout);
  bench.lastClock = Now();
  const double start = bench.lastClock;
  DemoMain(nullptr);
  const double total = Now() - start;
  std::string where, error;
#if KAVRET_BENCH_CAPTURE
  if (!capture.empty() && !CaptureFinish(&where, &error)) std::fprintf(stderr, "bench_demo: %s\n", error.c_str());
#endif
  if (listing) std::freopen("/dev/tty", "w", stdout);

  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::fprintf(stderr, "\nWhole demo, headless, %dx%d, %d drawing thread%s%s%s\n", 640 * scale, 480 * scale, threads,
               threads == 1 ? "" : "s", capture.empty() ? "" : ", capture to ", capture.c_str());
  std::fprintf(stderr, "%-8s %7s %9s %8s %8s %8s %8s %8s %8s\n", "scene", "frames", "ms/frame", "fps", "update",
               "render", "raster", "present", "other");
  SceneRow all;
  for (int i = 0; i < kSceneCount; ++i) {
    const SceneRow& r = bench.rows[i];
    all.frames += r.frames;
    all.seconds += r.seconds;
    all.update += r.update;
    all.render += r.render;
    all.raster += r.raster;
    all.present += r.present;
    const double other = r.seconds - r.update - r.render - r.present;
    std::fprintf(stderr, "%-8s %7ld %9.3f %8.0f %7.1f%% %7.1f%% %7.1f%% %7.1f%% %7.1f%%\n", demoPlaylist[i].name, r.frames,
                 r.frames ? 1000.0 * r.seconds / r.frames : 0.0, r.seconds > 0 ? r.frames / r.seconds : 0.0,
                 Share(r.update, r.seconds), Share(r.render - r.raster, r.seconds), Share(r.raster, r.seconds),
                 Share(r.present, r.seconds), Share(other, r.seconds));
  }
  const double other = all.seconds - all.update - all.render - all.present;
  std::fprintf(stderr, "%-8s %7ld %9.3f %8.0f %7.1f%% %7.1f%% %7.1f%% %7.1f%% %7.1f%%\n", "total", all.frames,
               all.frames ? 1000.0 * all.seconds / all.frames : 0.0, all.seconds > 0 ? all.frames / all.seconds : 0.0,
               Share(all.update, all.seconds), Share(all.render - all.raster, all.seconds),
               Share(all.raster, all.seconds), Share(all.present, all.seconds), Share(other, all.seconds));
  std::fprintf(stderr, "wall time %.1f s, peak resident memory %.1f MB\n", total, usage.ru_maxrss / 1024.0);
  std::fprintf(stderr, "(render = the renderer's own work; raster = time inside the device's triangle drawing; "
                       "other = set-up, loading and sequencing)\n");
  std::filesystem::remove_all(work);
  return 0;
}
