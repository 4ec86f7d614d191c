// The set-up dialog: its template (dialog resource 101 with the banner bitmap
// 102), the dialog procedure and the resolution list. The driver list holds the
// enumerated drivers' descriptions with their table index as item data; the
// resolution list the chosen driver's modes with their mode index.
#include "device/setup_dialog.h"

#include <cstdio>
#include <cstring>

#include "device/display_drivers.h"
#include "device/settings.h"

namespace {

constexpr const char* kDefaultResolution = "640 x 480 x 16 x 0hz";

const DialogItemTemplate kSetupItems[] = {
    {DialogControl::DefPushButton, IDOK, "OK", 217, 153, 50, 14, 0, 0},
    {DialogControl::PushButton, IDCANCEL, "Cancel", 155, 153, 50, 14, 0, 0},
    {DialogControl::Picture, -1, nullptr, 7, 7, 260, 62, 0, IDB_BANNER},
    {DialogControl::StaticText, -1, "Select Display Driver:", 7, 83, 68, 8, 0, 0},
    {DialogControl::DropDownList, IDC_DRIVER_LIST, nullptr, 7, 93, 164, 61, WS_VSCROLL, 0},
    {DialogControl::StaticText, -1, "Select Resolution:", 179, 84, 58, 8, 0, 0},
    {DialogControl::DropDownList, IDC_RESOLUTION_LIST, nullptr, 179, 93, 81, 57, WS_VSCROLL, 0},
    {DialogControl::AutoCheckBox, IDC_PLAY_MUSIC, "Play &Music", 7, 108, 50, 10, 0, 0},
    {DialogControl::AutoCheckBox, IDC_LOOP, "&Loop", 7, 122, 32, 10, 0, 0},
    {DialogControl::Frame, -1, nullptr, 146, 104, 121, 42, 0, 0},
    {DialogControl::StaticText, -1, "Eight scenes of real-time 3D, lens flares and tracker music.", 151, 113, 110,
     28, 0, 0},
    {DialogControl::StaticText, -1,
     "If you want to exit before the demo has come to an end, just press ALT-F4 at any time.", 7, 142, 110, 25, 0, 0},
};

const DialogTemplate kSetupDialog = {
    "Ossik Kavret Demo - Select Driver...",
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
    274,
    175,
    "MS Sans Serif",
    8,
    kSetupItems,
    static_cast<int>(sizeof kSetupItems / sizeof kSetupItems[0]),
};

// The program's resources, as the resource script of the original build held them.
[[maybe_unused]] const bool resourcesAdded = [] {
  AddDialogResource(IDD_SETUP, &kSetupDialog);
  AddBitmapResource(IDB_BANNER, "banner.bmp");
  return true;
}();

HWND dialogOwner = nullptr;

LRESULT ListMessage(HWND dialog, int list, UINT message, WPARAM wParam, LPARAM lParam) {
  return SendDlgItemMessageA(dialog, list, message, wParam, lParam);
}

LRESULT FindEntry(HWND dialog, int list, const char* prefix) {
  return ListMessage(dialog, list, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(prefix));
}

// Copies an entry's text into a settings buffer, replacing all of it, so that
// the saved value is the text followed by zero bytes.
void CopyEntryText(HWND dialog, int list, LRESULT entry, char (&buffer)[256]) {
  const LRESULT length = ListMessage(dialog, list, CB_GETLBTEXTLEN, static_cast<WPARAM>(entry), 0);
  if (length == CB_ERR || length >= static_cast<LRESULT>(sizeof buffer)) return;
  std::memset(buffer, 0, sizeof buffer);
  ListMessage(dialog, list, CB_GETLBTEXT, static_cast<WPARAM>(entry), reinterpret_cast<LPARAM>(buffer));
}

// OK needs a driver entry and a resolution entry: without them the device
// set-up would have no driver or mode to use.
void UpdateOkButton(HWND dialog) {
  const bool ready = ListMessage(dialog, IDC_DRIVER_LIST, CB_GETCURSEL, 0, 0) != CB_ERR &&
                     ListMessage(dialog, IDC_RESOLUTION_LIST, CB_GETCURSEL, 0, 0) != CB_ERR;
  EnableWindow(GetDlgItem(dialog, IDOK), ready ? TRUE : FALSE);
}

void CentreOnDesktop(HWND dialog) {
  RECT desktop{}, frame{};
  GetWindowRect(GetDesktopWindow(), &desktop);
  GetWindowRect(dialog, &frame);
  const int x = desktop.left + ((desktop.right - desktop.left) - (frame.right - frame.left)) / 2;
  const int y = desktop.top + ((desktop.bottom - desktop.top) - (frame.bottom - frame.top)) / 2;
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE);
}

void InitSetupDialog(HWND dialog) {
  ShowWindow(dialogOwner, SW_HIDE);
  CentreOnDesktop(dialog);
  LoadSettings();
  if (DemoSettings.isLooping == 1) SendDlgItemMessageA(dialog, IDC_LOOP, BM_SETCHECK, BST_CHECKED, 0);
  if (DemoSettings.useSound == 1) SendDlgItemMessageA(dialog, IDC_PLAY_MUSIC, BM_SETCHECK, BST_CHECKED, 0);

  for (int i = 0; i < kMaxDisplayDrivers; ++i) {
    if (displayDrivers[i].description[0] == 0) continue;
    const LRESULT entry = ListMessage(dialog, IDC_DRIVER_LIST, CB_INSERTSTRING, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(displayDrivers[i].description));
    ListMessage(dialog, IDC_DRIVER_LIST, CB_SETITEMDATA, static_cast<WPARAM>(entry), i);
  }

  // The stored driver as a prefix, else the first "3dfx" board, else nothing.
  LRESULT entry = FindEntry(dialog, IDC_DRIVER_LIST, DemoSettings.driverName);
  if (entry == CB_ERR) entry = FindEntry(dialog, IDC_DRIVER_LIST, "3dfx");
  ListMessage(dialog, IDC_DRIVER_LIST, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);

  // Without a selection the resolutions shown are those of the last driver listed.
  const LRESULT count = ListMessage(dialog, IDC_DRIVER_LIST, CB_GETCOUNT, 0, 0);
  const LRESULT shown = entry != CB_ERR ? entry : count - 1;
  const LRESULT driver = ListMessage(dialog, IDC_DRIVER_LIST, CB_GETITEMDATA, static_cast<WPARAM>(shown), 0);
  if (driver != CB_ERR) selectedDriver = static_cast<int>(driver);
  FillResolutionList(dialog, driver == CB_ERR ? -1 : selectedDriver);

  // The resolution is shown, not chosen: nothing enables the list again.
  EnableWindow(GetDlgItem(dialog, IDC_RESOLUTION_LIST), FALSE);
  UpdateOkButton(dialog);
}

void DriverChanged(HWND dialog) {
  const LRESULT entry = ListMessage(dialog, IDC_DRIVER_LIST, CB_GETCURSEL, 0, 0);
  if (entry != CB_ERR) {
    CopyEntryText(dialog, IDC_DRIVER_LIST, entry, DemoSettings.driverName);
    selectedDriver = static_cast<int>(ListMessage(dialog, IDC_DRIVER_LIST, CB_GETITEMDATA, static_cast<WPARAM>(entry), 0));
    FillResolutionList(dialog, selectedDriver);
  } else {
    const LRESULT mode = FindEntry(dialog, IDC_RESOLUTION_LIST, kDefaultResolution);
    if (mode != CB_ERR) ListMessage(dialog, IDC_RESOLUTION_LIST, CB_SETCURSEL, static_cast<WPARAM>(mode), 0);
  }
  UpdateOkButton(dialog);
}

void ResolutionChanged(HWND dialog) {
  const LRESULT entry = ListMessage(dialog, IDC_RESOLUTION_LIST, CB_GETCURSEL, 0, 0);
  if (entry == CB_ERR) return;
  selectedMode = static_cast<int>(ListMessage(dialog, IDC_RESOLUTION_LIST, CB_GETITEMDATA, static_cast<WPARAM>(entry), 0));
  CopyEntryText(dialog, IDC_RESOLUTION_LIST, entry, DemoSettings.resolution);
  UpdateOkButton(dialog);
}

void Accept(HWND dialog) {
  const LRESULT mode = ListMessage(dialog, IDC_RESOLUTION_LIST, CB_GETCURSEL, 0, 0);
  const LRESULT driver = ListMessage(dialog, IDC_DRIVER_LIST, CB_GETCURSEL, 0, 0);
  // OK is disabled in this state; a stray command must not hand the device a
  // driver or mode that does not exist.
  if (mode == CB_ERR || driver == CB_ERR) return;
  selectedMode = static_cast<int>(ListMessage(dialog, IDC_RESOLUTION_LIST, CB_GETITEMDATA, static_cast<WPARAM>(mode), 0));
  CopyEntryText(dialog, IDC_RESOLUTION_LIST, mode, DemoSettings.resolution);
  CopyEntryText(dialog, IDC_DRIVER_LIST, driver, DemoSettings.driverName);
  selectedDriver = static_cast<int>(ListMessage(dialog, IDC_DRIVER_LIST, CB_GETITEMDATA, static_cast<WPARAM>(driver), 0));
  DemoSettings.isLooping = IsDlgButtonChecked(dialog, IDC_LOOP) == BST_CHECKED ? 1 : 0;
  DemoSettings.useSound = IsDlgButtonChecked(dialog, IDC_PLAY_MUSIC) == BST_CHECKED ? 1 : 0;
  SaveSettings();
  EndDialog(dialog, 1);
  ShowWindow(dialogOwner, SW_SHOW);
}

}  // namespace

void FillResolutionList(HWND dialog, int driver) {
  ListMessage(dialog, IDC_RESOLUTION_LIST, CB_RESETCONTENT, 0, 0);
  // An empty driver list has no driver to take the modes from.
  if (driver < 0 || driver >= kMaxDisplayDrivers) return;
  for (int m = 0; m < kMaxDisplayModes; ++m) {
    const DisplayMode& mode = displayDrivers[driver].modes[m];
    if (mode.width == 0) continue;
    char text[64];
    std::snprintf(text, sizeof text, "%d x %d x 16 x %dhz", mode.width, mode.height, mode.refreshRate);
    const LRESULT entry =
        ListMessage(dialog, IDC_RESOLUTION_LIST, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
    ListMessage(dialog, IDC_RESOLUTION_LIST, CB_SETITEMDATA, static_cast<WPARAM>(entry), m);
  }
  const LRESULT entry = FindEntry(dialog, IDC_RESOLUTION_LIST, kDefaultResolution);
  if (entry != CB_ERR) ListMessage(dialog, IDC_RESOLUTION_LIST, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
}

INT_PTR SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    InitSetupDialog(dialog);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case IDC_DRIVER_LIST:
      if (HIWORD(wParam) == CBN_SELCHANGE) DriverChanged(dialog);
      return TRUE;
    case IDC_RESOLUTION_LIST:
      if (HIWORD(wParam) == CBN_SELCHANGE) ResolutionChanged(dialog);
      return TRUE;
    case IDOK:
      Accept(dialog);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, 0);
      ShowWindow(dialogOwner, SW_SHOW);
      return TRUE;
    default:
      return FALSE;
  }
}

bool setupCancelled = false;

bool RunSetupDialog(HWND owner) {
  dialogOwner = owner;
  // 0 is Cancel; -1 (no dialog could be made) must not count as OK either.
  const INT_PTR result = DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_SETUP), owner, SetupDialogProc, 0);
  setupCancelled = result == 0;
  return result == 1;
}
