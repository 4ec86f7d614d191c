// The demo sequencer: the eight-scene playlist stepped one frame-loop pass at a
// time through set-up, running and tear-down, the music cues at three scene
// boundaries, and the sweeps that empty and free every scene registry.
#pragma once

#include <cstdint>

#include "platform/music/midas.h"
#include "platform/win/win32.h"

enum class MusicCue : std::int32_t {
  None,
  BeforeSetup,  // stop the playing module, then start the cue's module
  AfterSetup,   // the same after the scene's set-up routine
  FirstAfterSetup,  // after set-up; the playing module is stopped only once music has started
};

struct Scene {
  const char* name;  // as the capture's progress line and --list-scenes show it
  bool (*setup)();
  bool (*perFrame)();
  bool (*tearDown)();
  std::int32_t frameBudget;
  MusicCue cue;
  std::int32_t cueModule;  // 1, 2 or 3
};

inline constexpr int kSceneCount = 8;

enum ScenePhase : std::int32_t { PhaseSetup = 0, PhaseRunning = 1, PhaseTearDown = 2 };

struct SequencerState {
  std::int32_t sceneIndex;
  std::int32_t phase;
  std::int32_t sceneFrameCounter;  // Escape writes 99999 here
  std::uint8_t musicStarted;
  MIDASmodulePlayHandle playHandle;
  MIDASmodule modules[3];  // module 1, 2 and 3
};

extern SequencerState Sequencer;
// 1 while a scene may be drawn; set by every step, cleared by the two sweeps.
extern std::uint8_t renderEnabled;

// The demo's playlist, and the one the sequencer steps (tests may point it
// at a playlist of their own).
extern const Scene demoPlaylist[kSceneCount];
extern const Scene* playlist;

void StartMusic(HWND window);
void ShutdownMusic();
void StepSequencer();
void DispatchSceneUpdate();
void InitAllRegistries();
void FreeAllRegistries();
// Back to the state at program start (sequencer, render-enabled, playlist).
void ResetSequencer();
