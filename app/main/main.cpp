// kavret: the program's entry on this platform. Reads the options, picks the
// data directory, the settings file and the display backend, then runs the demo.
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "app/frame_loop.h"
#include "app/options.h"
#include "platform/files/files.h"
#include "platform/music/music_platform.h"
#include "platform/registry/winreg.h"
#include "platform/win/win_platform.h"

namespace {

bool IsDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The working directory when it holds the demo's data, else the data directory
// of the build tree this program was built in.
std::string DefaultDataDirectory() {
  if (IsDirectory("Objects") || IsDirectory("objects")) return ".";
  if (IsDirectory(KAVRET_DEFAULT_DATA_DIR)) return KAVRET_DEFAULT_DATA_DIR;
  return ".";
}

}  // namespace

int main(int argc, char** argv) {
  CommandLine options;
  std::string error;
  if (!ParseCommandLine(argc, argv, &options, &error)) {
    std::fprintf(stderr, "kavret: %s\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(UsageText(), stdout);
    return 0;
  }
  if (options.version) {
    std::printf("kavret %s\n", KAVRET_VERSION);
    return 0;
  }

  const std::string data = options.dataDir.empty() ? DefaultDataDirectory() : options.dataDir;
  if (!IsDirectory(data)) {
    std::fprintf(stderr, "kavret: data directory %s does not exist\n", data.c_str());
    return 2;
  }
  SetDataDirectory(data);
  if (!options.settingsFile.empty()) RegistrySetFile(options.settingsFile);

  if (options.headless) {
    WinStartup(WinBackend::Headless);
  } else if (!WinStartup(WinBackend::Sdl)) {
    std::fprintf(stderr, "kavret: no display available; running headless\n");
  }
  const bool headless = WinCurrentBackend() == WinBackend::Headless;
  MusicSetOutput(headless ? MusicOutput::Silent : MusicOutput::Live);

  runOptions.maxFrames = options.frames;
  runOptions.forceLooping = options.looping;
  runOptions.forceMusicOff = options.noMusic;
  runOptions.startScene = options.scene;

  const int result = DemoMain(nullptr);
  WinShutdown();
  if (result == 1) std::fprintf(stderr, "kavret: the window or the display device could not be created\n");
  return result;
}
