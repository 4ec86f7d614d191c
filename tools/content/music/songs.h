// The demo's three compositions, each built into a complete module.
#pragma once

#include "tools/content/music/xm_writer.h"

// t3.xm: the main theme under the first five scenes. A minor, 140 BPM.
XmModule ComposeMainTheme();
// t2.xm: darker and heavier, under the Cross and Dante scenes. E minor, 107 BPM.
XmModule ComposeDarkTheme();
// t1.xm: calm and warm, under the Outro. F major, 84 BPM.
XmModule ComposeOutroTheme();
