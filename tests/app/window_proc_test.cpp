// The main window's procedure: the music stopped at window destruction only
// when it is on, the replies to the other messages, and the program's exit
// code taken from the last message of the queue.
#include <gtest/gtest.h>

#include <string>
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
#include "test_modules.h"

namespace {

bool Nothing() { return true; }

// Short scenes with the demo's own music cues.
#define CUE_SCENE(I, budget) \
  { demoPlaylist[I].name, Nothing, Nothing, Nothing, budget, demoPlaylist[I].cue, demoPlaylist[I].cueModule }
const Scene cuePlaylist[kSceneCount] = {CUE_SCENE(0, 2), CUE_SCENE(1, 1), CUE_SCENE(2, 1), CUE_SCENE(3, 1),
                                        CUE_SCENE(4, 1), CUE_SCENE(5, 3), CUE_SCENE(6, 1), CUE_SCENE(7, 2)};

void (*atPresent)(long) = nullptr;
long lastPresented = 0;
void OnPresented(long count) {
  lastPresented = count;
  if (atPresent) atPresent(count);
}

const std::vector<std::string> kShutdown = {"MIDASstopModule 0",           "MIDASfreeModule Midas\\t1.xm",
                                            "MIDASfreeModule Midas\\t2.xm", "MIDASfreeModule Midas\\t3.xm",
                                            "MIDASstopBackgroundPlay",      "MIDASclose"};

class WindowProcTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WinStartup(WinBackend::Headless);
    DxResetForTests();
    folder = ProcessFolder("kavret-winproc");
    WriteTinyModules(folder);
    SetDataDirectory(folder.string());
    RegistrySetFile((folder / "settings.reg").string());
    MusicSetOutput(MusicOutput::Silent);
    MusicRecordCalls(true);
    MusicClearFailures();
    ResetSequencer();
    DemoSettings = DemoSettingsRecord{};
    runOptions = {.forceLooping = 0, .onPresented = OnPresented};
    atPresent = nullptr;
    lastPresented = 0;
  }
  void TearDown() override {
    MusicRecordCalls(false);
    DxResetForTests();
    ResetSequencer();
    runOptions = {};
    WinShutdown();
    SetDataDirectory(".");
  }
  // A window of its own class whose procedure is the main window's.
  HWND MakeWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = MainWindowProc;
    wc.lpszClassName = "WinProcTest";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "WinProcTest", "", 0, 100, 50, 640, 480, nullptr, nullptr, nullptr, nullptr);
  }
  std::filesystem::path folder;
};

}  // namespace

TEST_F(WindowProcTest, DestroyingTheWindowShutsTheMusicDownOnlyWhenItIsOn) {
  HWND window = MakeWindow();
  ASSERT_NE(window, nullptr);
  DemoSettings.useSound = 1;
  StartMusic(window);
  ASSERT_EQ(DemoSettings.useSound, 1);
  MusicClearCallLog();
  EXPECT_TRUE(DestroyWindow(window));
  EXPECT_EQ(MusicCallLog(), kShutdown);

  // Music off: not one call. (A run with music off starts from nothing.)
  ResetSequencer();
  window = MakeWindow();
  DemoSettings.useSound = 0;
  StartMusic(window);
  MusicClearCallLog();
  EXPECT_TRUE(DestroyWindow(window));
  EXPECT_TRUE(MusicCallLog().empty());
}

TEST_F(WindowProcTest, WithMusicOffAWholeRunMakesNoLibraryCall) {
  playlist = cuePlaylist;
  runOptions.forceMusicOff = true;
  EXPECT_EQ(DemoMain(nullptr), 0);
  // The demo ran to its end and the close message destroyed the window.
  EXPECT_EQ(Sequencer.sceneIndex, kSceneCount);
  EXPECT_FALSE(IsWindow(mainWindow));
  EXPECT_TRUE(MusicCallLog().empty());
}

TEST_F(WindowProcTest, WithMusicOnAWholeRunEndsWithOneShutdownAtTheWindowsEnd) {
  playlist = cuePlaylist;
  std::vector<std::string> atClose;
  static std::vector<std::string>* seen = nullptr;
  seen = &atClose;
  // The log as it stands when the demo's close message is taken from the
  // queue, before it is dispatched.
  WinSetMessageObserver([](const MSG& msg) {
    if (msg.message == WM_CLOSE) *seen = MusicCallLog();
  });
  EXPECT_EQ(DemoMain(nullptr), 0);
  WinSetMessageObserver(nullptr);
  ASSERT_EQ(DemoSettings.useSound, 1);
  const std::vector<std::string>& log = MusicCallLog();
  ASSERT_GE(log.size(), kShutdown.size());
  // Nothing was shut down before the close, and the shutdown is the last thing.
  EXPECT_EQ(std::count(atClose.begin(), atClose.end(), "MIDASclose"), 0);
  EXPECT_EQ(std::count(log.begin(), log.end(), "MIDASclose"), 1);
  std::vector<std::string> tail(log.end() - static_cast<long>(kShutdown.size()), log.end());
  // The playing module is module 1's (the Outro's cue), whatever its handle.
  EXPECT_EQ(tail[0].rfind("MIDASstopModule ", 0), 0u);
  EXPECT_NE(tail[0], "MIDASstopModule 0");
  EXPECT_EQ(std::vector<std::string>(tail.begin() + 1, tail.end()),
            std::vector<std::string>(kShutdown.begin() + 1, kShutdown.end()));
  EXPECT_EQ(log.size(), atClose.size() + kShutdown.size());
}

TEST_F(WindowProcTest, TheExitCodeIsTheWParamOfTheLastMessageTaken) {
  // A quit message does not end the loop; the close does, and the quit message
  // queued behind it (not addressed to the window, so not dropped with it) is
  // the last one taken.
  atPresent = [](long count) {
    if (count == 3) PostQuitMessage(5);
    if (count == 6) {
      PostMessageA(mainWindow, WM_KEYUP, 65, 0);
      PostMessageA(mainWindow, WM_CLOSE, 0, 0);
      PostQuitMessage(7);
    }
  };
  runOptions.forceMusicOff = true;
  playlist = cuePlaylist;
  EXPECT_EQ(DemoMain(nullptr), 7);
  EXPECT_EQ(lastPresented, 6);
  EXPECT_FALSE(IsWindow(mainWindow));

  // Messages with a parameter followed by one without: the last one counts.
  WinShutdown();
  WinStartup(WinBackend::Headless);
  ResetSequencer();
  playlist = cuePlaylist;
  atPresent = [](long count) {
    if (count == 2) PostQuitMessage(9);
    if (count == 4) PostMessageA(mainWindow, WM_KEYUP, 66, 0);
  };
  EXPECT_EQ(DemoMain(nullptr), 0);  // the demo's own close message has wParam 0
  EXPECT_GT(lastPresented, 4);
}

TEST_F(WindowProcTest, RepliesToTheOtherMessages) {
  HWND window = MakeWindow();
  ASSERT_NE(window, nullptr);
  HWND other = CreateWindowExA(0, "WinProcTest", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  struct Reply {
    UINT message;
    WPARAM wParam;
    LRESULT result;
  };
  const Reply replies[] = {
      {WM_SIZE, 0, 1},
      {WM_ACTIVATE, 1, 0},
      {WM_KEYUP, VK_ESCAPE, 0},
      {WM_MOUSEMOVE, 0, 0},
      {WM_LBUTTONDOWN, 0, 0},
      {WM_RBUTTONUP, 0, 0},
      {WM_QUERYNEWPALETTE, 0, 0},
      {WM_PALETTECHANGED, reinterpret_cast<WPARAM>(window), 0},
      {WM_PALETTECHANGED, reinterpret_cast<WPARAM>(other), 1},
  };
  for (const Reply& r : replies) {
    EXPECT_EQ(MainWindowProc(window, r.message, r.wParam, 0), r.result) << "message " << r.message;
  }

  // Escape skips the scene; other keys do nothing.
  Sequencer.sceneFrameCounter = 12;
  EXPECT_EQ(MainWindowProc(window, WM_KEYDOWN, 38, 0), 0);  // Up: nothing designated
  EXPECT_EQ(Sequencer.sceneFrameCounter, 12);
  EXPECT_EQ(MainWindowProc(window, WM_KEYDOWN, VK_ESCAPE, 0), 0);
  EXPECT_EQ(Sequencer.sceneFrameCounter, 99999);

  // A moved window: the client origin on the screen, the old client extent.
  FrameLoop.clientRect = RECT{0, 0, 640, 480};
  SetWindowPos(window, nullptr, 30, 40, 0, 0, SWP_NOSIZE);
  EXPECT_EQ(RenderDevice.windowScreenRect.left, 30);
  EXPECT_EQ(RenderDevice.windowScreenRect.top, 40);
  EXPECT_EQ(RenderDevice.windowScreenRect.right, 670);
  EXPECT_EQ(RenderDevice.windowScreenRect.bottom, 520);
}
