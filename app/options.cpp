// Command-line parsing for kavret.
#include "app/options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

bool ParseNumber(const char* text, long min, long max, long* out) {
  if (!text || !*text) return false;
  errno = 0;
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (errno || *end || v < min || v > max) return false;
  *out = v;
  return true;
}

}  // namespace

const char* UsageText() {
  return "usage: kavret [options]\n"
         "Plays the Ossik Kavret Demo. With no options: set-up dialog, then the demo in a window.\n"
         "\n"
         "  --data DIR        read Objects/, Textures/ and Midas/ from DIR\n"
         "  --settings FILE   keep the settings in FILE instead of ~/.config/kavret/registry.reg\n"
         "  --headless        no window: render off screen (stored settings are read, never changed)\n"
         "  --frames N        end after N presented frames\n"
         "  --scene N         start with scene N (0-7)\n"
         "  --no-music        play without music (this run only)\n"
         "  --capture OUT     headless, write every frame with the music: OUT.mp4 through ffmpeg,\n"
         "                    or a folder of PNG frames and music.wav\n"
         "  --fps N           frame rate of a capture (default 60)\n"
         "  --pace MODE       live frame pacing: 60 (default), vsync, or off\n"
         "  --threads N       draw with N threads, 1-64 (default: one per processor available)\n"
         "  --scale N|fit     render at 640N x 480N, N 1-8 (default 1); fit: the largest whole\n"
         "                    scale the display (full screen) or desktop (window) has room for,\n"
         "                    1 when headless; a capture is written at the same size\n"
         "  --scene-frames N  shorten every scene to at most N frames (quick checks)\n"
         "  --screenshot-every N DIR  write every Nth frame as a PNG into DIR\n"
         "  --loop, --no-loop start again after the last scene, or not (this run only)\n"
         "  --help            show this text\n"
         "  --version         show the version\n"
         "  --list-scenes     print the playlist for scripts, one scene a line: its number,\n"
         "                    name and frame budget (after --scene-frames), separated by tabs\n"
         "\n"
         "Keys: Escape skips to the next scene; closing the window ends the demo.\n"
         "Ctrl+C (or SIGTERM) ends it as closing the window does. A headless run or capture\n"
         "stopped so finishes its files and exits with 130 (143 for SIGTERM).\n";
}

namespace {

// Where parsing is: the arguments, the option being read and its index.
struct OptionArgs {
  int argc;
  const char* const* argv;
  int i;            // the option's index; its handler moves it past its values
  std::string arg;  // the option as given
  std::string* error;
};

// The option's next argument into *v, or an error that it needs one.
bool TakeValue(OptionArgs& a, const char** v) {
  if (a.i + 1 >= a.argc) {
    *a.error = "option " + a.arg + " needs a value";
    return false;
  }
  *v = a.argv[++a.i];
  return true;
}

// The option's value as a whole number in [low, high] into *n, or an error
// saying what it needs.
bool TakeNumber(OptionArgs& a, long low, long high, const char* needs, long* n) {
  const char* v = nullptr;
  if (!TakeValue(a, &v)) return false;
  if (ParseNumber(v, low, high, n)) return true;
  *a.error = a.arg + " needs " + needs + " (got '" + std::string(v) + "')";
  return false;
}

bool TakeInt(OptionArgs& a, long low, long high, const char* needs, int* out) {
  long n = 0;
  if (!TakeNumber(a, low, high, needs, &n)) return false;
  *out = static_cast<int>(n);
  return true;
}

bool TakeString(OptionArgs& a, std::string* out) {
  const char* v = nullptr;
  if (!TakeValue(a, &v)) return false;
  *out = v;
  return true;
}

bool TakeCapture(OptionArgs& a, CommandLine* out) {
  const char* v = nullptr;
  if (!TakeValue(a, &v)) return false;
  if (!*v) {
    *a.error = "--capture needs a file name or folder";
    return false;
  }
  out->capture = v;
  return true;
}

bool TakePace(OptionArgs& a, CommandLine* out) {
  const char* v = nullptr;
  if (!TakeValue(a, &v)) return false;
  const std::string mode = v;
  long n = 0;
  if (mode == "off") {
    out->pace = 0;
  } else if (mode == "vsync") {
    out->pace = -1;
  } else if (ParseNumber(v, 1, 1000, &n)) {
    out->pace = static_cast<int>(n);
  } else {
    *a.error = "--pace takes 60 (or another rate), vsync or off (got '" + mode + "')";
    return false;
  }
  return true;
}

bool TakeScale(OptionArgs& a, CommandLine* out) {
  const char* v = nullptr;
  if (!TakeValue(a, &v)) return false;
  long n = 0;
  if (std::strcmp(v, "fit") == 0) {
    out->scale = 0;
  } else if (ParseNumber(v, 1, 8, &n)) {
    out->scale = static_cast<int>(n);
  } else {
    *a.error = "--scale takes a whole number from 1 to 8, or fit (got '" + std::string(v) + "')";
    return false;
  }
  return true;
}

// Two values: a frame count and a folder.
bool TakeScreenshots(OptionArgs& a, CommandLine* out) {
  if (a.i + 2 >= a.argc) {
    *a.error = "--screenshot-every needs a frame count and a folder";
    return false;
  }
  long n = 0;
  if (!ParseNumber(a.argv[a.i + 1], 1, 1000000000L, &n)) {
    *a.error =
        "--screenshot-every needs a whole number of frames, 1 or more (got '" + std::string(a.argv[a.i + 1]) + "')";
    return false;
  }
  out->screenshotEvery = static_cast<int>(n);
  out->screenshotDir = a.argv[a.i + 2];
  a.i += 2;
  return true;
}

using OptionHandler = bool (*)(OptionArgs& a, CommandLine* out);

struct OptionEntry {
  const char* name;
  OptionHandler handle;
};

// Every option and what it does with its values.
const OptionEntry kOptions[] = {
    {"--help", [](OptionArgs&, CommandLine* out) { return out->help = true; }},
    {"-h", [](OptionArgs&, CommandLine* out) { return out->help = true; }},
    {"--version", [](OptionArgs&, CommandLine* out) { return out->version = true; }},
    {"--list-scenes", [](OptionArgs&, CommandLine* out) { return out->listScenes = true; }},
    {"--headless", [](OptionArgs&, CommandLine* out) { return out->headless = true; }},
    {"--no-music", [](OptionArgs&, CommandLine* out) { return out->noMusic = true; }},
    {"--loop", [](OptionArgs&, CommandLine* out) { out->looping = 1; return true; }},
    {"--no-loop", [](OptionArgs&, CommandLine* out) { out->looping = 0; return true; }},
    {"--data", [](OptionArgs& a, CommandLine* out) { return TakeString(a, &out->dataDir); }},
    {"--settings", [](OptionArgs& a, CommandLine* out) { return TakeString(a, &out->settingsFile); }},
    {"--frames", [](OptionArgs& a, CommandLine* out) {
       return TakeNumber(a, 1, 1000000000L, "a whole number of frames, 1 or more", &out->frames);
     }},
    {"--scene", [](OptionArgs& a, CommandLine* out) {
       return TakeInt(a, 0, 7, "a scene number from 0 to 7", &out->scene);
     }},
    {"--scene-frames", [](OptionArgs& a, CommandLine* out) {
       return TakeInt(a, 0, 1000000, "a whole number of frames", &out->sceneFrames);
     }},
    {"--capture", TakeCapture},
    {"--fps", [](OptionArgs& a, CommandLine* out) {
       return TakeInt(a, 1, 1000, "a frame rate from 1 to 1000", &out->fps);
     }},
    {"--pace", TakePace},
    {"--threads", [](OptionArgs& a, CommandLine* out) {
       return TakeInt(a, 1, 64, "a number of threads from 1 to 64", &out->threads);
     }},
    {"--scale", TakeScale},
    {"--screenshot-every", TakeScreenshots},
};

}  // namespace

bool ParseCommandLine(int argc, const char* const* argv, CommandLine* out, std::string* error) {
  OptionArgs a{argc, argv, 1, std::string(), error};
  for (; a.i < argc; ++a.i) {
    a.arg = argv[a.i];
    const OptionEntry* option = nullptr;
    for (const OptionEntry& entry : kOptions) {
      if (a.arg == entry.name) option = &entry;
    }
    if (!option) {
      *error = "unknown option '" + a.arg + "' (see kavret --help)";
      return false;
    }
    if (!option->handle(a, out)) return false;
  }
  return true;
}
