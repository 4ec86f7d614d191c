// bench_fill's work drawn by Mesa's llvmpipe through OSMesa, the peer its
// figures are compared with.
#pragma once

#include <cstdint>

// Makes the 640 x 480 RGB565 context with a 16-bit depth buffer and the
// texture, once. False when OSMesa cannot make them.
bool LlvmpipeStart();
// The GL renderer string (names llvmpipe and its vector width).
const char* LlvmpipeRenderer();
// LP_NUM_THREADS as llvmpipe reads it (0: not set).
int LlvmpipeThreads();
// One frame: clear, four layers back to front, then glFinish.
void LlvmpipeFrame(bool textured, bool additive, bool small);
// The colour buffer, 640 x 480 RGB565, first row at the bottom.
const std::uint16_t* LlvmpipePixels();
