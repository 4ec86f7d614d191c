// The fast path in WebAssembly: the two-pixel span loops, whose SSE2
// intrinsics emscripten's compatibility headers turn into WebAssembly SIMD
// (-msse2 -msimd128). There is no wider build to choose.
#include "platform/dx/dx_internal.h"
#include "platform/dx/rasterizer_span_loops.h"

void DxUseWideSpanLoops(bool) {}

void RasterizeSpans(const TriangleSetup& t, const RasterTarget& target, const RasterState& state) {
  DrawSpans(t, target, state);
}
