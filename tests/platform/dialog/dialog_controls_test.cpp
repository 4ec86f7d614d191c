// The dialog stand-in without a display: the combo-box and button messages, the
// modal run with its dialog procedure, the person's actions and the headless user,
// and the bitmap reader the banner goes through.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/dialog/dialog_platform.h"
#include "platform/win/win_platform.h"

namespace {

constexpr int kTestDialog = 7001;
constexpr int kList = 100;
constexpr int kCheck = 101;

const DialogItemTemplate kItems[] = {
    {DialogControl::DefPushButton, IDOK, "OK", 10, 10, 50, 14, 0, 0},
    {DialogControl::PushButton, IDCANCEL, "Cancel", 70, 10, 50, 14, 0, 0},
    {DialogControl::DropDownList, kList, nullptr, 10, 30, 100, 60, WS_VSCROLL, 0},
    {DialogControl::AutoCheckBox, kCheck, "&Check", 10, 50, 40, 10, 0, 0},
};
const DialogTemplate kTemplate = {"Test", WS_POPUP | WS_CAPTION, 200, 100, "MS Sans Serif", 8, kItems, 4};

// What the test's dialog procedure saw and what the test wants to do while the
// dialog runs.
struct Probe {
  std::vector<std::pair<UINT, WPARAM>> seen;
  LPARAM initParam = 0;
  void (*script)(HWND) = nullptr;
  bool endOnOk = true;
};
Probe probe;

INT_PTR ProbeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    probe.initParam = lParam;
    for (const char* text : {"Alpha", "beta one", "Beta two", "gamma"})
      SendDlgItemMessageA(dialog, kList, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  probe.seen.emplace_back(message, wParam);
  if (LOWORD(wParam) == IDOK && probe.endOnOk) EndDialog(dialog, 1);
  if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 0);
  return TRUE;
}

LRESULT Send(HWND dialog, UINT message, WPARAM wParam, const char* text) {
  return SendDlgItemMessageA(dialog, kList, message, wParam, reinterpret_cast<LPARAM>(text));
}

class DialogControls : public ::testing::Test {
 protected:
  void SetUp() override {
    WinStartup(WinBackend::Headless);
    AddDialogResource(kTestDialog, &kTemplate);
    probe = Probe{};
  }
  void TearDown() override {
    DialogSetHeadlessUser(nullptr);
    WinShutdown();
  }
  INT_PTR Run(void (*script)(HWND)) {
    probe.script = script;
    DialogSetHeadlessUser([](HWND dialog) {
      if (probe.script) probe.script(dialog);
    });
    return DialogBoxParamA(nullptr, MAKEINTRESOURCEA(kTestDialog), nullptr, ProbeProc, 42);
  }
};

TEST_F(DialogControls, ComboBoxMessagesBehaveAsTheListDoes) {
  EXPECT_EQ(Run([](HWND d) {
              EXPECT_EQ(SendDlgItemMessageA(d, kList, CB_GETCOUNT, 0, 0), 4);
              EXPECT_EQ(SendDlgItemMessageA(d, kList, CB_GETCURSEL, 0, 0), CB_ERR);
              // Case-insensitive prefix search from the top; the first match wins.
              EXPECT_EQ(Send(d, CB_FINDSTRING, static_cast<WPARAM>(-1), "BETA"), 1);
              EXPECT_EQ(Send(d, CB_FINDSTRING, static_cast<WPARAM>(-1), "beta t"), 2);
              EXPECT_EQ(Send(d, CB_FINDSTRING, static_cast<WPARAM>(-1), "alphabet"), CB_ERR);
              EXPECT_EQ(Send(d, CB_FINDSTRING, static_cast<WPARAM>(-1), ""), CB_ERR);
              // From an entry the search starts after it and wraps round.
              EXPECT_EQ(Send(d, CB_FINDSTRING, 1, "beta"), 2);
              EXPECT_EQ(Send(d, CB_FINDSTRING, 2, "beta"), 1);
              // Insertion at a position moves the later entries and the selection.
              EXPECT_EQ(SendDlgItemMessageA(d, kList, CB_SETCURSEL, 1, 0), 1);
              EXPECT_EQ(Send(d, CB_INSERTSTRING, 0, "first"), 0);
              EXPECT_EQ(SendDlgItemMessageA(d, kList, CB_GETCURSEL, 0, 0), 2);
              EXPECT_EQ(Send(d, CB_INSERTSTRING, 9, "too far"), CB_ERR);
              // Item data and text by index; out of range is CB_ERR and leaves the buffer alone.
              EXPECT_EQ(SendDlgItemMessageA(d, kList, CB_SETITEMDATA, 3, 77), 0);
              EXPECT_EQ(SendDlgItemMessageA(d, kList, CB_GETITEMDATA, 3, 0), 77);
              EXPECT_EQ(SendDlgItemMessageA(d, kList, CB_GETITEMDATA, 9, 0), CB_ERR);
              char text[32] = "untouched";
              EXPECT_EQ(Send(d, CB_GETLBTEXT, 3, text), 8);
              EXPECT_STREQ(text, "Beta two");
              std::strcpy(text, "untouched");
              EXPECT_EQ(Send(d, CB_GETLBTEXT, static_cast<WPARAM>(-1), text), CB_ERR);
              EXPECT_STREQ(text, "untouched");
              // A selection out of range clears it.
              EXPECT_EQ(SendDlgItemMessageA(d, kList, CB_SETCURSEL, 5, 0), CB_ERR);
              EXPECT_EQ(SendDlgItemMessageA(d, kList, CB_GETCURSEL, 0, 0), CB_ERR);
              SendDlgItemMessageA(d, kList, CB_SETCURSEL, 0, 0);
              EXPECT_EQ(SendDlgItemMessageA(d, kList, CB_RESETCONTENT, 0, 0), 0);
              EXPECT_EQ(SendDlgItemMessageA(d, kList, CB_GETCOUNT, 0, 0), 0);
              EXPECT_EQ(SendDlgItemMessageA(d, kList, CB_GETCURSEL, 0, 0), CB_ERR);
              EXPECT_EQ(Send(d, CB_FINDSTRING, static_cast<WPARAM>(-1), "a"), CB_ERR);
              EndDialog(d, 5);
            }),
            5);
  EXPECT_EQ(probe.initParam, 42);
}

TEST_F(DialogControls, UserActionsReachTheProcedureOnlyThroughEnabledControls) {
  Run([](HWND d) {
    EXPECT_EQ(IsDlgButtonChecked(d, kCheck), BST_UNCHECKED);
    EXPECT_TRUE(DialogUserClick(d, kCheck));
    EXPECT_EQ(IsDlgButtonChecked(d, kCheck), BST_CHECKED);
    EXPECT_TRUE(DialogUserChoose(d, kList, 2));
    EXPECT_EQ(SendDlgItemMessageA(d, kList, CB_GETCURSEL, 0, 0), 2);
    EXPECT_FALSE(DialogUserChoose(d, kList, 4));  // no such entry

    EXPECT_FALSE(EnableWindow(GetDlgItem(d, kList), FALSE));  // was enabled
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, kList)));
    EXPECT_FALSE(DialogUserChoose(d, kList, 0));
    EXPECT_EQ(SendDlgItemMessageA(d, kList, CB_GETCURSEL, 0, 0), 2);
    // A disabled list still answers messages.
    EXPECT_EQ(SendDlgItemMessageA(d, kList, CB_GETCOUNT, 0, 0), 4);
    EnableWindow(GetDlgItem(d, IDOK), FALSE);
    EXPECT_FALSE(DialogUserClick(d, IDOK));
    EXPECT_FALSE(DialogEnded(d));
    EXPECT_EQ(GetDlgItem(d, 999), nullptr);
    EXPECT_FALSE(EnableWindow(nullptr, TRUE));
    DialogUserClose(d);
  });
  const std::vector<std::pair<UINT, WPARAM>> expected = {
      {WM_COMMAND, MAKEWPARAM(kCheck, BN_CLICKED)},
      {WM_COMMAND, MAKEWPARAM(kList, CBN_SELCHANGE)},
      {WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED)},  // the close box
  };
  EXPECT_EQ(probe.seen, expected);
}

TEST_F(DialogControls, HeadlessUserAcceptsAndNeverLeavesTheDialogOpen) {
  // The default user presses OK straight away when it is enabled.
  DialogSetHeadlessUser(nullptr);
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(kTestDialog), nullptr, ProbeProc, 0), 1);

  // A procedure that ignores OK is cancelled; one that ignores Cancel too ends with 0.
  probe = Probe{};
  probe.endOnOk = false;
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(kTestDialog), nullptr, ProbeProc, 0), 0);
  ASSERT_EQ(probe.seen.size(), 2u);
  EXPECT_EQ(LOWORD(probe.seen[1].second), IDCANCEL);
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(kTestDialog), nullptr,
                            [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0),
            0);

  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(4242), nullptr, ProbeProc, 0), -1);
}

TEST_F(DialogControls, HeadlessUserPicksAnEntryWhenOkWaitsForOne) {
  probe = Probe{};
  DialogSetHeadlessUser(nullptr);
  const INT_PTR result = DialogBoxParamA(
      nullptr, MAKEINTRESOURCEA(kTestDialog), nullptr,
      [](HWND d, UINT message, WPARAM wParam, LPARAM lParam) -> INT_PTR {
        const INT_PTR handled = ProbeProc(d, message, wParam, lParam);
        // OK is enabled once the list has a selection.
        const bool chosen = SendDlgItemMessageA(d, kList, CB_GETCURSEL, 0, 0) != CB_ERR;
        EnableWindow(GetDlgItem(d, IDOK), chosen);
        if (LOWORD(wParam) == IDOK && message == WM_COMMAND) {
          EXPECT_TRUE(chosen);
        }
        return handled;
      },
      0);
  EXPECT_EQ(result, 1);
  ASSERT_EQ(probe.seen.size(), 2u);
  EXPECT_EQ(probe.seen[0].second, MAKEWPARAM(kList, CBN_SELCHANGE));
  EXPECT_EQ(LOWORD(probe.seen[1].second), IDOK);
}

TEST(DialogUnits, ScaleWithTheEightPointFont) {
  EXPECT_EQ(DialogUnitsToPixelsX(274), 411);
  EXPECT_EQ(DialogUnitsToPixelsY(175), 284);
  EXPECT_EQ(DialogUnitsToPixelsX(7), 11);
  EXPECT_EQ(DialogUnitsToPixelsY(8), 13);
}

// A BMP file: 14-byte file header, 40-byte info header, palette, padded rows.
std::vector<std::uint8_t> MakeBmp(int width, int height, int bits, int colours,
                                  const std::vector<std::uint8_t>& rows) {
  std::vector<std::uint8_t> f(54 + colours * 4);
  auto put32 = [&f](size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  f[0] = 'B';
  f[1] = 'M';
  put32(10, static_cast<std::uint32_t>(f.size()));
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(width));
  put32(22, static_cast<std::uint32_t>(height));
  f[26] = 1;
  f[28] = static_cast<std::uint8_t>(bits);
  put32(46, static_cast<std::uint32_t>(colours));
  for (int c = 0; c < colours; ++c) {  // colour c: blue c, green 2c, red 3c
    f[54 + c * 4] = static_cast<std::uint8_t>(c);
    f[55 + c * 4] = static_cast<std::uint8_t>(2 * c);
    f[56 + c * 4] = static_cast<std::uint8_t>(3 * c);
  }
  f.insert(f.end(), rows.begin(), rows.end());
  put32(2, static_cast<std::uint32_t>(f.size()));
  return f;
}

TEST(DialogBitmaps, ReadsPaletteAndTrueColourPicturesAndRefusesBrokenOnes) {
  // 3 x 2, 8-bit, bottom-up: the first row in the file is the bottom one.
  // Rows are padded to 4 bytes. Index 9 lies past the 4-colour palette.
  const auto palette = MakeBmp(3, 2, 8, 4, {1, 2, 3, 0, 9, 0, 1, 0});
  DialogBitmap b;
  std::string error;
  ASSERT_TRUE(DialogReadBitmap(palette, &b, &error)) << error;
  ASSERT_EQ(b.width, 3);
  ASSERT_EQ(b.height, 2);
  const std::vector<std::uint8_t> expected = {
      0, 0, 0, 255, 0, 0, 0, 255, 3, 2, 1, 255,     // top row: 9 (black), 0, 1
      3, 2, 1, 255, 6, 4, 2, 255, 9, 6, 3, 255,     // bottom row: 1, 2, 3
  };
  EXPECT_EQ(b.rgba, expected);

  // 1 x 2, 24-bit, top-down (negative height): BGR bytes.
  const auto trueColour = MakeBmp(1, -2, 24, 0, {10, 20, 30, 0, 40, 50, 60, 0});
  ASSERT_TRUE(DialogReadBitmap(trueColour, &b, &error)) << error;
  EXPECT_EQ(b.rgba, (std::vector<std::uint8_t>{30, 20, 10, 255, 60, 50, 40, 255}));

  auto truncated = palette;
  truncated.resize(truncated.size() - 1);
  EXPECT_FALSE(DialogReadBitmap(truncated, &b, &error));
  EXPECT_FALSE(DialogReadBitmap(MakeBmp(3, 2, 4, 16, std::vector<std::uint8_t>(8)), &b, &error));
  EXPECT_FALSE(DialogReadBitmap(MakeBmp(1, 1, 8, 300, {0, 0, 0, 0}), &b, &error));
  EXPECT_FALSE(DialogReadBitmap(MakeBmp(0, 1, 24, 0, {}), &b, &error));
  EXPECT_FALSE(DialogReadBitmap({'B', 'M', 0}, &b, &error));
  auto huge = palette;
  huge[22] = 0;
  huge[23] = 0;
  huge[24] = 0;
  huge[25] = 0x80;  // height INT_MIN
  EXPECT_FALSE(DialogReadBitmap(huge, &b, &error));
}

}  // namespace
