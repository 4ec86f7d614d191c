// What the dialog stand-in offers beyond the Win32 calls: a person's actions on
// a dialog (choosing a list entry, clicking a button or check box, closing it),
// the controls' state for the view and for tests, and the hooks tests use.
// Never used by the engine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/dialog/dialog.h"

// One control of a running dialog as the user sees it.
struct DialogItemState {
  const DialogItemTemplate* item;
  bool enabled;
  WPARAM check;                    // AutoCheckBox: BST_CHECKED or BST_UNCHECKED
  std::vector<std::string> texts;  // DropDownList entries, in list order
  std::vector<LPARAM> data;        // their item data
  int selection;                   // DropDownList: -1 when none
};

const DialogTemplate* DialogTemplateOf(HWND dialog);
const DialogItemState* DialogItem(HWND dialog, int id);
bool DialogEnded(HWND dialog);

// A person's actions. Each does what the control would do and tells the dialog
// procedure with WM_COMMAND; a disabled control ignores them (false).
bool DialogUserChoose(HWND dialog, int id, int index);  // pick a drop-down entry
bool DialogUserClick(HWND dialog, int id);              // a button or check box
void DialogUserClose(HWND dialog);                      // the caption's close box

// Without a display nobody can answer a dialog: this stands in for the person.
// The default accepts it: when the default button is disabled it first picks the
// first entry of every enabled drop-down list that has no selection, then it
// presses the default button, and when the dialog is still open, closes it.
using DialogUser = void (*)(HWND dialog);
void DialogSetHeadlessUser(DialogUser user);  // null: the default
void DialogAcceptAsUser(HWND dialog);

// Dialog units to pixels for the 8-point dialog font (6 x 13 pixel base units).
int DialogUnitsToPixelsX(int units);
int DialogUnitsToPixelsY(int units);

// Called once per frame of the dialog's view, after drawing and before showing
// the frame (tests: screenshots, synthesised keys).
using DialogViewObserver = void (*)(HWND dialog, int frame);
void DialogSetViewObserver(DialogViewObserver observer);
// The view's frame as drawn so far, as tightly packed RGB rows (from an observer).
bool DialogViewReadPixels(std::vector<std::uint8_t>& rgb, int* width, int* height);

// A bitmap file as 8-bit RGBA rows, top row first: uncompressed 8-bit (256
// colours) or 24-bit Windows BMP. False, with a reason, for anything else.
struct DialogBitmap {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;
};
bool DialogReadBitmap(const std::vector<std::uint8_t>& file, DialogBitmap* bitmap, std::string* error);
// The bitmap resource `id` read from its data file; false when it is missing or unreadable.
bool DialogLoadBitmapResource(int id, DialogBitmap* bitmap, std::string* error);
