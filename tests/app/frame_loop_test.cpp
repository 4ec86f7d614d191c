// The frame loop over the headless software device: frames per scene, update
// once per drawn frame, failures, busy flips, Escape and closing the window.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <vector>

#include "app/frame_loop.h"
#include "app/sequencer.h"
#include "device/render_device.h"
#include "device/settings.h"
#include "platform/dx/dx_platform.h"
#include "platform/files/files.h"
#include "platform/music/music_platform.h"
#include "platform/registry/winreg.h"
#include "platform/win/win_platform.h"
#include "support/process_folder.h"

namespace fs = std::filesystem;

namespace {

int updates[kSceneCount];
std::map<int, int> drawnFrames;  // scene index -> frames presented while set up
std::vector<std::uint16_t> lastFrame;
void (*atPresent)(long) = nullptr;
long lastPresented = 0;  // the count of the last presented frame

template <int I>
bool Frame() {
  ++updates[I];
  return true;
}
bool Nothing() { return true; }

#define LOOP_SCENE(I, budget) \
  { demoPlaylist[I].name, Nothing, Frame<I>, Nothing, budget, MusicCue::None, 0 }
const Scene loopPlaylist[kSceneCount] = {LOOP_SCENE(0, 5), LOOP_SCENE(1, 3), LOOP_SCENE(2, 1), LOOP_SCENE(3, 0),
                                         LOOP_SCENE(4, 2), LOOP_SCENE(5, 4), LOOP_SCENE(6, 1), LOOP_SCENE(7, 6)};

void OnPresented(long count) {
  lastPresented = count;
  if (Sequencer.phase != PhaseSetup) ++drawnFrames[Sequencer.sceneIndex];
  if (atPresent) atPresent(count);
}

void KeepFrame(const DxFrame& frame, void*) {
  lastFrame.assign(frame.pixels, frame.pixels + frame.pitch * frame.height);
}

class FrameLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WinStartup(WinBackend::Headless);
    DxResetForTests();
    DxSetFrameSink(KeepFrame, nullptr);
    settings = ProcessFolder("frame-loop") / "settings.reg";
    RegistrySetFile(settings.string());
    MusicSetOutput(MusicOutput::Silent);
    ResetSequencer();
    playlist = loopPlaylist;
    DemoSettings = DemoSettingsRecord{};
    runOptions = {.forceLooping = 0, .forceMusicOff = true, .onPresented = OnPresented};
    std::fill(std::begin(updates), std::end(updates), 0);
    drawnFrames.clear();
    atPresent = nullptr;
    lastPresented = 0;
  }
  void TearDown() override {
    DxSetFrameSink(nullptr, nullptr);
    DxResetForTests();
    ResetSequencer();
    runOptions = {};
    WinShutdown();
  }
  fs::path settings;
};

}  // namespace

TEST_F(FrameLoopTest, EachSceneIsDrawnBudgetPlusTwoFramesAndUpdatedBudgetPlusOneTimes) {
  EXPECT_EQ(DemoMain(nullptr), 0);
  for (int i = 0; i < kSceneCount; ++i) {
    const int budget = loopPlaylist[i].frameBudget;
    EXPECT_EQ(drawnFrames[i], budget + 2) << "scene " << i;
    // The first scene of a run gets one update more: the first pass drew an empty frame.
    EXPECT_EQ(updates[i], budget + (i == 0 ? 2 : 1)) << "scene " << i;
  }
  EXPECT_EQ(Sequencer.sceneIndex, kSceneCount);
  EXPECT_FALSE(IsWindow(mainWindow));
  EXPECT_EQ(RenderDevice.quit, 1);
  EXPECT_EQ(RenderDevice.deviceReady, 0);
}

TEST_F(FrameLoopTest, TheFirstPassPresentsAnEmptyFrame) {
  ASSERT_TRUE(CreateMainWindow(nullptr));
  int failures = 0;
  const auto before = DxPresentedFrames();
  ASSERT_TRUE(RunFramePass(&failures));
  EXPECT_EQ(DxPresentedFrames(), before + 1);
  ASSERT_FALSE(lastFrame.empty());
  EXPECT_TRUE(std::all_of(lastFrame.begin(), lastFrame.end(), [](std::uint16_t p) { return p == 0; }));
  EXPECT_EQ(Sequencer.phase, PhaseRunning);  // that pass's step set the first scene up
  FreeAllRegistries();
  ShutdownDevice();
}

TEST_F(FrameLoopTest, APassWithoutASceneDrawsNothingAndKeepsTheUpdate) {
  ASSERT_TRUE(CreateMainWindow(nullptr));
  int failures = 0;
  ASSERT_TRUE(RunFramePass(&failures));
  Sequencer.sceneFrameCounter = 99999;  // to the tear-down
  ASSERT_TRUE(RunFramePass(&failures));
  ASSERT_TRUE(RunFramePass(&failures));  // draws the old scene once more and frees it
  EXPECT_EQ(renderEnabled, 0);
  EXPECT_EQ(FrameLoop.updateDone, 0);
  const auto before = DxPresentedFrames();
  ASSERT_TRUE(RunFramePass(&failures));  // nothing is set up: no frame, the next scene's set-up
  EXPECT_EQ(DxPresentedFrames(), before);
  EXPECT_EQ(FrameLoop.updateDone, 1);
  EXPECT_EQ(Sequencer.sceneIndex, 1);
  EXPECT_EQ(Sequencer.phase, PhaseRunning);
  FreeAllRegistries();
  ShutdownDevice();
}

// Failed presents are counted over the whole run, not only in a row, and the
// third ends the loop right after the frame it happened in.
TEST_F(FrameLoopTest, TheThirdFailedPresentEndsTheRunAfterItsFrame) {
  // The playlist loops, so nothing but the failures (or the safety stop at 60
  // frames) ends this run.
  runOptions.forceLooping = 1;
  runOptions.maxFrames = 60;
  // A fault injected after frame n makes frame n + 1's back-buffer fill (not
  // looked at) and its present fail.
  atPresent = [](long count) {
    if (count == 2 || count == 6 || count == 11) DxFailNext(DxMethod::Blt, 2);
  };
  const auto before = DxPresentedFrames();
  EXPECT_EQ(DemoMain(nullptr), 0);
  // Failures in frames 3, 7 and 12: frame 12 is the last one presented.
  EXPECT_EQ(lastPresented, 12);
  EXPECT_EQ(DxPresentedFrames() - before, 9u);  // the other three failed
  EXPECT_EQ(DxCallCount(DxMethod::Flip), 0);
  EXPECT_EQ(RenderDevice.quit, 1);
}

TEST_F(FrameLoopTest, TwoFailedPresentsLetTheDemoPlayToItsEnd) {
  atPresent = [](long count) {
    if (count == 2 || count == 6) DxFailNext(DxMethod::Blt, 2);
  };
  const auto before = DxPresentedFrames();
  EXPECT_EQ(DemoMain(nullptr), 0);
  // The empty first frame, then budget + 2 frames for each of the eight scenes:
  // 1 + (7 + 5 + 3 + 2 + 4 + 6 + 3 + 8).
  EXPECT_EQ(lastPresented, 39);
  EXPECT_EQ(DxPresentedFrames() - before, 37u);
  EXPECT_EQ(Sequencer.sceneIndex, kSceneCount);
  EXPECT_FALSE(IsWindow(mainWindow));
}

TEST_F(FrameLoopTest, WhileAFlipIsBusyPassesOnlyPumpMessages) {
  ASSERT_TRUE(CreateMainWindow(nullptr));
  int failures = 0;
  ASSERT_TRUE(RunFramePass(&failures));
  ASSERT_TRUE(RunFramePass(&failures));
  ASSERT_TRUE(RunFramePass(&failures));
  const int updatesBefore = updates[0];
  const int counter = Sequencer.sceneFrameCounter;
  const auto presented = DxPresentedFrames();
  RenderDevice.fullScreen = true;  // only the flip-status poll looks at it here
  DxSetFlipBusy(4);
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(RunFramePass(&failures));
  EXPECT_EQ(updates[0], updatesBefore + 1);  // the update ran once and waited
  EXPECT_EQ(Sequencer.sceneFrameCounter, counter);
  EXPECT_EQ(DxPresentedFrames(), presented);
  EXPECT_EQ(FrameLoop.flipBusy, 1);
  RenderDevice.fullScreen = false;
  ASSERT_TRUE(RunFramePass(&failures));
  EXPECT_EQ(updates[0], updatesBefore + 1);
  EXPECT_EQ(DxPresentedFrames(), presented + 1);
  EXPECT_EQ(Sequencer.sceneFrameCounter, counter + 1);
  FreeAllRegistries();
  ShutdownDevice();
}

TEST_F(FrameLoopTest, EscapeSkipsASceneAndClosingTheWindowEndsTheLoop) {
  atPresent = [](long count) {
    if (count == 2) PostMessageA(mainWindow, WM_KEYDOWN, VK_ESCAPE, 0);
    if (count == 12) PostMessageA(mainWindow, WM_CLOSE, 0, 0);
  };
  playlist = loopPlaylist;
  EXPECT_EQ(DemoMain(nullptr), 0);
  // Scene 0 (budget 5) was cut short: two frames, the Escape, one to end running, one to tear down.
  EXPECT_EQ(drawnFrames[0], 3);
  EXPECT_FALSE(IsWindow(mainWindow));
  EXPECT_LT(Sequencer.sceneIndex, kSceneCount);
}
