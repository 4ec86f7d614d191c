// The span loops built for processors with AVX2, four pixels at a time. Only
// GCC builds them (other compilers get the portable loops): everything below
// the pragma, and nothing included before it, is compiled for AVX2, so the
// shared inline helpers of the headers stay portable.
#include "platform/dx/rasterizer.h"

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)

#include <immintrin.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>

#pragma GCC push_options
#pragma GCC target("avx2")
#define KAVRET_WIDE_SPANS 1
#include "platform/dx/rasterizer_span_loops.h"

bool DrawSpansAvx2(const TriangleSetup& t, const RasterTarget& target, const RasterState& state) {
  DrawSpans(t, target, state);
  return true;
}
#pragma GCC pop_options

#else

bool DrawSpansAvx2(const TriangleSetup&, const RasterTarget&, const RasterState&) { return false; }

#endif
