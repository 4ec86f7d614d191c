// The set-up dialog shown before the main window: display driver, the
// resolution that will be used, music and looping. OK saves the choices.
#pragma once

#include "platform/dialog/dialog.h"

// Control ids of dialog resource 101.
constexpr int IDD_SETUP = 101;
constexpr int IDB_BANNER = 102;
constexpr int IDC_DRIVER_LIST = 1000;
constexpr int IDC_RESOLUTION_LIST = 1001;
constexpr int IDC_PLAY_MUSIC = 1005;
constexpr int IDC_LOOP = 1006;

// Runs the modal dialog owned by `owner` (the main window, hidden meanwhile).
// True on OK: settings saved, selectedDriver and selectedMode set.
bool RunSetupDialog(HWND owner);
// The last set-up dialog was closed with Cancel (the program then ends quietly).
extern bool setupCancelled;

// Refills the resolution list with the 16-bit modes of driver `driver` and
// selects "640 x 480 x 16 x 0hz" when it is there.
void FillResolutionList(HWND dialog, int driver);

INT_PTR SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
