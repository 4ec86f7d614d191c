// The modal dialog and its controls: templates kept as resources, a dialog
// window in the window stand-in whose messages go to the dialog procedure, and
// combo boxes, buttons and check boxes as plain records that answer the Win32
// messages. With a display the view draws them; without one the headless user
// answers the dialog.
#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "platform/dialog/dialog_internal.h"
#include "platform/win/win_platform.h"

namespace {

constexpr const char* kDialogClass = "#32770";

struct DialogState {
  std::map<int, const DialogTemplate*> templates;
  std::map<int, std::string> bitmaps;
  std::vector<std::unique_ptr<DialogRecord>> running;  // innermost last
  DialogUser headlessUser = nullptr;
};

// Resources are added while the program starts (static initialisation), so the
// state is made on first use.
DialogState& State() {
  static DialogState state;
  return state;
}

DialogItemState* FindItem(DialogRecord& d, int id) {
  for (auto& item : d.items) {
    if (item.item->id == id && id != -1) return &item;
  }
  return nullptr;
}

DialogItemState* FindControl(HWND control) {
  for (auto& d : State().running) {
    for (auto& item : d->items) {
      if (reinterpret_cast<HWND>(&item) == control) return &item;
    }
  }
  return nullptr;
}

HWND Handle(DialogItemState* item) { return reinterpret_cast<HWND>(item); }

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  const size_t n = std::strlen(prefix);
  if (n == 0 || text.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (std::toupper(static_cast<unsigned char>(text[i])) != std::toupper(static_cast<unsigned char>(prefix[i])))
      return false;
  }
  return true;
}

bool ValidIndex(const DialogItemState& c, WPARAM index) { return index < c.texts.size(); }

LRESULT ComboMessage(DialogItemState& c, UINT message, WPARAM wParam, LPARAM lParam) {
  const int count = static_cast<int>(c.texts.size());
  const int index = static_cast<int>(static_cast<std::intptr_t>(wParam));
  switch (message) {
    case CB_ADDSTRING:
    case CB_INSERTSTRING: {
      if (!lParam) return CB_ERR;
      const char* text = reinterpret_cast<const char*>(lParam);
      const int at = (message == CB_ADDSTRING || index < 0 || index > count) ? count : index;
      if (message == CB_INSERTSTRING && index > count) return CB_ERR;
      c.texts.insert(c.texts.begin() + at, text);
      c.data.insert(c.data.begin() + at, 0);
      if (c.selection >= at) ++c.selection;
      return at;
    }
    case CB_GETCOUNT:
      return count;
    case CB_GETCURSEL:
      return c.selection >= 0 ? c.selection : CB_ERR;
    case CB_SETCURSEL:
      if (!ValidIndex(c, wParam)) {
        c.selection = -1;
        return CB_ERR;
      }
      c.selection = index;
      return index;
    case CB_GETLBTEXT:
      if (!ValidIndex(c, wParam) || !lParam) return CB_ERR;
      std::memcpy(reinterpret_cast<char*>(lParam), c.texts[index].c_str(), c.texts[index].size() + 1);
      return static_cast<LRESULT>(c.texts[index].size());
    case CB_GETLBTEXTLEN:
      return ValidIndex(c, wParam) ? static_cast<LRESULT>(c.texts[index].size()) : CB_ERR;
    case CB_RESETCONTENT:
      c.texts.clear();
      c.data.clear();
      c.selection = -1;
      return 0;
    case CB_FINDSTRING: {
      // Searches from the entry after `start` (from the top for -1), wrapping
      // round, for the first entry that begins with the text in any case.
      if (!lParam || count == 0) return CB_ERR;
      const char* prefix = reinterpret_cast<const char*>(lParam);
      const int start = (index < 0 || index >= count) ? -1 : index;
      for (int n = 1; n <= count; ++n) {
        const int i = (start + n) % count;
        if (StartsWithNoCase(c.texts[i], prefix)) return i;
      }
      return CB_ERR;
    }
    case CB_GETITEMDATA:
      return ValidIndex(c, wParam) ? c.data[index] : CB_ERR;
    case CB_SETITEMDATA:
      if (!ValidIndex(c, wParam)) return CB_ERR;
      c.data[index] = lParam;
      return 0;
    default:
      return 0;
  }
}

LRESULT ButtonMessage(DialogItemState& b, UINT message, WPARAM wParam) {
  switch (message) {
    case BM_GETCHECK:
      return static_cast<LRESULT>(b.check);
    case BM_SETCHECK:
      b.check = wParam == BST_CHECKED ? BST_CHECKED : BST_UNCHECKED;
      return 0;
    default:
      return 0;
  }
}

// The dialog window's procedure: everything goes to the dialog procedure first;
// the close box becomes Cancel, as the platform's default dialog handling does.
LRESULT DialogWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DialogRecord* d = FindDialog(window);
  if (!d) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_CLOSE) {
    d->proc(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return 0;
  }
  if (d->proc(window, message, wParam, lParam)) return TRUE;
  return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterDialogClass() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DialogWindowProc;
  wc.lpszClassName = kDialogClass;
  // Already registered since the window stand-in started: nothing to do.
  RegisterClassA(&wc);
}

const DialogItemState* DefaultButton(DialogRecord& d) {
  for (auto& item : d.items) {
    if (item.item->kind == DialogControl::DefPushButton) return &item;
  }
  return nullptr;
}

}  // namespace

DialogRecord* FindDialog(HWND dialog) {
  for (auto& d : State().running) {
    if (d->window == dialog) return d.get();
  }
  return nullptr;
}

void AddDialogResource(int id, const DialogTemplate* dialogTemplate) { State().templates[id] = dialogTemplate; }

void AddBitmapResource(int id, const char* dataFile) { State().bitmaps[id] = dataFile ? dataFile : ""; }

const std::string* BitmapResourceFile(int id) {
  auto it = State().bitmaps.find(id);
  return it == State().bitmaps.end() ? nullptr : &it->second;
}

int DialogUnitsToPixelsX(int units) { return (units * 6 + 2) / 4; }
int DialogUnitsToPixelsY(int units) { return (units * 13 + 4) / 8; }

INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param) {
  const int id = static_cast<int>(reinterpret_cast<std::uintptr_t>(name));
  auto found = State().templates.find(id);
  if (found == State().templates.end() || !found->second || !proc) return -1;
  const DialogTemplate* t = found->second;

  auto record = std::make_unique<DialogRecord>();
  record->dialogTemplate = t;
  record->proc = proc;
  record->items.reserve(static_cast<size_t>(t->itemCount));
  for (int i = 0; i < t->itemCount; ++i) record->items.push_back(DialogItemState{&t->items[i], true, BST_UNCHECKED, {}, {}, -1});

  RegisterDialogClass();
  HWND window = CreateWindowExA(0, kDialogClass, t->caption, t->style, CW_USEDEFAULT, CW_USEDEFAULT,
                                DialogUnitsToPixelsX(t->cx), DialogUnitsToPixelsY(t->cy), owner, nullptr, instance,
                                nullptr);
  if (!window) return -1;
  record->window = window;
  DialogRecord* d = record.get();
  State().running.push_back(std::move(record));

  SendMessageA(window, WM_INITDIALOG, 0, param);
  if (!d->ended) {
    ShowWindow(window, SW_SHOW);
    if (!WinSdlWindow(window) || !RunDialogView(*d)) {
      DialogUser user = State().headlessUser ? State().headlessUser : DialogAcceptAsUser;
      user(window);
      // Nobody is left to answer: a dialog still open counts as cancelled.
      if (!d->ended) EndDialog(window, 0);
    }
  }
  const INT_PTR result = d->result;
  DestroyWindow(window);
  std::erase_if(State().running, [d](const auto& r) { return r.get() == d; });
  return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  DialogRecord* d = FindDialog(dialog);
  if (!d) return FALSE;
  d->ended = true;
  d->result = result;
  ShowWindow(dialog, SW_HIDE);
  return TRUE;
}

HWND GetDlgItem(HWND dialog, int id) {
  DialogRecord* d = FindDialog(dialog);
  DialogItemState* item = d ? FindItem(*d, id) : nullptr;
  return item ? Handle(item) : nullptr;
}

LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  DialogRecord* d = FindDialog(dialog);
  DialogItemState* item = d ? FindItem(*d, id) : nullptr;
  if (!item) return 0;
  switch (item->item->kind) {
    case DialogControl::DropDownList:
      return ComboMessage(*item, message, wParam, lParam);
    case DialogControl::AutoCheckBox:
    case DialogControl::DefPushButton:
    case DialogControl::PushButton:
      return ButtonMessage(*item, message, wParam);
    default:
      return 0;
  }
}

BOOL EnableWindow(HWND control, BOOL enable) {
  DialogItemState* item = FindControl(control);
  if (!item) return FALSE;
  const bool wasDisabled = !item->enabled;
  item->enabled = enable != FALSE;
  return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND control) {
  const DialogItemState* item = FindControl(control);
  return item && item->enabled ? TRUE : FALSE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
  return static_cast<UINT>(SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0));
}

const DialogTemplate* DialogTemplateOf(HWND dialog) {
  DialogRecord* d = FindDialog(dialog);
  return d ? d->dialogTemplate : nullptr;
}

const DialogItemState* DialogItem(HWND dialog, int id) {
  DialogRecord* d = FindDialog(dialog);
  return d ? FindItem(*d, id) : nullptr;
}

bool DialogEnded(HWND dialog) {
  DialogRecord* d = FindDialog(dialog);
  return !d || d->ended;
}

bool DialogUserChoose(HWND dialog, int id, int index) {
  DialogRecord* d = FindDialog(dialog);
  DialogItemState* item = d ? FindItem(*d, id) : nullptr;
  if (!item || d->ended || !item->enabled || item->item->kind != DialogControl::DropDownList) return false;
  if (index < 0 || index >= static_cast<int>(item->texts.size())) return false;
  item->selection = index;
  d->proc(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), CBN_SELCHANGE), reinterpret_cast<LPARAM>(item));
  return true;
}

bool DialogUserClick(HWND dialog, int id) {
  DialogRecord* d = FindDialog(dialog);
  DialogItemState* item = d ? FindItem(*d, id) : nullptr;
  if (!item || d->ended || !item->enabled) return false;
  const DialogControl kind = item->item->kind;
  if (kind != DialogControl::AutoCheckBox && kind != DialogControl::PushButton && kind != DialogControl::DefPushButton)
    return false;
  if (kind == DialogControl::AutoCheckBox) item->check = item->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
  d->proc(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), reinterpret_cast<LPARAM>(item));
  return true;
}

void DialogUserClose(HWND dialog) {
  if (FindDialog(dialog) && !DialogEnded(dialog)) SendMessageA(dialog, WM_CLOSE, 0, 0);
}

void DialogSetHeadlessUser(DialogUser user) { State().headlessUser = user; }

void DialogAcceptAsUser(HWND dialog) {
  DialogRecord* d = FindDialog(dialog);
  if (!d) return;
  const DialogItemState* ok = DefaultButton(*d);
  if (ok && !ok->enabled) {
    for (auto& item : d->items) {
      if (item.item->kind == DialogControl::DropDownList && item.enabled && item.selection < 0 && !item.texts.empty())
        DialogUserChoose(dialog, item.item->id, 0);
    }
  }
  if (ok && !d->ended) DialogUserClick(dialog, ok->item->id);
  if (!d->ended) DialogUserClose(dialog);
}
