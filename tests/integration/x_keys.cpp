#include "x_keys.h"

#include <dlfcn.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <thread>

struct XDesk {
  Display* display;
};

XDesk* XDeskOpen() {
  Display* display = XOpenDisplay(nullptr);
  return display ? new XDesk{display} : nullptr;
}

void XDeskClose(XDesk* desk) {
  if (!desk) return;
  XCloseDisplay(desk->display);
  delete desk;
}

namespace {

bool FindShown(Display* display, const std::string& title, ::Window* found) {
  ::Window root = DefaultRootWindow(display), parent, *children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, root, &root, &parent, &children, &count)) return false;
  bool ok = false;
  for (unsigned int i = 0; i < count && !ok; ++i) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.map_state != IsViewable) continue;
    char* name = nullptr;
    if (XFetchName(display, children[i], &name) && name) {
      ok = title == name;
      XFree(name);
    }
    if (ok) *found = children[i];
  }
  if (children) XFree(children);
  return ok;
}

}  // namespace

bool XDeskWaitForWindow(XDesk* desk, const std::string& title, int timeoutMs, unsigned long* window) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < until) {
    ::Window found = 0;
    if (FindShown(desk->display, title, &found)) {
      *window = found;
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

namespace {

// The XTest extension types keys as a keyboard would. Loaded at run time: only
// its library, not its headers, is on every machine that has X.
using FakeKeyEvent = int (*)(Display*, unsigned int keycode, Bool press, unsigned long delay);
FakeKeyEvent LoadFakeKeyEvent() {
  static FakeKeyEvent fake = [] {
    void* library = dlopen("libXtst.so.6", RTLD_NOW | RTLD_LOCAL);
    return library ? reinterpret_cast<FakeKeyEvent>(dlsym(library, "XTestFakeKeyEvent")) : nullptr;
  }();
  return fake;
}

bool SendKey(Display* display, const char* keysym, bool press) {
  const KeySym sym = XStringToKeysym(keysym);
  const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(display, sym);
  FakeKeyEvent fake = LoadFakeKeyEvent();
  if (code == 0 || !fake) return false;
  fake(display, code, press ? True : False, CurrentTime);
  XSync(display, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  return true;
}

}  // namespace

bool XDeskPressKey(XDesk* desk, unsigned long window, const char* keysym, bool alt) {
  Display* display = desk->display;
  // Without a window manager nobody gives the window the keyboard: do it here.
  XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
  XSync(display, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  bool ok = true;
  if (alt) ok = SendKey(display, "Alt_L", true);
  ok = ok && SendKey(display, keysym, true) && SendKey(display, keysym, false);
  if (alt) SendKey(display, "Alt_L", false);
  return ok;
}

bool XDeskWindowSize(XDesk* desk, unsigned long window, int* width, int* height) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(desk->display, window, &attributes)) return false;
  *width = attributes.width;
  *height = attributes.height;
  return true;
}
