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

bool ParseCommandLine(int argc, const char* const* argv, CommandLine* out, std::string* error) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](const char** v) {
      if (i + 1 >= argc) {
        *error = "option " + arg + " needs a value";
        return false;
      }
      *v = argv[++i];
      return true;
    };
    const char* v = nullptr;
    long n = 0;
    // The option's value as a whole number in [low, high] into n, or an error
    // saying what it needs.
    auto number = [&](long low, long high, const char* needs) {
      if (!value(&v)) return false;
      if (ParseNumber(v, low, high, &n)) return true;
      *error = arg + " needs " + needs + " (got '" + std::string(v) + "')";
      return false;
    };
    if (arg == "--help" || arg == "-h") {
      out->help = true;
    } else if (arg == "--version") {
      out->version = true;
    } else if (arg == "--list-scenes") {
      out->listScenes = true;
    } else if (arg == "--headless") {
      out->headless = true;
    } else if (arg == "--no-music") {
      out->noMusic = true;
    } else if (arg == "--loop") {
      out->looping = 1;
    } else if (arg == "--no-loop") {
      out->looping = 0;
    } else if (arg == "--data") {
      if (!value(&v)) return false;
      out->dataDir = v;
    } else if (arg == "--settings") {
      if (!value(&v)) return false;
      out->settingsFile = v;
    } else if (arg == "--frames") {
      if (!number(1, 1000000000L, "a whole number of frames, 1 or more")) return false;
      out->frames = n;
    } else if (arg == "--scene") {
      if (!number(0, 7, "a scene number from 0 to 7")) return false;
      out->scene = static_cast<int>(n);
    } else if (arg == "--scene-frames") {
      if (!number(0, 1000000, "a whole number of frames")) return false;
      out->sceneFrames = static_cast<int>(n);
    } else if (arg == "--capture") {
      if (!value(&v)) return false;
      if (!*v) {
        *error = "--capture needs a file name or folder";
        return false;
      }
      out->capture = v;
    } else if (arg == "--fps") {
      if (!number(1, 1000, "a frame rate from 1 to 1000")) return false;
      out->fps = static_cast<int>(n);
    } else if (arg == "--pace") {
      if (!value(&v)) return false;
      const std::string mode = v;
      if (mode == "off") {
        out->pace = 0;
      } else if (mode == "vsync") {
        out->pace = -1;
      } else if (ParseNumber(v, 1, 1000, &n)) {
        out->pace = static_cast<int>(n);
      } else {
        *error = "--pace takes 60 (or another rate), vsync or off (got '" + mode + "')";
        return false;
      }
    } else if (arg == "--screenshot-every") {
      if (i + 2 >= argc) {
        *error = "--screenshot-every needs a frame count and a folder";
        return false;
      }
      if (!ParseNumber(argv[i + 1], 1, 1000000000L, &n)) {
        *error = "--screenshot-every needs a whole number of frames, 1 or more (got '" + std::string(argv[i + 1]) + "')";
        return false;
      }
      out->screenshotEvery = static_cast<int>(n);
      out->screenshotDir = argv[i + 2];
      i += 2;
    } else {
      *error = "unknown option '" + arg + "' (see kavret --help)";
      return false;
    }
  }
  return true;
}
