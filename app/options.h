// The command line: options this platform adds. With none given the program
// behaves as it always did.
#pragma once

#include <string>

struct CommandLine {
  bool help = false;
  bool version = false;
  bool listScenes = false;
  bool headless = false;
  bool noMusic = false;
  int looping = -1;  // -1: as stored, 0: off, 1: on
  long frames = 0;
  int scene = 0;
  int sceneFrames = 0;  // > 0: cap every scene's frame budget (quick checks)
  std::string capture;      // --capture OUT
  int fps = 60;             // --fps
  int pace = 60;            // frames per second; 0: as fast as possible; -1: the display's refresh
  int threads = 0;          // threads drawing triangles; 0: one per processor the process may use
  int scale = 1;            // render scale 1-8 (640N x 480N pixels); 0: the largest that fits (--scale fit)
  int screenshotEvery = 0;  // --screenshot-every N DIR
  std::string screenshotDir;
  std::string dataDir;
  std::string settingsFile;
};

// Parses argv; on a bad option or value returns false with a one-line message.
bool ParseCommandLine(int argc, const char* const* argv, CommandLine* out, std::string* error);
const char* UsageText();
