// The display-driver tables at their limits: more drivers, modes and
// description characters than they hold, a second enumeration over a first,
// and a driver that cannot be probed.
#include <fstream>
#include <string>
#include <vector>

#include "device/setup_dialog.h"
#include "device_fixture.h"
#include "platform/dialog/dialog_platform.h"

namespace {

DxDisplayModeInfo Mode16(DWORD width, DWORD height, DWORD hz = 0) { return {width, height, 16, hz}; }

// 51 16-bit modes, each followed by a 32-bit one that must not be counted.
std::vector<DxDisplayModeInfo> FiftyOneModes() {
  std::vector<DxDisplayModeInfo> modes;
  for (DWORD i = 0; i < 51; ++i) {
    modes.push_back(Mode16(320 + 8 * i, 200 + i, (i % 3) * 30));
    modes.push_back({320 + 8 * i, 200 + i, 32, 0});
  }
  return modes;
}

int RecordedModes(const DisplayDriver& d) {
  int n = 0;
  for (const DisplayMode& m : d.modes) n += m.width != 0;
  return n;
}

// What the dialog showed, looked at by the person standing in for the user.
struct Shown {
  bool opened = false;
  std::vector<std::string> drivers, firstDriverModes;
  std::string preselected;
  int firstDriverSelection = 0;
} shown;

void LookAndCancel(HWND dialog) {
  shown.opened = true;
  const DialogItemState* list = DialogItem(dialog, IDC_DRIVER_LIST);
  shown.drivers = list->texts;
  if (list->selection >= 0) shown.preselected = list->texts[static_cast<size_t>(list->selection)];
  DialogUserChoose(dialog, IDC_DRIVER_LIST, 0);
  shown.firstDriverModes = DialogItem(dialog, IDC_RESOLUTION_LIST)->texts;
  shown.firstDriverSelection = DialogItem(dialog, IDC_RESOLUTION_LIST)->selection;
  DialogUserClick(dialog, IDCANCEL);
}

}  // namespace

TEST_F(DeviceTest, TablesKeepFiveDriversFiftyModesAndFortyNineCharacters) {
  const std::string chars49(49, 'a'), chars50 = std::string(49, 'b') + "!", chars80(80, 'c');
  DxSetTestDrivers({
      {chars49, FiftyOneModes(), DDCAPS_3D | DDCAPS_GDI, true},
      {chars50, {Mode16(640, 480), {640, 480, 8, 0}}, DDCAPS_3D, true},
      {chars80, {Mode16(800, 600, 75)}, DDCAPS_GDI, true},
      {"3dfx Board Four", {Mode16(640, 480)}, DDCAPS_3D, true},
      {"3dfx Board Five", {Mode16(640, 480)}, DDCAPS_3D, true},
      {"3dfx Sixth Board", {Mode16(640, 480)}, DDCAPS_3D, true},
  });
  ASSERT_TRUE(EnumerateDisplayDrivers());

  // The sixth driver is dropped before it is ever opened.
  EXPECT_EQ(displayDriverCount, 5);
  EXPECT_EQ(DxCallCount(DxMethod::DirectDrawCreate), 5);
  EXPECT_EQ(std::string(displayDrivers[0].description), chars49);
  EXPECT_EQ(std::string(displayDrivers[1].description), std::string(49, 'b'));  // the 50th character is dropped
  EXPECT_EQ(std::string(displayDrivers[2].description), std::string(49, 'c'));
  EXPECT_STREQ(displayDrivers[4].description, "3dfx Board Five");
  EXPECT_EQ(displayDrivers[0].guid, GUID{});
  for (int i = 1; i < 5; ++i) {
    EXPECT_FALSE(displayDrivers[i].guid == GUID{}) << i;
    EXPECT_FALSE(displayDrivers[i].guid == displayDrivers[i - 1].guid) << i;
  }
  EXPECT_EQ(displayDrivers[0].fullScreen, 0);  // shares the desktop and has 3D
  EXPECT_EQ(displayDrivers[1].fullScreen, 1);  // a 3D board that does not show the desktop
  EXPECT_EQ(displayDrivers[2].has3D, 0);
  EXPECT_EQ(displayDrivers[2].fullScreen, 1);

  // Fifty of the 51 16-bit modes, in order, with their refresh rates; the other
  // depths neither appear nor use up places.
  ASSERT_EQ(RecordedModes(displayDrivers[0]), 50);
  for (int i = 0; i < 50; ++i) {
    const DisplayMode& m = displayDrivers[0].modes[i];
    EXPECT_EQ(m.width, 320 + 8 * i) << i;
    EXPECT_EQ(m.height, 200 + i) << i;
    EXPECT_EQ(m.bitsPerPixel, 16) << i;
    EXPECT_EQ(m.refreshRate, (i % 3) * 30) << i;
    EXPECT_EQ(m.reserved, 0) << i;
  }
  // The next driver's table starts from its first place again.
  ASSERT_EQ(RecordedModes(displayDrivers[1]), 1);
  EXPECT_EQ(displayDrivers[1].modes[0].width, 640);
  EXPECT_EQ(displayDrivers[2].modes[0].refreshRate, 75);
  // Probing releases every DirectDraw object it opened.
  EXPECT_EQ(DxOpenDirectDrawObjects(), 0);

  // The dialog lists the five drivers as stored, prefers the first "3dfx"
  // board, and shows the first driver's fifty modes, none of them 640 x 480.
  shown = Shown{};
  DialogSetHeadlessUser(LookAndCancel);
  EXPECT_FALSE(RunSetupDialog(mainWindow));
  DialogSetHeadlessUser(nullptr);
  ASSERT_TRUE(shown.opened);
  EXPECT_EQ(shown.drivers,
            (std::vector<std::string>{chars49, std::string(49, 'b'), std::string(49, 'c'), "3dfx Board Four",
                                      "3dfx Board Five"}));
  EXPECT_EQ(shown.preselected, "3dfx Board Four");
  ASSERT_EQ(shown.firstDriverModes.size(), 50u);
  EXPECT_EQ(shown.firstDriverModes[0], "320 x 200 x 16 x 0hz");
  EXPECT_EQ(shown.firstDriverModes[49], "712 x 249 x 16 x 30hz");
  EXPECT_EQ(shown.firstDriverSelection, -1);
}

TEST_F(DeviceTest, EnumeratingAgainLeavesNothingOfTheLastTables) {
  DxSetTestDrivers({{"Big", FiftyOneModes()}, {"Second", {Mode16(640, 480)}}, {"Third", {Mode16(640, 480)}}});
  ASSERT_TRUE(EnumerateDisplayDrivers());
  ASSERT_EQ(RecordedModes(displayDrivers[0]), 50);

  DxSetTestDrivers({{"Small", {Mode16(640, 480), Mode16(800, 600)}}});
  ASSERT_TRUE(EnumerateDisplayDrivers());
  EXPECT_EQ(displayDriverCount, 1);
  EXPECT_STREQ(displayDrivers[0].description, "Small");
  EXPECT_EQ(displayDrivers[1].description[0], 0);  // the table ends after the one driver
  EXPECT_EQ(displayDrivers[2].description[0], 0);
  EXPECT_EQ(RecordedModes(displayDrivers[0]), 2);
  EXPECT_EQ(displayDrivers[0].modes[1].width, 800);
}

TEST_F(DeviceTest, ADriverWithoutDirectDraw2EndsTheSetUpBeforeTheDialog) {
  DxSetTestDrivers({{"Newer", {Mode16(640, 480)}}, {"Older", {Mode16(640, 480)}, DDCAPS_3D, false},
                    {"Never probed", {Mode16(640, 480)}}});
  EXPECT_FALSE(EnumerateDisplayDrivers());
  // Probing stops at the driver that failed, and its DirectDraw object is released.
  EXPECT_EQ(DxCallCount(DxMethod::DirectDrawCreate), 2);
  EXPECT_EQ(DxCallCount(DxMethod::GetCaps), 1);
  EXPECT_EQ(DxOpenDirectDrawObjects(), 0);

  // The whole set-up fails without showing the dialog or touching the settings.
  shown = Shown{};
  DialogSetHeadlessUser(LookAndCancel);
  EXPECT_FALSE(SetupDisplay());
  DialogSetHeadlessUser(nullptr);
  EXPECT_FALSE(shown.opened);
  EXPECT_EQ(RenderDevice.directDraw, nullptr);
  EXPECT_FALSE(std::ifstream(settingsFile).good());

  // Any failed QueryInterface for the interface does the same, on the usual drivers too.
  DxSetTestDrivers({});
  DxSetDriverSet(DxDriverSet::Display);
  DxFailNext(DxMethod::QueryInterface, 1, E_NOINTERFACE);
  EXPECT_FALSE(EnumerateDisplayDrivers());
  EXPECT_EQ(DxOpenDirectDrawObjects(), 0);
  ASSERT_TRUE(EnumerateDisplayDrivers());
  EXPECT_EQ(displayDriverCount, 2);
  EXPECT_STREQ(displayDrivers[1].description, "Full screen (software RGB)");
}

TEST_F(DeviceTest, CreatingTheDeviceReleasesDirectDrawWhenIDirectDraw2IsRefused) {
  DxSetDriverSet(DxDriverSet::Display);
  ASSERT_TRUE(EnumerateDisplayDrivers());
  selectedDriver = 1;
  RenderDevice.fullScreen = true;
  DxFailNext(DxMethod::QueryInterface, 1, E_NOINTERFACE);
  EXPECT_FALSE(CreateDirectDraw());
  EXPECT_EQ(RenderDevice.directDraw, nullptr);
  EXPECT_EQ(RenderDevice.directDraw2, nullptr);
  EXPECT_EQ(DxOpenDirectDrawObjects(), 0);
  EXPECT_EQ(DxCurrentDisplay().cooperativeLevel, 0u);  // nothing was taken over
}
