// The program's entry, its one window and the frame loop.
#pragma once

#include <cstdint>

#include "platform/win/win32.h"

struct FrameLoopState {
  HINSTANCE instance;
  RECT clientRect;
  std::uint8_t updateDone;
  std::uint8_t flipBusy;
  WPARAM lastMessageParam;  // wParam of the last message taken from the queue
};
extern FrameLoopState FrameLoop;

// Where the frame loop's time goes, for the whole-demo benchmark: seconds spent
// in the scene update, in drawing (begin, render, end) and in presenting.
struct FrameLoopTimings {
  double update;
  double render;
  double present;
};
extern FrameLoopTimings frameTimings;

// What this platform adds to a run (command-line options); all off by default.
// Set with designated initialisers, back to the defaults with `runOptions = {}`.
struct RunOptions {
  long maxFrames = 0;         // > 0: leave the loop after this many presented frames
  int forceLooping = -1;      // -1 keep the setting, 0 off, 1 on (this run only)
  bool forceMusicOff = false;
  int startScene = 0;         // first scene of the run (0 normally)
  // Called after every presented frame with the count so far (capture, pacing, tests).
  void (*onPresented)(long presentedFrames) = nullptr;
};
extern RunOptions runOptions;

// The whole program: window, device, music, frame loop and shutdown. Returns 1
// when the window or the device cannot be created, else the wParam of the last
// message taken from the queue.
int DemoMain(HINSTANCE instance);

bool CreateMainWindow(HINSTANCE instance);
LRESULT MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
bool RenderOneFrame();
// One pass of the frame loop; false when the loop is to end.
bool RunFramePass(int* failures);
