// The sequencer on its own: phases and budgets, the end of the playlist, music
// cues in their places, and music failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/sequencer.h"
#include "device/render_device.h"
#include "device/settings.h"
#include "platform/files/files.h"
#include "platform/music/music_platform.h"
#include "platform/win/win_platform.h"
#include "scene/scene.h"
#include "test_modules.h"
#include "support/process_folder.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> events;
int frames[kSceneCount];

// Music calls and scene routines in the one order they happened: the music
// calls logged since the last look are taken in before each routine's entry.
// Play handles count on over the whole process, so a stop is written with the
// number of the play (in this log) that it stops.
std::vector<std::string> ordered;
std::size_t musicSeen = 0;
std::map<MIDASmodulePlayHandle, int> playNumbers;
void TakeMusicCalls() {
  const std::vector<std::string>& log = MusicCallLog();
  const std::string stop = "MIDASstopModule ";
  for (std::size_t i = musicSeen; i < log.size(); ++i) {
    if (log[i].rfind("MIDASplayModule", 0) == 0) {
      // At most one play between two looks: the handle is the sequencer's now.
      const int number = static_cast<int>(playNumbers.size()) + 1;
      playNumbers[Sequencer.playHandle] = number;
      ordered.push_back(log[i] + " (play " + std::to_string(number) + ")");
    } else if (log[i].rfind(stop, 0) == 0) {
      const auto handle = static_cast<MIDASmodulePlayHandle>(std::stoul(log[i].substr(stop.size())));
      const auto known = playNumbers.find(handle);
      ordered.push_back(stop + "(play " + (known == playNumbers.end() ? "?" : std::to_string(known->second)) + ")");
    } else {
      ordered.push_back(log[i]);
    }
  }
  musicSeen = log.size();
}

template <int I>
bool Setup() {
  events.push_back("setup " + std::to_string(I));
  TakeMusicCalls();
  ordered.push_back("setup " + std::to_string(I));
  return true;
}
template <int I>
bool Frame() {
  ++frames[I];
  TakeMusicCalls();
  ordered.push_back("frame " + std::to_string(I));
  return true;
}
template <int I>
bool TearDown() {
  events.push_back("teardown " + std::to_string(I));
  return true;
}

#define TEST_SCENE(I, budget) \
  { demoPlaylist[I].name, Setup<I>, Frame<I>, TearDown<I>, budget, demoPlaylist[I].cue, demoPlaylist[I].cueModule }
const Scene testPlaylist[kSceneCount] = {TEST_SCENE(0, 3), TEST_SCENE(1, 2), TEST_SCENE(2, 1), TEST_SCENE(3, 1),
                                         TEST_SCENE(4, 1), TEST_SCENE(5, 680), TEST_SCENE(6, 1), TEST_SCENE(7, 2)};

std::vector<UINT> posted;

LRESULT Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

class SequencerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WinStartup(WinBackend::Headless);
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = "SeqTest";
    RegisterClassA(&wc);
    mainWindow = CreateWindowExA(0, "SeqTest", "", 0, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
    ResetSequencer();
    playlist = testPlaylist;
    events.clear();
    ordered.clear();
    musicSeen = 0;
    playNumbers.clear();
    std::fill(std::begin(frames), std::end(frames), 0);
    DemoSettings = DemoSettingsRecord{};
    dataDir = ProcessFolder("sequencer");
    WriteTinyModules(dataDir);
    SetDataDirectory(dataDir.string());
    MusicSetOutput(MusicOutput::Silent);
    MusicRecordCalls(true);
    MusicClearFailures();
  }
  void TearDown() override {
    MusicRecordCalls(false);
    FreeAllRegistries();
    ResetSequencer();
    WinShutdown();
    SetDataDirectory(".");
  }
  // Steps until the scene index changes; returns the number of steps.
  int StepsThroughScene() {
    const int index = Sequencer.sceneIndex;
    int steps = 0;
    while (Sequencer.sceneIndex == index && steps < 100000) {
      StepSequencer();
      ++steps;
    }
    return steps;
  }
  bool CloseQueued() {
    MSG msg;
    int closes = 0;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) closes += msg.message == WM_CLOSE;
    return closes == 1;
  }
  fs::path dataDir;
};

}  // namespace

TEST_F(SequencerTest, BudgetsAreComparedStrictly) {
  // Set-up, budget + 1 running steps, tear-down.
  EXPECT_EQ(StepsThroughScene(), 1 + (3 + 1) + 1);
  EXPECT_EQ(frames[0], 1);  // only the call inside the set-up step: the frame loop dispatches the rest
  Sequencer.sceneIndex = 5;
  Sequencer.phase = PhaseSetup;
  StepSequencer();
  int running = 0;
  while (Sequencer.phase == PhaseRunning) {
    StepSequencer();
    ++running;
  }
  EXPECT_EQ(running, 681);
  EXPECT_EQ(Sequencer.sceneFrameCounter, 681);
}

TEST_F(SequencerTest, DispatchRunsOnlyWhileRunning) {
  DispatchSceneUpdate();
  EXPECT_EQ(frames[0], 0);
  StepSequencer();  // set-up: one call inside
  EXPECT_EQ(frames[0], 1);
  DispatchSceneUpdate();
  EXPECT_EQ(frames[0], 2);
  Sequencer.sceneIndex = 8;
  DispatchSceneUpdate();
  EXPECT_EQ(frames[0], 2);
}

TEST_F(SequencerTest, EscapeEndsTheRunningPhaseAtTheNextStep) {
  StepSequencer();
  Sequencer.sceneFrameCounter = 99999;
  StepSequencer();
  EXPECT_EQ(Sequencer.phase, PhaseTearDown);
  StepSequencer();
  EXPECT_EQ(Sequencer.sceneIndex, 1);
  EXPECT_EQ(Sequencer.phase, PhaseSetup);
  // During set-up Escape has no lasting effect: set-up resets the counter.
  Sequencer.sceneFrameCounter = 99999;
  StepSequencer();
  EXPECT_EQ(Sequencer.sceneFrameCounter, 0);
  EXPECT_EQ(Sequencer.phase, PhaseRunning);
}

TEST_F(SequencerTest, EndWithoutLoopingPostsOneCloseThenOnlySetsRenderEnabled) {
  for (int i = 0; i < kSceneCount; ++i) {
    if (i == 5) {
      Sequencer.sceneFrameCounter = 99999;  // skip the long one
      StepSequencer();
      Sequencer.sceneFrameCounter = 99999;
    }
    StepsThroughScene();
  }
  EXPECT_EQ(Sequencer.sceneIndex, kSceneCount);
  EXPECT_TRUE(CloseQueued());
  EXPECT_EQ(renderEnabled, 0);  // cleared by the final sweep
  StepSequencer();
  StepSequencer();
  EXPECT_EQ(renderEnabled, 1);
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(events.back(), "teardown 7");
}

TEST_F(SequencerTest, LoopingStartsAgainWithTheFirstScene) {
  DemoSettings.isLooping = 1;
  Sequencer.sceneIndex = 7;
  StepsThroughScene();
  EXPECT_EQ(Sequencer.sceneIndex, 0);
  EXPECT_EQ(Sequencer.phase, PhaseSetup);
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(SequencerTest, SweepsClearRenderEnabledAndEmptyTheRegistries) {
  StepSequencer();
  EXPECT_EQ(renderEnabled, 1);
  AddMeshObject("box");
  FreeAllRegistries();
  EXPECT_EQ(renderEnabled, 0);
  EXPECT_EQ(FindMeshObject("box"), nullptr);
}

TEST_F(SequencerTest, MusicCallsInOrderOnTheFirstRunAndAfterALoop) {
  DemoSettings.useSound = 1;
  DemoSettings.isLooping = 1;
  StartMusic(mainWindow);
  EXPECT_EQ(DemoSettings.useSound, 1);
  const std::vector<std::string> startup = {
      "MIDASstartup",           "MIDASsetOption 6",        "MIDASsetOption 5 2",
      "MIDASinit",              "MIDASstartBackgroundPlay 0", "MIDASloadModule Midas\\t1.xm",
      "MIDASloadModule Midas\\t2.xm", "MIDASloadModule Midas\\t3.xm"};
  EXPECT_EQ(MusicCallLog(), startup);

  // Scene 0: module 3 after set-up, nothing stopped on the first run.
  MusicClearCallLog();
  StepSequencer();
  EXPECT_EQ(MusicCallLog(), std::vector<std::string>{"MIDASplayModule Midas\\t3.xm 1"});
  EXPECT_EQ(events.back(), "setup 0");
  // Play handles count on over the process: the stops name the handles of the
  // plays before them.
  const auto stopPlay = [first = Sequencer.playHandle](int play) {
    return "MIDASstopModule " + std::to_string(first + play - 1);
  };
  for (int i = 0; i < 5; ++i) StepsThroughScene();
  MusicClearCallLog();
  events.clear();
  StepSequencer();  // Cross: after set-up, stop then module 2
  EXPECT_EQ(MusicCallLog(), (std::vector<std::string>{stopPlay(1), "MIDASplayModule Midas\\t2.xm 1"}));
  Sequencer.sceneFrameCounter = 99999;
  StepsThroughScene();
  StepsThroughScene();
  MusicClearCallLog();
  StepSequencer();  // Outro: stop and module 1 before its set-up
  EXPECT_EQ(MusicCallLog(), (std::vector<std::string>{stopPlay(2), "MIDASplayModule Midas\\t1.xm 1"}));
  EXPECT_EQ(events.back(), "setup 7");
  StepsThroughScene();
  MusicClearCallLog();
  StepSequencer();  // the loop: Rocket now stops the Outro's module first
  EXPECT_EQ(MusicCallLog(), (std::vector<std::string>{stopPlay(3), "MIDASplayModule Midas\\t3.xm 1"}));

  MusicClearCallLog();
  ShutdownMusic();
  EXPECT_EQ(MusicCallLog(), (std::vector<std::string>{stopPlay(4), "MIDASfreeModule Midas\\t1.xm",
                                                      "MIDASfreeModule Midas\\t2.xm", "MIDASfreeModule Midas\\t3.xm",
                                                      "MIDASstopBackgroundPlay", "MIDASclose"}));
}

TEST_F(SequencerTest, OutroCueComesBeforeItsSetUpAndRocketAndCrossCuesAfter) {
  DemoSettings.useSound = 1;
  DemoSettings.isLooping = 1;
  StartMusic(mainWindow);
  ASSERT_EQ(DemoSettings.useSound, 1);
  TakeMusicCalls();
  ordered.clear();
  // Every scene set up and cut short with Escape, then the loop's first set-up.
  for (int i = 0; i < kSceneCount; ++i) {
    StepSequencer();
    Sequencer.sceneFrameCounter = 99999;
    StepsThroughScene();
  }
  StepSequencer();
  TakeMusicCalls();
  const std::vector<std::string> expected = {
      "setup 0", "MIDASplayModule Midas\\t3.xm 1 (play 1)", "frame 0",
      "setup 1", "frame 1",
      "setup 2", "frame 2",
      "setup 3", "frame 3",
      "setup 4", "frame 4",
      "setup 5", "MIDASstopModule (play 1)", "MIDASplayModule Midas\\t2.xm 1 (play 2)", "frame 5",
      "setup 6", "frame 6",
      "MIDASstopModule (play 2)", "MIDASplayModule Midas\\t1.xm 1 (play 3)", "setup 7", "frame 7",
      "setup 0", "MIDASstopModule (play 3)", "MIDASplayModule Midas\\t3.xm 1 (play 4)", "frame 0"};
  EXPECT_EQ(ordered, expected);
  ShutdownMusic();
}

TEST_F(SequencerTest, MusicOffMakesNoLibraryCall) {
  DemoSettings.useSound = 0;
  StartMusic(mainWindow);
  for (int i = 0; i < kSceneCount; ++i) {
    Sequencer.sceneFrameCounter = 99999;
    StepsThroughScene();
  }
  EXPECT_TRUE(MusicCallLog().empty());
}

// A run keeps no record of library calls (it would grow for as long as the
// demo loops); only a test that asks for one gets it.
TEST_F(SequencerTest, LibraryCallsAreRecordedOnlyWhenAsked) {
  DemoSettings.useSound = 1;
  MusicRecordCalls(false);
  StartMusic(mainWindow);
  ShutdownMusic();
  EXPECT_TRUE(MusicCallLog().empty());
  MusicRecordCalls(true);
  StartMusic(mainWindow);
  ShutdownMusic();
  EXPECT_EQ(MusicCallLog().front(), "MIDASstartup");
  EXPECT_EQ(MusicCallLog().back(), "MIDASclose");
}

TEST_F(SequencerTest, MissingSecondModuleTurnsMusicOffAndKeepsTheFirst) {
  fs::remove(dataDir / "Midas" / "t2.xm");
  DemoSettings.useSound = 1;
  testing::internal::CaptureStderr();
  StartMusic(mainWindow);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(DemoSettings.useSound, 0);
  EXPECT_EQ(MusicCallLog().back(), "MIDASloadModule Midas\\t2.xm");
  EXPECT_NE(Sequencer.modules[0], nullptr);
  EXPECT_EQ(Sequencer.modules[1], nullptr);
  EXPECT_EQ(Sequencer.modules[2], nullptr);
  MusicClearCallLog();
  StepSequencer();
  EXPECT_TRUE(MusicCallLog().empty());
  MIDASfreeModule(Sequencer.modules[0]);
  MIDASclose();
}

TEST_F(SequencerTest, LibraryFailureTurnsMusicOff) {
  DemoSettings.useSound = 1;
  MusicFailCall("MIDASinit");
  StartMusic(mainWindow);
  EXPECT_EQ(DemoSettings.useSound, 0);
  EXPECT_EQ(MusicCallLog().back(), "MIDASinit");
  MIDASclose();
}
