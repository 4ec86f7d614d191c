// The music library's calls that the demo makes: start-up, background play,
// module loading, playing, stopping and shutdown. Realised over libopenmpt.
#pragma once

#include <cstdint>

#include "platform/win/win32.h"

struct MidasModuleRecord;
using MIDASmodule = MidasModuleRecord*;
using MIDASmodulePlayHandle = DWORD;

BOOL MIDASstartup();
BOOL MIDASsetOption(int option, std::uintptr_t value);
BOOL MIDASinit();
BOOL MIDASstartBackgroundPlay(DWORD pollRate);
// Loads "Midas\t1.xm" and the like through the data-file stand-in; null when the
// file is missing or not a module.
MIDASmodule MIDASloadModule(const char* fileName);
// Plays the module from its start; it starts over at its end until stopped.
MIDASmodulePlayHandle MIDASplayModule(MIDASmodule module, BOOL loopSong);
BOOL MIDASstopModule(MIDASmodulePlayHandle playHandle);
BOOL MIDASfreeModule(MIDASmodule module);
BOOL MIDASstopBackgroundPlay();
BOOL MIDASclose();
