// The fast path for any x86-64 processor, and the choice of the AVX2 build of
// the same loops where the processor has it.
#include "platform/dx/rasterizer_span_loops.h"

#include "platform/dx/dx_internal.h"

// From rasterizer_spans_avx2.cpp; false when that build is not available.
bool DrawSpansAvx2(const TriangleSetup& t, const RasterTarget& target, const RasterState& state);

namespace {
const bool processorHasAvx2 = [] {
  __builtin_cpu_init();  // may run before the library's own start-up code
  return __builtin_cpu_supports("avx2") != 0;
}();
bool wideSpans = true;
}  // namespace

void DxUseWideSpanLoops(bool wide) {
  DxFlushRaster();  // the drawing threads read it
  wideSpans = wide;
}

void RasterizeSpans(const TriangleSetup& t, const RasterTarget& target, const RasterState& state) {
  if (wideSpans && processorHasAvx2 && DrawSpansAvx2(t, target, state)) return;
  DrawSpans(t, target, state);
}
