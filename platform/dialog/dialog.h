// The Win32 dialog subset the set-up dialog uses: dialog templates kept as
// resources, the modal DialogBoxParamA with its dialog procedure, and the
// drop-down list (combo box), button and check-box messages. Names and values are
// the platform's own. The controls are plain records driven by these messages;
// platform/dialog draws them with Dear ImGui when a display is open.
#pragma once

#include <cstdint>

#include "platform/win/win32.h"

using INT_PTR = std::intptr_t;
using DLGPROC = INT_PTR (*)(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Command identifiers of the standard buttons.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// Combo-box messages, notifications and results.
constexpr UINT CB_ADDSTRING = 0x0143;
constexpr UINT CB_GETCOUNT = 0x0146;
constexpr UINT CB_GETCURSEL = 0x0147;
constexpr UINT CB_GETLBTEXT = 0x0148;
constexpr UINT CB_GETLBTEXTLEN = 0x0149;
constexpr UINT CB_INSERTSTRING = 0x014A;
constexpr UINT CB_RESETCONTENT = 0x014B;
constexpr UINT CB_FINDSTRING = 0x014C;
constexpr UINT CB_SETCURSEL = 0x014E;
constexpr UINT CB_GETITEMDATA = 0x0150;
constexpr UINT CB_SETITEMDATA = 0x0151;
constexpr LRESULT CB_ERR = -1;
constexpr WORD CBN_SELCHANGE = 1;

// Button messages and notifications.
constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr WPARAM BST_UNCHECKED = 0;
constexpr WPARAM BST_CHECKED = 1;
constexpr WORD BN_CLICKED = 0;

// Dialog styles the templates use.
constexpr DWORD DS_MODALFRAME = 0x00000080;
constexpr DWORD WS_VSCROLL = 0x00200000;

// A dialog template: what a resource script's DIALOG statement holds. Positions
// and sizes are in dialog units.
enum class DialogControl {
  DefPushButton,
  PushButton,
  Picture,      // shows a bitmap resource, sunken border
  StaticText,
  Frame,        // an etched frame without caption
  DropDownList, // a combo box with a drop-down list that cannot be edited
  AutoCheckBox,
};

struct DialogItemTemplate {
  DialogControl kind;
  int id;            // -1 for static controls nobody addresses
  const char* text;  // Picture: unused (see bitmap)
  int x, y, cx, cy;
  DWORD style;       // WS_VSCROLL, ...
  int bitmap;        // Picture: the bitmap resource
};

struct DialogTemplate {
  const char* caption;
  DWORD style;
  int cx, cy;
  const char* fontName;
  int pointSize;
  const DialogItemTemplate* items;
  int itemCount;
};

// The program's resources: dialog templates, and bitmaps named by the data file
// that holds them. Adding an id again replaces it.
void AddDialogResource(int id, const DialogTemplate* dialogTemplate);
void AddBitmapResource(int id, const char* dataFile);

// Runs a modal dialog from the template resource `name` (MAKEINTRESOURCEA(id))
// owned by `owner`: WM_INITDIALOG (lParam = param), then messages until the
// dialog procedure calls EndDialog. Returns EndDialog's result, -1 when the
// template is missing or no dialog window can be made.
INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param);
BOOL EndDialog(HWND dialog, INT_PTR result);

// Controls. Their handles are only good for the calls below.
HWND GetDlgItem(HWND dialog, int id);
LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
BOOL EnableWindow(HWND control, BOOL enable);
BOOL IsWindowEnabled(HWND control);
UINT IsDlgButtonChecked(HWND dialog, int id);
