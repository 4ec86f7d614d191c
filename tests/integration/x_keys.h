// A person at an X display, for tests that run the program as a separate
// process: find its windows by title and press keys in them.
#pragma once

#include <string>

struct XDesk;

// Connects to the display in DISPLAY; null when there is none.
XDesk* XDeskOpen();
void XDeskClose(XDesk* desk);
// Waits up to `timeoutMs` for a shown top-level window with this exact title.
bool XDeskWaitForWindow(XDesk* desk, const std::string& title, int timeoutMs, unsigned long* window);
// Gives a window the keyboard and types a key (an X keysym name such as
// "Return") as a keyboard would (XTest), holding Alt when asked. False when
// the key or the XTest extension is missing.
bool XDeskPressKey(XDesk* desk, unsigned long window, const char* keysym, bool alt = false);
// The window's size as the server has it.
bool XDeskWindowSize(XDesk* desk, unsigned long window, int* width, int* height);
