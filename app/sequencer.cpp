// Sequencer steps, music start-up, cues and shutdown, and the registry sweeps.
#include "app/sequencer.h"

#include "device/render_device.h"
#include "device/settings.h"
#include "device/texture_surfaces.h"
#include "effects/particles.h"
#include "render/renderer.h"
#include "scene/scene.h"

SequencerState Sequencer;
std::uint8_t renderEnabled = 1;
const Scene* playlist = demoPlaylist;

namespace {

void PlayCue(const Scene& scene) {
  if (!DemoSettings.useSound) return;
  if (scene.cue != MusicCue::FirstAfterSetup || Sequencer.musicStarted) MIDASstopModule(Sequencer.playHandle);
  Sequencer.playHandle = MIDASplayModule(Sequencer.modules[scene.cueModule - 1], 1);
  if (scene.cue == MusicCue::FirstAfterSetup) Sequencer.musicStarted = 1;
}

bool LoadModules() {
  static const char* const files[3] = {"Midas\\t1.xm", "Midas\\t2.xm", "Midas\\t3.xm"};
  for (int i = 0; i < 3; ++i) {
    Sequencer.modules[i] = MIDASloadModule(files[i]);
    if (!Sequencer.modules[i]) return false;
  }
  return true;
}

bool StartLibrary(HWND window) {
  MIDASstartup();
  MIDASsetOption(6, reinterpret_cast<std::uintptr_t>(window));
  MIDASsetOption(5, 2);
  if (!MIDASinit()) return false;
  if (!MIDASstartBackgroundPlay(0)) return false;
  return LoadModules();
}

}  // namespace

void ResetSequencer() {
  Sequencer = SequencerState{};
  renderEnabled = 1;
  playlist = demoPlaylist;
}

void StartMusic(HWND window) {
  Sequencer.sceneIndex = 0;
  if (!DemoSettings.useSound) return;
  // A failure leaves the library as it is and the demo runs silently.
  DemoSettings.useSound = StartLibrary(window) ? 1 : 0;
}

void ShutdownMusic() {
  MIDASstopModule(Sequencer.playHandle);
  for (MIDASmodule module : Sequencer.modules) MIDASfreeModule(module);
  MIDASstopBackgroundPlay();
  MIDASclose();
}

void InitAllRegistries() {
  renderEnabled = 0;
  InitSceneRegistries();
  InitRenderer();
  InitParticleSystems();
}

void FreeAllRegistries() {
  renderEnabled = 0;
  ReleaseAllTextureSurfaces();
  FreeSceneRegistries();
  FreeRenderer();
  FreeParticleSystems();
}

void DispatchSceneUpdate() {
  if (Sequencer.phase == PhaseRunning && Sequencer.sceneIndex >= 0 && Sequencer.sceneIndex < kSceneCount) {
    playlist[Sequencer.sceneIndex].perFrame();
  }
}

void StepSequencer() {
  renderEnabled = 1;
  if (Sequencer.sceneIndex >= kSceneCount || Sequencer.sceneIndex < 0) return;
  const Scene& scene = playlist[Sequencer.sceneIndex];
  switch (Sequencer.phase) {
    case PhaseSetup:
      InitAllRegistries();
      if (scene.cue == MusicCue::BeforeSetup) PlayCue(scene);
      scene.setup();
      if (scene.cue == MusicCue::AfterSetup || scene.cue == MusicCue::FirstAfterSetup) PlayCue(scene);
      scene.perFrame();
      Sequencer.sceneFrameCounter = 0;
      Sequencer.phase = PhaseRunning;
      renderEnabled = 1;
      break;
    case PhaseRunning:
      Sequencer.sceneFrameCounter += 1;
      if (Sequencer.sceneFrameCounter > scene.frameBudget) Sequencer.phase = PhaseTearDown;
      break;
    case PhaseTearDown:
      scene.tearDown();
      if (Sequencer.sceneIndex < kSceneCount - 1) {
        Sequencer.sceneIndex += 1;
        Sequencer.phase = PhaseSetup;
        FreeAllRegistries();
      } else if (DemoSettings.isLooping) {
        Sequencer.sceneIndex = 0;
        Sequencer.phase = PhaseSetup;
        FreeAllRegistries();
      } else {
        Sequencer.sceneIndex = kSceneCount;
        Sequencer.phase = PhaseSetup;
        FreeAllRegistries();
        PostMessageA(mainWindow, WM_CLOSE, 0, 0);
      }
      break;
    default:
      break;
  }
}
