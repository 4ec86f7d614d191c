// kavret in a web browser: the program's entry in the WebAssembly build. The
// page has shown its set-up form, put the data files and the settings into the
// program's file system and passed the options as arguments; this starts the
// demo as the native entry does and hands the frame loop to the browser, which
// calls it once per animation frame (platform/web). The options of a web run:
// --pace 60|off, --frames N, --scene N, --scale N, --no-music, --loop,
// --data DIR, --settings FILE.
#include <algorithm>
#include <cstdio>
#include <string>

#include "app/frame_loop.h"
#include "app/options.h"
#include "app/playlist.h"
#include "app/sequencer.h"
#include "device/render_device.h"
#include "device/setup_dialog.h"
#include "platform/dx/dx_platform.h"
#include "platform/files/files.h"
#include "platform/music/music_platform.h"
#include "platform/registry/winreg.h"
#include "platform/web/web_platform.h"
#include "platform/win/win_platform.h"

namespace {

struct WebMainState {
  int failures = 0;
  long presented = 0;
};
WebMainState app;

void OnPresented(long presented) { app.presented = presented; }

// One pass of the frame loop after another until a frame is presented (a pass
// may only take messages or update the scene), or the demo ends.
bool PresentOneFrame() {
  const long before = app.presented;
  for (int pass = 0; pass < 16 && app.presented == before; ++pass) {
    if (RenderDevice.quit || !RunFramePass(&app.failures)) return false;
  }
  return true;
}

int CurrentScene() { return Sequencer.sceneIndex < kSceneCount ? Sequencer.sceneIndex : kSceneCount - 1; }

// What the native entry does after its loop.
int FinishDemo() {
  FreeAllRegistries();
  ShutdownDevice();
  if (IsWindow(mainWindow)) DestroyWindow(mainWindow);
  WinShutdown();
  return static_cast<int>(FrameLoop.lastMessageParam);
}

}  // namespace

int main(int argc, char** argv) {
  CommandLine options;
  std::string error;
  if (!ParseCommandLine(argc, argv, &options, &error)) {
    std::fprintf(stderr, "kavret: %s\n", error.c_str());
    WebReportExit(2);
    return 2;
  }
  SetDataDirectory(options.dataDir.empty() ? "." : options.dataDir);
  if (!options.settingsFile.empty()) RegistrySetFile(options.settingsFile);

  // The threaded build runs only on a cross-origin isolated page, where it
  // has workers; the other build has one thread.
#if defined(__EMSCRIPTEN_PTHREADS__)
  DxSetRasterThreads(std::min(options.threads > 0 ? options.threads : DxAvailableCores(), kWebMaxThreads));
#else
  DxSetRasterThreads(1);
#endif
  DxSetRenderScale(options.scale > 0 ? options.scale : 1);
  WinStartup(WinBackend::Web);
  MusicSetOutput(options.noMusic ? MusicOutput::Silent : MusicOutput::Live);
  runOptions = {
      .maxFrames = options.frames,
      .forceLooping = options.looping,
      .forceMusicOff = options.noMusic,
      .startScene = options.scene,
      .onPresented = OnPresented,
  };

  FrameLoop = FrameLoopState{};
  frameTimings = FrameLoopTimings{};
  if (!CreateMainWindow(nullptr)) {
    if (!setupCancelled) std::fprintf(stderr, "kavret: the window or the display device could not be created\n");
    FinishDemo();
    WebReportExit(1);
    return 1;
  }
  WebRunFrameLoop(WebLoopConfig{
      .pace = options.pace > 0 ? options.pace : options.pace < 0 ? 60 : 0,
      .frame = PresentOneFrame,
      .scene = CurrentScene,
      .finish = FinishDemo,
  });
  return 0;
}
