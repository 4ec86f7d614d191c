// What the web platform offers the program's web entry (app/main/web_main.cpp):
// the frame loop driven by the browser's animation frames. No emscripten
// header here: the entry includes it.
#pragma once

// Threads drawing triangles in the threaded build (the caller's included):
// one per core up to this many. web/CMakeLists.txt starts the workers for them.
constexpr int kWebMaxThreads = 8;

struct WebLoopConfig {
  // Frames per second of the pacing schedule; 0: no pacing, frames as fast as
  // they come (yielding to the page every few tens of milliseconds).
  int pace = 60;
  // Presents one frame (one or more passes of the frame loop); false when the
  // demo is over.
  bool (*frame)() = nullptr;
  // The scene being shown, for the per-scene speed figures.
  int (*scene)() = nullptr;
  // Called once after the last frame with the program's exit status.
  int (*finish)() = nullptr;
};

// Starts the loop and returns at once; the browser calls back for each frame.
void WebRunFrameLoop(const WebLoopConfig& config);
// Tells the page that the program could not start (it shows what went wrong).
void WebReportExit(int status);
