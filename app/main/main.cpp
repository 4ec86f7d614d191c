// kavret: the program's entry on this platform. Reads the options, picks the
// data directory, the settings file and the display backend, then runs the demo
// live, headless, or into a capture.
#include <signal.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "app/data_dir.h"
#include "app/frame_loop.h"
#include "app/options.h"
#include "app/playlist.h"
#include "app/sequencer.h"
#include "device/render_device.h"
#include "device/setup_dialog.h"
#include "platform/capture/capture.h"
#include "platform/dx/dx_platform.h"
#include "platform/files/files.h"
#include "platform/music/music_platform.h"
#include "platform/registry/winreg.h"
#include "platform/win/frame_pace.h"
#include "platform/win/win_platform.h"

namespace {

struct MainState {
  int pace = 60;  // 0: off, -1: display refresh
  bool capturing = false;
  Scene shortened[kSceneCount];  // the playlist with capped budgets (--scene-frames)
};
MainState app;

bool IsDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The working directory when it holds the demo's data, else the installed
// data beside this program, else its build tree's data; empty (said on
// stderr, with the places looked at) when none holds it.
std::string DefaultDataDirectory() {
  DataSearch search;
  search.executable = ExecutablePath();
  search.installedFromExe = KAVRET_INSTALLED_DATA_FROM_EXE;
  search.buildFromExe = KAVRET_BUILD_DATA_FROM_EXE;
  const std::string found = FindDataDirectory(search);
  if (found.empty()) {
    std::string places;
    for (const std::string& candidate : DataCandidates(search)) places += (places.empty() ? "" : ", ") + candidate;
    std::fprintf(stderr, "kavret: the demo's data (an Objects folder) is not in %s; give its folder with --data DIR\n",
                 places.c_str());
  }
  return found;
}

void OnPresented(long) {
  const int scene = Sequencer.sceneIndex < kSceneCount ? Sequencer.sceneIndex : kSceneCount - 1;
  if (app.capturing) {
    CaptureSetScene(scene, playlist[scene].name);
    return;
  }
  WinPaceFrame(mainWindow, app.pace);
}

// --help, --version and --list-scenes answer on stdout without running the
// demo; true when one of them did.
bool AnswerWithoutRunning(const CommandLine& options) {
  if (options.help) {
    std::fputs(UsageText(), stdout);
  } else if (options.version) {
    std::printf("kavret %s\n", KAVRET_VERSION);
  } else if (options.listScenes) {
    std::fputs(SceneListText(playlist).c_str(), stdout);
  } else {
    return false;
  }
  return true;
}

// Where the demo's data and its settings are; false (said on stderr) when the
// data directory does not exist.
bool UseDataAndSettings(const CommandLine& options) {
  const std::string data = options.dataDir.empty() ? DefaultDataDirectory() : options.dataDir;
  if (data.empty()) return false;
  if (!IsDirectory(data)) {
    std::fprintf(stderr, "kavret: data directory %s does not exist\n", data.c_str());
    return false;
  }
  SetDataDirectory(data);
  if (!options.settingsFile.empty()) RegistrySetFile(options.settingsFile);
  return true;
}

// Opens a window on the display, or runs headless when asked, capturing or
// without a display; the settings and the music follow. True when headless.
bool StartDisplay(const CommandLine& options) {
  // Ctrl+C and SIGTERM close the window: music stopped, scene freed, device
  // shut down, a capture's files finished, as when the demo ends by itself.
  WinCatchQuitSignals(true);
  if (options.headless || app.capturing) {
    WinStartup(WinBackend::Headless);
  } else if (!WinStartup(WinBackend::Sdl)) {
    std::fprintf(stderr, "kavret: no display available; running headless\n");
  }
  const bool headless = WinCurrentBackend() == WinBackend::Headless;
  // Nobody answers the set-up dialog of a headless run: it accepts the
  // off-screen driver, which must not replace the driver a person chose.
  RegistrySetReadOnly(headless);
  MusicSetOutput(app.capturing ? MusicOutput::Capture : headless ? MusicOutput::Silent : MusicOutput::Live);
  return headless;
}

// Starts the capture and the screenshots the options ask for; false (said on
// stderr) when one cannot start.
bool StartOutputs(const CommandLine& options) {
  std::string error;
  if (app.capturing) {
    CaptureConfig config;
    config.out = options.capture;
    config.fps = options.fps;
    config.expectedFrames = PlaylistFrames(playlist, options.scene);
    // A capture runs headless, where "fit" is 1.
    const int scale = options.scale > 0 ? options.scale : 1;
    config.width = 640 * scale;
    config.height = 480 * scale;
    if (options.frames > 0 && options.frames < config.expectedFrames) config.expectedFrames = options.frames;
    if (!CaptureStart(config, &error)) {
      std::fprintf(stderr, "kavret: %s\n", error.c_str());
      return false;
    }
  }
  if (options.screenshotEvery > 0 && !ScreenshotsStart(options.screenshotDir, options.screenshotEvery, &error)) {
    std::fprintf(stderr, "kavret: %s\n", error.c_str());
    return false;
  }
  return true;
}

// After the demo: reports a failed start, finishes the capture, and turns the
// demo's result into the exit status.
int FinishRun(int result, bool headless) {
  if (result == 1 && !setupCancelled) {
    std::fprintf(stderr, "kavret: the window or the display device could not be created\n");
  }
  if (app.capturing) {
    std::string where, error;
    if (!CaptureFinish(&where, &error)) {
      std::fprintf(stderr, "kavret: the capture failed: %s\n", error.c_str());
      return 1;
    }
    std::fprintf(stderr, "kavret: capture written to %s\n", where.c_str());
  }
  const int signal = WinQuitSignal();
  WinCatchQuitSignals(false);
  // In a window, a signal is the user closing it. A headless run or capture
  // was cut short: its output is complete as far as it goes, but the exit
  // status says it was interrupted, as the shell's convention has it.
  if (signal != 0 && headless) {
    std::fprintf(stderr, "kavret: stopped by %s after %ld frames\n", signal == SIGINT ? "SIGINT" : "SIGTERM",
                 static_cast<long>(DxPresentedFrames()));
    return 128 + signal;
  }
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  CommandLine options;
  std::string error;
  if (!ParseCommandLine(argc, argv, &options, &error)) {
    std::fprintf(stderr, "kavret: %s\n", error.c_str());
    return 2;
  }
  if (options.sceneFrames > 0) {
    CapPlaylist(options.sceneFrames, app.shortened);
    playlist = app.shortened;
  }
  if (AnswerWithoutRunning(options)) return 0;
  if (!UseDataAndSettings(options)) return 2;

  app.capturing = !options.capture.empty();
  app.pace = options.pace;
  DxSetRasterThreads(options.threads > 0 ? options.threads : DxAvailableCores());
  DxSetRenderScale(options.scale > 0 ? options.scale : kDxRenderScaleFit);
  const bool headless = StartDisplay(options);
  if (!StartOutputs(options)) return 1;
  runOptions = {
      .maxFrames = options.frames,
      .forceLooping = app.capturing && options.looping < 0 ? 0 : options.looping,
      .forceMusicOff = options.noMusic,
      .startScene = options.scene,
      .onPresented = OnPresented,
  };
  const int result = DemoMain(nullptr);
  WinShutdown();
  return FinishRun(result, headless);
}
