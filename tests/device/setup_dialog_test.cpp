// The set-up dialog driven by messages as a person would drive it, without a
// display: what it shows on the first run and with stored settings, how it falls
// back, when OK may be pressed, and what OK and Cancel leave behind.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "device/display_drivers.h"
#include "device/settings.h"
#include "device/setup_dialog.h"
#include "platform/dialog/dialog_platform.h"
#include "platform/win/win_platform.h"
#include "registry_file.h"

namespace {

void SetDriver(int index, const char* description, std::initializer_list<DisplayMode> modes) {
  DisplayDriver& d = displayDrivers[index];
  d = DisplayDriver{};
  std::strncpy(d.description, description, sizeof d.description - 1);
  int m = 0;
  for (const DisplayMode& mode : modes) d.modes[m++] = mode;
}

constexpr DisplayMode Mode(int w, int h, int hz = 0) { return DisplayMode{w, h, 16, hz, 0}; }

// What the person does while the dialog is open; the default answers OK.
std::function<void(HWND)> user;

std::vector<std::string> Entries(HWND dialog, int list) { return DialogItem(dialog, list)->texts; }
std::string Selected(HWND dialog, int list) {
  const DialogItemState* s = DialogItem(dialog, list);
  return s->selection < 0 ? std::string("(none)") : s->texts[static_cast<size_t>(s->selection)];
}
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

LRESULT OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

class SetupDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    WinStartup(WinBackend::Headless);
    WNDCLASSA wc{};
    wc.lpfnWndProc = OwnerProc;
    wc.lpszClassName = "owner";
    RegisterClassA(&wc);
    owner = CreateWindowExA(0, "owner", "Ossik Kavret Demo", 0, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
    ShowWindow(owner, SW_SHOW);
    for (DisplayDriver& d : displayDrivers) d = DisplayDriver{};
    SetDriver(0, "Primary Display Driver", {Mode(320, 200), Mode(640, 480), Mode(800, 600)});
    SetDriver(1, "3Dfx Voodoo Graphics (tm)", {Mode(512, 384), Mode(640, 480, 60), Mode(640, 480)});
    SetDriver(2, "3DFX Second Board", {Mode(640, 480)});
    selectedDriver = 0;
    selectedMode = 0;
    DemoSettings = DemoSettingsRecord{};
    user = nullptr;
    DialogSetHeadlessUser([](HWND dialog) {
      if (user) user(dialog);
      if (!DialogEnded(dialog)) DialogAcceptAsUser(dialog);
    });
  }
  void TearDown() override {
    RegistrySetReadOnly(false);
    DialogSetHeadlessUser(nullptr);
    WinShutdown();
  }
  TempRegistry registry;
  HWND owner = nullptr;
};

TEST_F(SetupDialog, FirstRunPreselectsTheFirst3dfxBoardAndShows640x480Greyed) {
  bool looked = false;
  user = [&](HWND d) {
    looked = true;
    RECT r{};
    GetWindowRect(d, &r);
    // 274 x 175 dialog units centred on the 1024 x 768 headless desktop.
    EXPECT_EQ(r.right - r.left, 411);
    EXPECT_EQ(r.bottom - r.top, 284);
    EXPECT_EQ(r.left, (1024 - 411) / 2);
    EXPECT_EQ(r.top, (768 - 284) / 2);
    EXPECT_EQ(IsDlgButtonChecked(d, IDC_LOOP), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(d, IDC_PLAY_MUSIC), BST_CHECKED);
    EXPECT_EQ(Entries(d, IDC_DRIVER_LIST),
              (std::vector<std::string>{"Primary Display Driver", "3Dfx Voodoo Graphics (tm)", "3DFX Second Board"}));
    EXPECT_EQ(DialogItem(d, IDC_DRIVER_LIST)->data, (std::vector<LPARAM>{0, 1, 2}));
    EXPECT_EQ(Selected(d, IDC_DRIVER_LIST), "3Dfx Voodoo Graphics (tm)");
    EXPECT_EQ(Entries(d, IDC_RESOLUTION_LIST),
              (std::vector<std::string>{"512 x 384 x 16 x 0hz", "640 x 480 x 16 x 60hz", "640 x 480 x 16 x 0hz"}));
    EXPECT_EQ(Selected(d, IDC_RESOLUTION_LIST), "640 x 480 x 16 x 0hz");
    EXPECT_FALSE(Enabled(d, IDC_RESOLUTION_LIST));
    EXPECT_TRUE(Enabled(d, IDOK));
    EXPECT_EQ(selectedDriver, 1);
    EXPECT_STREQ(DialogTemplateOf(d)->caption, "Ossik Kavret Demo - Select Driver...");
  };
  EXPECT_TRUE(RunSetupDialog(owner));
  EXPECT_TRUE(looked);
  EXPECT_EQ(selectedDriver, 1);
  EXPECT_EQ(selectedMode, 2);
  EXPECT_EQ(registry.Read("Driver Name").data, TempRegistry::Text255("3Dfx Voodoo Graphics (tm)"));
  EXPECT_EQ(registry.Read("Resolution").data, TempRegistry::Text255("640 x 480 x 16 x 0hz"));
  EXPECT_EQ(registry.Read("IsLooping").data, std::vector<BYTE>{1});
  EXPECT_EQ(registry.Read("UseSound").data, std::vector<BYTE>{1});
}

TEST_F(SetupDialog, HidesTheMainWindowWhileOpenAndShowsItAgain) {
  bool hiddenMeanwhile = false;
  user = [&](HWND) {
    // ShowWindow answers whether the window was visible before.
    hiddenMeanwhile = !ShowWindow(owner, SW_HIDE);
  };
  EXPECT_TRUE(RunSetupDialog(owner));
  EXPECT_TRUE(hiddenMeanwhile);
  EXPECT_TRUE(ShowWindow(owner, SW_SHOW));  // visible again after OK

  user = [](HWND d) { DialogUserClick(d, IDCANCEL); };
  EXPECT_FALSE(RunSetupDialog(owner));
  EXPECT_TRUE(ShowWindow(owner, SW_SHOW));  // and after Cancel
}

TEST_F(SetupDialog, StoredDriverNameIsMatchedAsAPrefixInAnyCase) {
  registry.Write("Driver Name", REG_SZ, TempRegistry::Text255("primary display"));
  registry.Write("IsLooping", REG_DWORD, {0});
  registry.Write("UseSound", REG_DWORD, {1});
  user = [](HWND d) {
    EXPECT_EQ(Selected(d, IDC_DRIVER_LIST), "Primary Display Driver");
    EXPECT_EQ(IsDlgButtonChecked(d, IDC_LOOP), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(d, IDC_PLAY_MUSIC), BST_CHECKED);
    EXPECT_EQ(Selected(d, IDC_RESOLUTION_LIST), "640 x 480 x 16 x 0hz");
  };
  EXPECT_TRUE(RunSetupDialog(owner));
  EXPECT_EQ(selectedDriver, 0);
  EXPECT_EQ(selectedMode, 1);
  // OK stores the full description, not the prefix that found it.
  EXPECT_EQ(registry.Read("Driver Name").data, TempRegistry::Text255("Primary Display Driver"));
  EXPECT_EQ(DemoSettings.isLooping, 0);
}

TEST_F(SetupDialog, UnknownDriverFallsBackTo3dfxAndThenToNoSelection) {
  registry.Write("Driver Name", REG_SZ, TempRegistry::Text255("Removed Board"));
  user = [](HWND d) { EXPECT_EQ(Selected(d, IDC_DRIVER_LIST), "3Dfx Voodoo Graphics (tm)"); };
  EXPECT_TRUE(RunSetupDialog(owner));

  // No "3dfx" board either: nothing selected, the last driver's modes shown, OK
  // disabled until a driver is chosen.
  SetDriver(1, "Other Board", {Mode(640, 480)});
  SetDriver(2, "Last Board", {Mode(1024, 768), Mode(640, 480)});
  registry.Write("Driver Name", REG_SZ, TempRegistry::Text255("Removed Board"));
  selectedDriver = 0;
  selectedMode = 0;
  user = [](HWND d) {
    EXPECT_EQ(Selected(d, IDC_DRIVER_LIST), "(none)");
    EXPECT_EQ(selectedDriver, 2);
    EXPECT_EQ(Entries(d, IDC_RESOLUTION_LIST),
              (std::vector<std::string>{"1024 x 768 x 16 x 0hz", "640 x 480 x 16 x 0hz"}));
    EXPECT_FALSE(Enabled(d, IDOK));
    EXPECT_FALSE(DialogUserClick(d, IDOK));
    // Even a command sent past the disabled button changes and saves nothing.
    SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_FALSE(DialogEnded(d));
    EXPECT_EQ(selectedMode, 0);

    ASSERT_TRUE(DialogUserChoose(d, IDC_DRIVER_LIST, 1));
    EXPECT_STREQ(DemoSettings.driverName, "Other Board");
    EXPECT_EQ(selectedDriver, 1);
    EXPECT_EQ(Entries(d, IDC_RESOLUTION_LIST), std::vector<std::string>{"640 x 480 x 16 x 0hz"});
    EXPECT_TRUE(Enabled(d, IDOK));
    EXPECT_TRUE(DialogUserClick(d, IDOK));
  };
  EXPECT_TRUE(RunSetupDialog(owner));
  EXPECT_EQ(selectedDriver, 1);
  EXPECT_EQ(selectedMode, 0);
  EXPECT_EQ(registry.Read("Driver Name").data, TempRegistry::Text255("Other Board"));
}

TEST_F(SetupDialog, EmptyDriverListCannotBeAccepted) {
  for (DisplayDriver& d : displayDrivers) d = DisplayDriver{};
  selectedDriver = 0;
  user = [](HWND d) {
    EXPECT_TRUE(Entries(d, IDC_DRIVER_LIST).empty());
    EXPECT_TRUE(Entries(d, IDC_RESOLUTION_LIST).empty());
    EXPECT_FALSE(Enabled(d, IDOK));
  };
  // The headless user finds nothing to choose and closes the dialog.
  EXPECT_FALSE(RunSetupDialog(owner));
  EXPECT_EQ(selectedDriver, 0);
  EXPECT_EQ(registry.Read("Driver Name").data, std::vector<BYTE>(255, 0));
}

TEST_F(SetupDialog, DriverWithout640x480AtDefaultRateShowsModesWithNoneSelected) {
  SetDriver(1, "3dfx Odd Board", {Mode(512, 384), Mode(640, 480, 75)});
  user = [](HWND d) {
    EXPECT_EQ(Entries(d, IDC_RESOLUTION_LIST),
              (std::vector<std::string>{"512 x 384 x 16 x 0hz", "640 x 480 x 16 x 75hz"}));
    EXPECT_EQ(Selected(d, IDC_RESOLUTION_LIST), "(none)");
    EXPECT_FALSE(Enabled(d, IDOK));
    // Choosing a driver that has the mode makes the dialog acceptable.
    DialogUserChoose(d, IDC_DRIVER_LIST, 0);
    EXPECT_EQ(Selected(d, IDC_RESOLUTION_LIST), "640 x 480 x 16 x 0hz");
    EXPECT_TRUE(Enabled(d, IDOK));
  };
  EXPECT_TRUE(RunSetupDialog(owner));
  EXPECT_EQ(selectedDriver, 0);
  EXPECT_EQ(selectedMode, 1);
}

TEST_F(SetupDialog, FullTablesAreListedCompletely) {
  for (int i = 0; i < kMaxDisplayDrivers; ++i) {
    SetDriver(i, ("Board " + std::to_string(i)).c_str(), {});
    for (int m = 0; m < kMaxDisplayModes; ++m) displayDrivers[i].modes[m] = Mode(320 + 16 * m, 240);
  }
  displayDrivers[4].modes[49] = Mode(640, 480);
  user = [](HWND d) {
    EXPECT_EQ(Entries(d, IDC_DRIVER_LIST).size(), 5u);
    DialogUserChoose(d, IDC_DRIVER_LIST, 4);
    EXPECT_EQ(Entries(d, IDC_RESOLUTION_LIST).size(), 50u);
    EXPECT_EQ(Selected(d, IDC_RESOLUTION_LIST), "640 x 480 x 16 x 0hz");
  };
  EXPECT_TRUE(RunSetupDialog(owner));
  EXPECT_EQ(selectedDriver, 4);
  EXPECT_EQ(selectedMode, 49);
}

TEST_F(SetupDialog, OkSavesExactlyWhatTheDialogShows) {
  // A longer name stored before: nothing of it may survive behind the new one.
  registry.Write("Driver Name", REG_SZ, TempRegistry::Text255("3DFX Second Board and more"));
  registry.Write("IsLooping", REG_DWORD, {1});
  registry.Write("UseSound", REG_DWORD, {1});
  user = [](HWND d) {
    // The stored text is longer than every entry: the "3dfx" rule chooses.
    EXPECT_EQ(Selected(d, IDC_DRIVER_LIST), "3Dfx Voodoo Graphics (tm)");
    DialogUserClick(d, IDC_PLAY_MUSIC);
    DialogUserChoose(d, IDC_DRIVER_LIST, 2);
    DialogUserClick(d, IDOK);
  };
  EXPECT_TRUE(RunSetupDialog(owner));
  EXPECT_EQ(registry.Read("Driver Name").data, TempRegistry::Text255("3DFX Second Board"));
  EXPECT_EQ(registry.Read("Resolution").data, TempRegistry::Text255("640 x 480 x 16 x 0hz"));
  EXPECT_EQ(registry.Read("UseSound").data, std::vector<BYTE>{0});
  EXPECT_EQ(registry.Read("IsLooping").data, std::vector<BYTE>{1});
  EXPECT_EQ(DemoSettings.useSound, 0);
  EXPECT_EQ(selectedDriver, 2);
  EXPECT_EQ(selectedMode, 0);
}

TEST_F(SetupDialog, CancelAndTheCloseBoxSaveNothing) {
  registry.Write("UseSound", REG_DWORD, {1});
  registry.Write("IsLooping", REG_DWORD, {1});
  const std::string before = registry.Text();
  user = [](HWND d) {
    DialogUserClick(d, IDC_LOOP);
    DialogUserClick(d, IDCANCEL);
  };
  EXPECT_FALSE(RunSetupDialog(owner));
  user = [](HWND d) { DialogUserClose(d); };
  EXPECT_FALSE(RunSetupDialog(owner));
  EXPECT_EQ(registry.Text(), before);
}

TEST_F(SetupDialog, HeadlessRunAcceptsWithTheStoredChoicesAndLeavesThemStored) {
  registry.Write("UseSound", REG_DWORD, {0});
  registry.Write("IsLooping", REG_DWORD, {1});
  registry.Write("Driver Name", REG_SZ, TempRegistry::Text255("A driver of another run"));
  const std::string before = registry.Text();
  for (DisplayDriver& d : displayDrivers) d = DisplayDriver{};
  SetDriver(0, "Offscreen capture", {Mode(640, 480), Mode(800, 600)});
  // Nobody answers: the program runs with the settings read-only, and the
  // dialog accepts the only driver there is.
  RegistrySetReadOnly(true);
  DialogSetHeadlessUser(nullptr);
  EXPECT_TRUE(RunSetupDialog(owner));
  EXPECT_EQ(selectedDriver, 0);
  EXPECT_EQ(selectedMode, 0);
  EXPECT_EQ(DemoSettings.useSound, 0);
  EXPECT_EQ(DemoSettings.isLooping, 1);
  // The driver a person chose is still there for the next live run.
  EXPECT_EQ(registry.Text(), before);
  EXPECT_EQ(registry.Read("Driver Name").data, TempRegistry::Text255("A driver of another run"));
}

}  // namespace
