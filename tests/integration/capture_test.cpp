// Whole runs into a capture, with the generated content and shortened scenes:
// sound lines up with the frames, music cues land on frame boundaries, and two
// runs give the same bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "app/frame_loop.h"
#include "app/playlist.h"
#include "app/sequencer.h"
#include "device/render_device.h"
#include "device/settings.h"
#include "platform/capture/capture.h"
#include "platform/dx/dx_platform.h"
#include "platform/files/files.h"
#include "platform/music/music_platform.h"
#include "platform/registry/winreg.h"
#include "platform/win/win_platform.h"
#include "support/headless_device.h"
#include "support/process_folder.h"

namespace fs = std::filesystem;

namespace {

constexpr int kShortBudget = 12;
Scene shortPlaylist[kSceneCount];
std::vector<const MidasModuleRecord*> playingAtFrame;

// Records, right after a frame was presented (and its samples rendered), the
// module that played in it.
void Observe(long) { playingAtFrame.push_back(MusicPlayingModule()); }

std::vector<char> Bytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// One capture of the shortened playlist into `dir`; returns DemoMain's result.
int CaptureShortRun(const fs::path& dir, bool looping, long frames) {
  WinStartup(WinBackend::Headless);
  DxResetForTests();
  const fs::path settings = dir.string() + ".reg";
  fs::remove(settings);
  RegistrySetFile(settings.string());
  SetDataDirectory(KAVRET_TEST_DATA_DIR);
  MusicSetOutput(MusicOutput::Capture);
  ResetSequencer();
  CapPlaylist(kShortBudget, shortPlaylist);
  playlist = shortPlaylist;
  DemoSettings = DemoSettingsRecord{};
  runOptions = {.maxFrames = frames, .forceLooping = looping ? 1 : 0, .onPresented = Observe};
  playingAtFrame.clear();

  CaptureConfig config;
  config.out = dir.string();
  config.progress = false;
  std::string error;
  EXPECT_TRUE(CaptureStart(config, &error)) << error;
  testing::internal::CaptureStdout();  // the model files' chunk listings
  const int result = DemoMain(nullptr);
  testing::internal::GetCapturedStdout();
  std::string where;
  EXPECT_TRUE(CaptureFinish(&where, &error)) << error;
  DxSetFrameSink(nullptr, nullptr);
  ResetSequencer();
  runOptions = {};
  WinShutdown();
  fs::remove(settings);
  return result;
}

}  // namespace

TEST(CaptureRun, SoundLinesUpWithFramesAndCuesLandOnFrameBoundaries) {
  const fs::path dir = ProcessFolder("capture") / "run";
  ASSERT_EQ(CaptureShortRun(dir, false, 0), 0);

  // One empty frame, then budget + 2 frames per scene.
  const long expected = 1 + kSceneCount * (kShortBudget + 2);
  EXPECT_EQ(CaptureFrames(), expected);
  EXPECT_TRUE(fs::exists(dir / "frame_000000.png"));
  EXPECT_TRUE(fs::exists(dir / ("frame_000" + std::to_string(expected - 1) + ".png")));
  EXPECT_EQ(fs::file_size(dir / "music.wav"), 44u + static_cast<std::uintmax_t>(expected) * 800 * 4);

  // Which module fills each frame's 800 samples: nothing for the empty first
  // frame, module 3 from the Rocket's first frame, module 2 from the Cross's
  // first frame, module 1 from the Outro's; a switch never falls inside a frame.
  ASSERT_EQ(static_cast<long>(playingAtFrame.size()), expected);
  auto firstFrameOf = [](int scene) { return 1 + scene * (kShortBudget + 2); };
  std::vector<long> switchesAt;
  const MidasModuleRecord* last = nullptr;
  for (long i = 0; i < expected; ++i) {
    if (playingAtFrame[i] != last) {
      switchesAt.push_back(i);
      last = playingAtFrame[i];
    }
  }
  ASSERT_EQ(switchesAt.size(), 3u);
  EXPECT_EQ(switchesAt[0], firstFrameOf(0));
  EXPECT_EQ(switchesAt[1], firstFrameOf(5));
  // The Outro's cue comes before its set-up, in the same step: its first frame.
  EXPECT_EQ(switchesAt[2], firstFrameOf(7));
  fs::remove_all(dir);
}

TEST(CaptureRun, TwoRunsOfTheProgramGiveIdenticalFramesAndSound) {
  // Separate processes: the random generator and the scenes' looping angles
  // start from their initial values in each, as they do for a user.
  const fs::path base = ProcessFolder("determinism");
  const long frames = 2 * (1 + kSceneCount * (kShortBudget + 2));
  for (const char* run : {"a", "b"}) {
    const std::string command = std::string(KAVRET_BINARY_DIR) + "/app/kavret --capture " + (base / run).string() +
                                " --data " + KAVRET_TEST_DATA_DIR + " --settings " + (base / run).string() +
                                ".reg --scene-frames " + std::to_string(kShortBudget) + " --loop --frames " +
                                std::to_string(frames) + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  EXPECT_EQ(fs::file_size(base / "a" / "music.wav"), 44u + static_cast<std::uintmax_t>(frames) * 800 * 4);
  EXPECT_EQ(Bytes(base / "a" / "music.wav"), Bytes(base / "b" / "music.wav"));
  long compared = 0;
  for (const auto& entry : fs::directory_iterator(base / "a")) {
    if (entry.path().extension() != ".png") continue;
    ASSERT_EQ(Bytes(entry.path()), Bytes(base / "b" / entry.path().filename())) << entry.path();
    ++compared;
  }
  EXPECT_EQ(compared, frames);
  fs::remove_all(base);
}

namespace {

// Width and height from a PNG file's header.
std::pair<int, int> PngSize(const fs::path& p) {
  const std::vector<char> b = Bytes(p);
  if (b.size() < 24) return {0, 0};
  auto be = [&](int at) {
    return (static_cast<unsigned char>(b[at]) << 24) | (static_cast<unsigned char>(b[at + 1]) << 16) |
           (static_cast<unsigned char>(b[at + 2]) << 8) | static_cast<unsigned char>(b[at + 3]);
  };
  return {be(16), be(20)};
}

}  // namespace

TEST(CaptureRun, AtScaleTwoFramesAreTwiceAsLargeAndTheSameEveryRun) {
  const fs::path base = ProcessFolder("scaled");
  const std::string program = std::string(KAVRET_BINARY_DIR) + "/app/kavret --data " + KAVRET_TEST_DATA_DIR +
                              " --scene-frames " + std::to_string(kShortBudget) + " --scale 2 --frames 3";
  for (const char* run : {"a", "b"}) {
    const std::string command = program + " --capture " + (base / run).string() + " --settings " +
                                (base / run).string() + ".reg >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  for (int i = 0; i < 3; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06d.png", i);
    EXPECT_EQ(PngSize(base / "a" / name), std::make_pair(1280, 960)) << name;
    EXPECT_EQ(Bytes(base / "a" / name), Bytes(base / "b" / name)) << name;
  }
  EXPECT_FALSE(fs::exists(base / "a" / "frame_000003.png"));

  // The video is as large as its frames.
  if (std::system("command -v ffmpeg >/dev/null 2>&1 && command -v ffprobe >/dev/null 2>&1") == 0) {
    const fs::path video = base / "scaled.mp4";
    const std::string command = program + " --capture " + video.string() + " --settings " +
                                (base / "c.reg").string() + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const fs::path probe = base / "probe.txt";
    const std::string ask = "ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=p=0 " +
                            video.string() + " > " + probe.string();
    ASSERT_EQ(std::system(ask.c_str()), 0);
    std::ifstream in(probe);
    std::string size;
    std::getline(in, size);
    EXPECT_EQ(size, "1280,960");
  }
  fs::remove_all(base);
}

TEST(CaptureRun, AFrameOfAnotherSizeFailsTheCaptureInsteadOfShearingIt) {
  // A capture is told its frame size at the start (ffmpeg reads raw frames of
  // that size); a frame of any other size ends it with a reason.
  const fs::path dir = ProcessFolder("wrong-size");
  CaptureConfig config;
  config.out = dir.string();
  config.progress = false;
  std::string error;
  ASSERT_TRUE(CaptureStart(config, &error)) << error;
  HeadlessDevice device;
  ASSERT_TRUE(OpenHeadlessDevice(device, 640, 480, false, 2));
  DDSURFACEDESC screen{};
  screen.dwSize = sizeof screen;
  screen.dwFlags = DDSD_CAPS;
  screen.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  IDirectDrawSurface* primary = nullptr;
  ASSERT_EQ(device.directDraw2->CreateSurface(&screen, &primary, nullptr), DD_OK);
  ASSERT_EQ(primary->Blt(nullptr, device.target, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  primary->Release();
  CloseHeadlessDevice(device);
  std::string where;
  EXPECT_FALSE(CaptureFinish(&where, &error));
  EXPECT_NE(error.find("1280x960"), std::string::npos) << error;
  EXPECT_FALSE(fs::exists(dir / "frame_000000.png"));
  DxSetFrameSink(nullptr, nullptr);
  fs::remove_all(dir);
}
