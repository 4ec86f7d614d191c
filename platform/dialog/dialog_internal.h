// Between the dialog model and its view (platform/dialog only).
#pragma once

#include <string>
#include <vector>

#include "platform/dialog/dialog_platform.h"

struct DialogRecord {
  HWND window = nullptr;
  const DialogTemplate* dialogTemplate = nullptr;
  DLGPROC proc = nullptr;
  std::vector<DialogItemState> items;  // never resized while the dialog runs: handles point into it
  bool ended = false;
  INT_PTR result = 0;
};

DialogRecord* FindDialog(HWND dialog);
// The data file a bitmap resource is read from; null when there is no such resource.
const std::string* BitmapResourceFile(int id);
// Runs the view until the dialog has ended; false when it cannot be shown.
bool RunDialogView(DialogRecord& dialog);
