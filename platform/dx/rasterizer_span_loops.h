// The span loops behind the fast path, included by two translation units: one
// for any x86-64 processor (pairs of pixels in SSE2 registers), one built for
// AVX2 (KAVRET_WIDE_SPANS, four pixels in a 256-bit register). The per-pixel
// arithmetic (rasterizer_span_pixels.h) is written once for both widths, so
// both give the same pixels.
//
// Per triangle: its rows' covered columns, walked exactly from the edge
// functions, and the loop specialised for the state (textured, z test, z
// write, additive, dither). Per row: colour and depth at the span's start and
// their steps in fixed point. Per segment of a row: the texture coordinates.
// They are stepped linearly over a whole triangle where that stays within
// 1/16 texel of the perspective-correct value; elsewhere they are divided for
// perspective at the ends of segments of up to 256 pixels, each short enough
// that linear steps stay that close and that both its ends take the same mip
// level, and stepped linearly in between. Then the segment's pixels, two or
// four at a time. The per-row and per-segment set-up works in double lanes
// with exact conversions, so it gives the very values the scalar formulas of
// the reference path give.
#pragma once

#ifndef KAVRET_WIDE_SPANS
#define KAVRET_WIDE_SPANS 0
#endif

#include <immintrin.h>
#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "platform/dx/rasterizer.h"
#include "platform/dx/rasterizer_span_pixels.h"

namespace {

// Texture coordinates are divided for perspective at the ends of segments of
// up to kLongSegment pixels, each as long as stepping them linearly stays
// within kSegmentError texels of the divided value; long ones are cut to whole
// runs of kSegment pixels.
constexpr int kSegment = 16;
constexpr int kLongSegment = 256;
constexpr double kSegmentError = 1.0 / 16;

// Two doubles truncated toward zero to 32-bit integers in the low lanes. Every
// caller passes values well inside the int range. WebAssembly has this
// instruction; its SSE2 compatibility header converts lane by lane instead.
[[gnu::always_inline]] inline __m128i TruncatePair(__m128d v) {
#if defined(__wasm_simd128__)
  return wasm_i32x4_trunc_sat_f64x2_zero(v);
#else
  return _mm_cvttpd_epi32(v);
#endif
}

// max(v, lo) then min(v, hi) lane by lane, as SSE2's maxpd and minpd take
// them (a NaN becomes lo). WebAssembly's pmax and pmin are those instructions
// with their operands the other way round; the compatibility header builds
// them from a compare and a select instead.
[[gnu::always_inline]] inline __m128d ClampPair(__m128d v, __m128d lo, __m128d hi) {
#if defined(__wasm_simd128__)
  return wasm_f64x2_pmin(hi, wasm_f64x2_pmax(lo, v));
#else
  return _mm_min_pd(_mm_max_pd(v, lo), hi);
#endif
}

// std::floor without the library call (SSE2 has no rounding instruction):
// below 2^52 truncate through a 64-bit integer and step down where that went
// up; larger values, infinities and NaN are their own floor.
[[gnu::always_inline]] inline double Floor(double v) {
#if KAVRET_WIDE_SPANS
  // The rounding instruction gives the same (but -0 for -0, which no caller
  // tells apart from 0).
  return _mm_cvtsd_f64(_mm_floor_sd(_mm_setzero_pd(), _mm_set_sd(v)));
#elif defined(__wasm__)
  return __builtin_floor(v);  // one instruction there
#else
  if (!(std::fabs(v) < 0x1p52)) return v;
  const auto t = static_cast<std::int64_t>(v);
  return static_cast<double>(t - (static_cast<double>(t) > v ? 1 : 0));
#endif
}

// floor(n / d) for d > 0. Below 2^52 through a double division: the quotient
// of two such integers rounds to the right side of every integer, so its floor
// is exact (and much cheaper than a 64-bit integer division).
std::int64_t FloorDiv(std::int64_t n, std::int64_t d) {
  constexpr std::int64_t kExact = std::int64_t{1} << 52;
  if (n > -kExact && n < kExact && d < kExact)
    return static_cast<std::int64_t>(Floor(static_cast<double>(n) / static_cast<double>(d)));
  std::int64_t q = n / d;
  if ((n % d != 0) && (n < 0)) --q;
  return q;
}

// One edge's bound on the columns of a row, stepped from row to row without
// dividing: floor(k / d) as a quotient and a remainder, k = eb y + ec.
struct EdgeWalk {
  std::int64_t q, r, d;  // floor(k / d), k - q d in [0, d), d = |ea| (1 when ea = 0)
  std::int64_t dq, dr;   // eb = dq d + dr, dr in [0, d)
  int kind;              // ea > 0: columns x >= -q; ea < 0: x <= q; ea = 0: all or none (q >= 0)

  void Start(std::int64_t ea, std::int64_t eb, std::int64_t ec, int y) {
    kind = (ea > 0) - (ea < 0);
    d = std::max<std::int64_t>(ea < 0 ? -ea : ea, 1);
    const std::int64_t k = eb * y + ec;
    q = FloorDiv(k, d);
    r = k - q * d;
    dq = FloorDiv(eb, d);
    dr = eb - dq * d;
  }
  void NextRow() {
    // Without a branch: whether the remainder carries is data, not a pattern.
    r += dr;
    const std::int64_t carry = r >= d;
    q += dq + carry;
    r -= d & -carry;
  }
};

// Two planes side by side, evaluated as RasterPlane::At does (a x + b y + c)
// and converted as DepthFixed / ColorFixed do: clamped, scaled, rounded.
struct PlanePair {
  __m128d a, b, c, lo, hi, scale;
};

PlanePair PairOf(const RasterPlane& p0, const RasterPlane& p1, double hi0, double scale0, double hi1, double scale1) {
  return PlanePair{_mm_setr_pd(p0.a, p1.a), _mm_setr_pd(p0.b, p1.b), _mm_setr_pd(p0.c, p1.c), _mm_setzero_pd(),
                   _mm_setr_pd(hi0, hi1),   _mm_setr_pd(scale0, scale1)};
}

// Both values at (x, y) in fixed point, in the low two 32-bit lanes. After the
// clamp they are non-negative and below 2^31, so truncating v + 0.5 rounds as
// ToFixed does.
[[gnu::always_inline]] inline __m128i FixedAt(const PlanePair& p, double x, double y) {
  __m128d v = _mm_add_pd(_mm_add_pd(_mm_mul_pd(p.a, _mm_set1_pd(x)), _mm_mul_pd(p.b, _mm_set1_pd(y))), p.c);
  v = ClampPair(v, p.lo, p.hi);
  return TruncatePair(_mm_add_pd(_mm_mul_pd(v, p.scale), _mm_set1_pd(0.5)));
}

// Reciprocals of counts, made a hair larger: 1/n (1 + 2^-40). For an integer
// d with |d| < 2^39 / n, d times this truncates to what d / n truncates to: an
// exact multiple k n lands just above k instead of just below, and any other d
// stays more than 1/n - (k + 1) 2^-39 > 0 away from the next integer.
// The tables here are built by the compiler: a table built when the program
// starts would run code of the AVX2 build on any processor.
constexpr int kReciprocals = 2048;
struct StepReciprocals {
  double of[kReciprocals];
};
constexpr StepReciprocals MakeStepReciprocals() {
  StepReciprocals r{};
  for (int n = 1; n < kReciprocals; ++n) r.of[n] = (1.0 / n) * (1.0 + 0x1p-40);
  return r;
}
constexpr StepReciprocals stepReciprocals = MakeStepReciprocals();

// Per-pixel steps from the values at both ends of a span of `count` pixels,
// truncated toward zero as an integer division would (the difference is exact
// in a double, below 2^32, and so is the truncated quotient).
[[gnu::always_inline]] inline __m128i StepOver(__m128i first, __m128i last, int count) {
  const __m128d diff = _mm_sub_pd(_mm_cvtepi32_pd(last), _mm_cvtepi32_pd(first));
  if (count < kReciprocals) return TruncatePair(_mm_mul_pd(diff, _mm_set1_pd(stepReciprocals.of[count])));
  return TruncatePair(_mm_div_pd(diff, _mm_set1_pd(count)));
}

// TexelFixed for a (u, v) pair: (coord - tile) * size * 65536, saturated and
// rounded as ToFixed does, minus half a texel. `scale` is size * 65536, a
// power of two, so the product is the same exact one.
[[gnu::always_inline]] inline __m128i TexelPairFixed(__m128d coord, __m128d tile, __m128d scale) {
  __m128d v = _mm_mul_pd(_mm_sub_pd(coord, tile), scale);
  // max first: a NaN becomes the lower bound, as in ToFixed.
  v = ClampPair(v, _mm_set1_pd(-2147483000.0), _mm_set1_pd(2147483000.0));
  v = _mm_add_pd(v, _mm_set1_pd(0.5));
#if KAVRET_WIDE_SPANS
  return _mm_sub_epi32(_mm_cvttpd_epi32(_mm_floor_pd(v)), _mm_set1_epi32(0x8000));
#elif defined(__wasm_simd128__)
  return _mm_sub_epi32(TruncatePair(wasm_f64x2_floor(v)), _mm_set1_epi32(0x8000));
#else
  // floor: truncate, then one less where truncation went up (negative fractions).
  const __m128i t = TruncatePair(v);
  const __m128i up = _mm_shuffle_epi32(_mm_castpd_si128(_mm_cmpgt_pd(_mm_cvtepi32_pd(t), v)), _MM_SHUFFLE(3, 3, 2, 0));
  return _mm_sub_epi32(_mm_add_epi32(t, up), _mm_set1_epi32(0x8000));
#endif
}

// Texture coordinates stepped linearly across a whole triangle, where that is
// as good as dividing per segment: small or nearly face-on triangles, the most
// common kind, then need no division and no mip choice per row.
struct LinearTexture {
  bool use;
  int level;        // the mip level at all three corners, -1 when they differ
  PairLevel sampler;
  __m128d a, b, c;  // the u and v planes side by side
  __m128d scale;    // the level's size * 65536
  __m128i step;     // per pixel, u and v in 16.16, in lanes 0 and 1
};

LinearTexture LinearTextureFor(const TriangleSetup& t, const RasterTexture& tex) {
  LinearTexture l{};
  l.level = -1;
  const double* q = t.vertexQ;
  const double* u = t.vertexU;
  const double* v = t.vertexV;
  const double qMin = std::min({q[0], q[1], q[2]}), qMax = std::max({q[0], q[1], q[2]});
  if (!(qMin > 1e-30)) return l;
  // One mip level for the whole triangle, when its corners agree.
  const int level = MipLevelFor(t, tex, q[0], u[0], v[0]);
  if (MipLevelFor(t, tex, q[1], u[1], v[1]) != level || MipLevelFor(t, tex, q[2], u[2], v[2]) != level) return l;
  l.level = level;
  const double width = static_cast<double>(1 << tex.widthLog2[level]);
  const double height = static_cast<double>(1 << tex.heightLog2[level]);
  const double du = (std::max({u[0], u[1], u[2]}) - std::min({u[0], u[1], u[2]})) * width;
  const double dv = (std::max({v[0], v[1], v[2]}) - std::min({v[0], v[1], v[2]})) * height;
  // Inside, with barycentric weights l_i, the divided u is sum l_i q_i u_i / qbar
  // (qbar = sum l_i q_i) and the linear one sum l_i u_i. They differ by
  // sum l_i (u_i - c) (q_i - qbar) / qbar for any c; with c mid-range that is
  // at most du / 2 (qMax - qMin) / qMin texels.
  if (!(std::max(du, dv) * (qMax - qMin) <= kSegmentError * 2 * qMin)) return l;
  // Coordinates wrapped at a row's start stay far from overflowing 16.16 over the row.
  const double stepU = t.u.a * width * 65536.0, stepV = t.v.a * height * 65536.0;
  if (!(du < 0x1p14 && dv < 0x1p14 && std::fabs(stepU) < 0x1p30 && std::fabs(stepV) < 0x1p30)) return l;
  l.use = true;
  l.sampler = PairLevelOf(tex, level);
  l.a = _mm_setr_pd(t.u.a, t.v.a);
  l.b = _mm_setr_pd(t.u.b, t.v.b);
  l.c = _mm_setr_pd(t.u.c, t.v.c);
  l.scale = _mm_setr_pd(width * 65536.0, height * 65536.0);
  l.step = _mm_setr_epi32(ToFixed(stepU), ToFixed(stepV), 0, 0);
  return l;
}


// Per-pixel steps of colour and depth taken from the triangle's planes, once
// for all its rows. Where the corners' values are in range, every covered
// pixel's value lies between them, and stepping from the rounded value at a
// row's start by steps truncated toward zero stays between that value and the
// plane's (give or take half a unit): never out of range. Otherwise, or for a
// step too steep for 32 bits, each row takes its steps from its two ends.
struct TriangleSteps {
  bool use;
  __m128i bg, rz;  // as FixedAt lays them out
};

TriangleSteps TriangleStepsFor(const TriangleSetup& t) {
  TriangleSteps s{};
  if (!t.cornersInRange) return s;
  const double steps[4] = {t.b.a * 65536.0, t.g.a * 65536.0, t.r.a * 65536.0, t.z.a * kDepthScale};
  for (const double step : steps)
    if (!(std::fabs(step) < 2147483000.0)) return s;
  s.use = true;
  s.bg = TruncatePair(_mm_setr_pd(steps[0], steps[1]));
  s.rz = TruncatePair(_mm_setr_pd(steps[2], steps[3]));
  return s;
}

// Colour and depth planes of a triangle, with their per-pixel steps when the
// triangle has them.
struct ColourPlanes {
  PlanePair bg, rz;  // blue and green, red and depth, side by side
  TriangleSteps steps;
};

[[gnu::always_inline]] inline ColourPlanes ColourPlanesOf(const TriangleSetup& t) {
  return ColourPlanes{PairOf(t.b, t.g, 255.0, 65536.0, 255.0, 65536.0),
                      PairOf(t.r, t.z, 255.0, 65536.0, 1.0, kDepthScale), TriangleStepsFor(t)};
}

// The covered columns of a triangle's rows, walked exactly from its edges. A
// triangle has one or two edges bounding its rows on the left, one or two on
// the right, and at most one level edge, which only admits or rejects whole
// rows. Bounds are taken twice over an edge that is the only one of its side,
// so that every row does the same work without branching on the shape.
struct RowSpans {
  EdgeWalk edges[3];
  const EdgeWalk* lefts[3];
  const EdgeWalk* rights[3];
  const EdgeWalk* level;

  // False when nothing is inside: every edge level or on one side only (set-up
  // refuses these).
  [[gnu::always_inline]] bool Start(const TriangleSetup& t, int y) {
    // Sorted without branches: the triangle's shape is data.
    int leftCount = 0, rightCount = 0;
    level = nullptr;
    for (int i = 0; i < 3; ++i) {
      EdgeWalk& e = edges[i];
      e.Start(t.ea[i], t.eb[i], t.ec[i], y);
      lefts[leftCount] = &e;
      leftCount += e.kind > 0;
      rights[rightCount] = &e;
      rightCount += e.kind < 0;
      level = e.kind == 0 ? &e : level;
    }
    if (leftCount == 0 || rightCount == 0) return false;
    lefts[1] = lefts[leftCount - 1];
    rights[1] = rights[rightCount - 1];
    return true;
  }

  // The covered columns [left, right) of the current row, false when it has
  // none; then on to the next row.
  [[gnu::always_inline]] bool Next(const TriangleSetup& t, int* left, int* right) {
    const std::int64_t lo = std::max<std::int64_t>(t.minX, std::max(-lefts[0]->q, -lefts[1]->q));
    const std::int64_t hi = std::min<std::int64_t>(t.maxX - 1, std::min(rights[0]->q, rights[1]->q));
    const bool empty = level && level->q < 0;
    for (EdgeWalk& e : edges) e.NextRow();
    if (empty || lo > hi) return false;
    *left = static_cast<int>(lo);
    *right = static_cast<int>(hi + 1);
    return true;
  }
};

// Where a row's pixels go; depth is null when the loop has no depth.
struct SpanRow {
  std::uint16_t* colour;
  std::uint16_t* depth;
};

template <SpanKind K>
[[gnu::always_inline]] inline SpanRow RowOf(const RasterTarget& target, int y) {
  SpanRow row{target.color + static_cast<std::ptrdiff_t>(y) * target.colorPitch, nullptr};
  if constexpr (K.Depth()) row.depth = target.depth + static_cast<std::ptrdiff_t>(y) * target.depthPitch;
  return row;
}

// Colour and depth stepped along a row: blue, green and red in 16.16 (32-bit
// lanes) of the pixels at x and x + 1 with their steps per pixel and per
// pair, and depth at x with its step per pixel.
struct ColourWalk {
  __m128i colour0, colour1;
  __m128i step, step2;
  // Unsigned, so that stepping past the span's end cannot overflow.
  std::uint32_t z, zStep;
};

// Colour and depth at the start of the span [left, right) of row y, and their
// per-pixel steps: the triangle's own, or from the values at both ends.
template <SpanKind K>
[[gnu::always_inline]] inline ColourWalk StartColour(const ColourPlanes& p, int left, int right, int y) {
  const __m128i colourMask = _mm_setr_epi32(-1, -1, -1, 0);
  const __m128i bg0 = FixedAt(p.bg, left, y), rz0 = FixedAt(p.rz, left, y);
  __m128i bgStep = p.steps.bg, rzStep = p.steps.rz;
  if (!p.steps.use && right - left > 1) {
    bgStep = StepOver(bg0, FixedAt(p.bg, right - 1, y), right - left - 1);
    rzStep = StepOver(rz0, FixedAt(p.rz, right - 1, y), right - left - 1);
  }
  ColourWalk c{};
  c.step = _mm_and_si128(_mm_unpacklo_epi64(bgStep, rzStep), colourMask);
  c.step2 = _mm_add_epi32(c.step, c.step);
  c.colour0 = _mm_and_si128(_mm_unpacklo_epi64(bg0, rz0), colourMask);
  // Textured, the colour is only used as colour + 1 (MODULATE): add the one here.
  if constexpr (K.textured) c.colour0 = _mm_add_epi32(c.colour0, _mm_setr_epi32(65536, 65536, 65536, 0));
  c.colour1 = _mm_add_epi32(c.colour0, c.step);
  if constexpr (K.Depth()) {
    c.z = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(rz0, 4)));
    c.zStep = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(rzStep, 4)));
  }
  return c;
}

// Texture coordinates over a segment: the level to sample, (u, v) in 16.16 of
// the pixels at x and x + 1, and their steps per pixel and per pair, (u, v) twice.
struct TexelWalk {
  PairLevel sampler;
  __m128i s, step1, step2;
};

[[gnu::always_inline]] inline TexelWalk TexelWalkFrom(const PairLevel& sampler, __m128i start, __m128i step) {
  const __m128i step2 = _mm_add_epi32(step, step);
  return TexelWalk{sampler, _mm_unpacklo_epi64(start, _mm_add_epi32(start, step)), _mm_unpacklo_epi64(step, step),
                   _mm_unpacklo_epi64(step2, step2)};
}

// A whole row in one go, from the wrapped coordinates at its start x.
[[gnu::always_inline]] inline TexelWalk LinearSegment(const LinearTexture& linear, int x, int y) {
  const __m128d uv =
      _mm_add_pd(_mm_add_pd(_mm_mul_pd(linear.a, _mm_set1_pd(x)), _mm_mul_pd(linear.b, _mm_set1_pd(y))), linear.c);
  const __m128d tile = _mm_setr_pd(Floor(_mm_cvtsd_f64(uv)), Floor(_mm_cvtsd_f64(_mm_unpackhi_pd(uv, uv))));
  return TexelWalkFrom(linear.sampler, TexelPairFixed(uv, tile, linear.scale), linear.step);
}

// Perspective-correct texture coordinates along one row, divided at the ends
// of its segments and stepped linearly in between.
struct PerspectiveRow {
  const TriangleSetup* t;
  const RasterTexture* tex;
  int cornerLevel;  // the corners' mip level where they agree, else -1
  int y;
  double qAt;       // q at the last point divided, before it is kept away from zero
  double u0, v0;    // the coordinates at the next segment's start
  int nextLevel;    // the mip level there, when already known, else -1

  [[gnu::always_inline]] void Start(const TriangleSetup& setup, const RasterTexture& texture, int level, int left,
                                    int row) {
    t = &setup;
    tex = &texture;
    cornerLevel = level;
    y = row;
    qAt = t->q.At(left, y);
    const __m128d uv0 =
        _mm_div_pd(_mm_setr_pd(t->uq.At(left, y), t->vq.At(left, y)), _mm_set1_pd(std::max(qAt, 1e-30)));
    u0 = _mm_cvtsd_f64(uv0);
    v0 = _mm_cvtsd_f64(_mm_unpackhi_pd(uv0, uv0));
    nextLevel = -1;
  }

  // The corners' level where they agree, else the level from the values
  // already at hand, unless q was tiny there.
  [[gnu::always_inline]] int LevelAt(int at, double u, double v) const {
    if (cornerLevel >= 0) return cornerLevel;
    return qAt > 1e-30 ? MipLevelFor(*t, *tex, qAt, u, v) : MipLevelAt(*t, *tex, at, y);
  }

  // The divided coordinates at column `end`. Just past the span q may cross
  // zero on a nearly edge-on triangle.
  [[gnu::always_inline]] __m128d CoordsAt(int end) {
    qAt = t->q.At(end, y);
    return _mm_div_pd(_mm_setr_pd(t->uq.At(end, y), t->vq.At(end, y)), _mm_set1_pd(std::max(qAt, 1e-30)));
  }

  // Linear steps from (u0, q0) to (u1, q1) miss the divided value by
  // s (1 - s) (u1 - u0) (q1 - q0) / q(s) at the fraction s of the way, at
  // most |u1 - u0| |q1 - q0| / (sqrt q0 + sqrt q1)^2, and the square is at
  // least q0 + q1 + 2 min(q0, q1). How far over kSegmentError that bound is
  // for a segment from the start to `end` (q there in qAt), as a ratio (NaN
  // when unknown), or 0 where it is plainly within (no more than 1): the
  // quotient of a numerator no larger than a finite denominator is at most
  // 1, so that the division is only needed where the ratio is used.
  [[gnu::always_inline]] double Excess(__m128d end, __m128d size, double qStart) const {
    const double qEnd = std::max(qAt, 1e-30);
    const __m128d du = _mm_mul_pd(_mm_sub_pd(end, _mm_setr_pd(u0, v0)), size);
    const double duMax = std::max(std::fabs(_mm_cvtsd_f64(du)), std::fabs(_mm_cvtsd_f64(_mm_unpackhi_pd(du, du))));
    const double miss = duMax * std::fabs(qEnd - qStart);
    const double allowed = kSegmentError * (qStart + qEnd + 2 * std::min(qStart, qEnd));
    if (miss <= allowed && allowed < std::numeric_limits<double>::infinity()) return 0;
    return miss / allowed;
  }

  // The segment from x: its length, at most n on entry, and its coordinates,
  // from which the next segment starts. Every segment keeps within
  // kSegmentError texels and to one mip level at both ends (the level at the
  // end is the next segment's); where it does not, it is shortened, down to a
  // single pixel, which is exact. The miss grows about as the square of the
  // length: the next try is the length that should fit, in whole runs of 16
  // or 4 pixels where it is that long, or half the length where the levels
  // differ.
  [[gnu::always_inline]] TexelWalk Segment(int x, int& n) {
    n = std::min(kLongSegment, n);
    const int level = nextLevel >= 0 ? nextLevel : LevelAt(x, u0, v0);
    const PairLevel sampler = PairLevelOf(*tex, level);
    const __m128d size = _mm_setr_pd(static_cast<double>(1 << tex->widthLog2[level]),
                                     static_cast<double>(1 << tex->heightLog2[level]));
    const double qStart = std::max(qAt, 1e-30);
    __m128d uv1 = CoordsAt(x + n);
    for (;;) {
      const double over = Excess(uv1, size, qStart);
      if (over <= 1) {
        nextLevel = LevelAt(x + n, _mm_cvtsd_f64(uv1), _mm_cvtsd_f64(_mm_unpackhi_pd(uv1, uv1)));
        if (nextLevel == level) break;
      }
      nextLevel = -1;
      if (n == 1) break;
      const double fit = over <= 1 ? n / 2 : n / std::sqrt(over);
      int shorter = fit >= 1 && fit < n ? static_cast<int>(fit) : n / 2;
      shorter = shorter >= kSegment ? shorter & ~(kSegment - 1) : shorter >= 4 ? shorter & ~3 : shorter;
      n = std::max(shorter, 1);
      uv1 = CoordsAt(x + n);
    }
    // Both ends of the segment are wrapped by the same whole number of tiles.
    const __m128d tile = _mm_setr_pd(Floor(u0), Floor(v0));
    const __m128d scale = _mm_mul_pd(size, _mm_set1_pd(65536.0));
    const __m128i start = TexelPairFixed(_mm_setr_pd(u0, v0), tile, scale);
    const __m128i step = StepOver(start, TexelPairFixed(uv1, tile, scale), n);
    u0 = _mm_cvtsd_f64(uv1);
    v0 = _mm_cvtsd_f64(_mm_unpackhi_pd(uv1, uv1));
    return TexelWalkFrom(sampler, start, step);
  }
};

// Two pixels at x and x + 1 (the second only when `Two`), each depth-tested
// on its own.
template <SpanKind K, bool Two>
[[gnu::always_inline]] inline void DrawPair(const SpanRow& row, int x, const ColourWalk& c, const TexelWalk& texels,
                                            __m128i dither) {
  const auto z0 = static_cast<std::uint16_t>(c.z >> 15);
  const auto z1 = static_cast<std::uint16_t>((c.z + c.zStep) >> 15);
  bool pass0 = true, pass1 = Two;
  if constexpr (K.zTest) {
    pass0 = z0 < row.depth[x];
    if constexpr (Two) pass1 = z1 < row.depth[x + 1];
  }
  if (!pass0 && !pass1) return;
  const std::uint16_t old0 = row.colour[x], old1 = Two ? row.colour[x + 1] : 0;
  __m128i destination = _mm_setzero_si128();
  if constexpr (K.additive) destination = SpreadDestination(old0, old1);
  const __m128i packed = ShadePixels<K>(c.colour0, c.colour1, texels.sampler, texels.s, destination, dither);
  const auto new0 = static_cast<std::uint16_t>(_mm_cvtsi128_si32(packed));
  if constexpr (Two) {
    // Both pixels in one 32-bit store, each the new value where it passed and
    // what it held where it failed: masked, not branched on, so that a
    // compiler cannot shade the pair once per pixel in two branches.
    const std::uint32_t keepNew = ((0u - pass0) & 0xFFFFu) | (0u - pass1) << 16;
    const std::uint32_t colours = new0 | static_cast<std::uint32_t>(_mm_extract_epi16(packed, 4)) << 16;
    const std::uint32_t held = old0 | static_cast<std::uint32_t>(old1) << 16;
    const std::uint32_t pair = (colours & keepNew) | (held & ~keepNew);
    std::memcpy(row.colour + x, &pair, sizeof pair);
    if constexpr (K.zWrite) {
      std::uint32_t depths;
      std::memcpy(&depths, row.depth + x, sizeof depths);
      depths = ((z0 | static_cast<std::uint32_t>(z1) << 16) & keepNew) | (depths & ~keepNew);
      std::memcpy(row.depth + x, &depths, sizeof depths);
    }
  } else {
    row.colour[x] = pass0 ? new0 : old0;
    if constexpr (K.zWrite) row.depth[x] = pass0 ? z0 : row.depth[x];
  }
}

// The n pixels from x, two at a time; colour and depth go on from the
// segment's end.
template <SpanKind K>
[[gnu::always_inline]] inline void DrawPairs(const SpanRow& row, int y, int x, int n, ColourWalk& c,
                                             TexelWalk texels) {
  // The thresholds of the pairs at x and at x + 2 take turns.
  __m128i dither = _mm_setzero_si128(), ditherNext = _mm_setzero_si128();
  if constexpr (K.dither) {
    dither = DitherAt<K, __m128i>(y, x);
    ditherNext = DitherAt<K, __m128i>(y, x + 2);
  }
  for (const int pairEnd = x + (n & ~1); x < pairEnd; x += 2) {
    DrawPair<K, true>(row, x, c, texels, dither);
    if constexpr (K.Depth()) c.z += 2 * c.zStep;
    c.colour0 = _mm_add_epi32(c.colour0, c.step2);
    c.colour1 = _mm_add_epi32(c.colour1, c.step2);
    if constexpr (K.textured) texels.s = _mm_add_epi32(texels.s, texels.step2);
    std::swap(dither, ditherNext);
  }
  // A segment of odd length: its last pixel alone, then colour and depth go
  // on from the next pixel.
  if (n & 1) {
    DrawPair<K, false>(row, x, c, texels, dither);
    if constexpr (K.Depth()) c.z += c.zStep;
    c.colour0 = c.colour1;
    c.colour1 = _mm_add_epi32(c.colour1, c.step);
  }
}

#if KAVRET_WIDE_SPANS
// Four pixels at once: colour of the pixels x, x + 1 | x + 2, x + 3, blue and
// red in colourA, green and the unused lane in colourB (as ColourWords takes
// them), texture coordinates of all four (pairs at x and
// x + 2 in the halves), and twice the depth in 32-bit lanes (modulo 2^32,
// so that the 16-bit z, bits 15 to 30 of depth, is the high half of each).
struct QuadWalk {
  __m256i colourA, colourB, s;
  __m128i z2;
};

// The four pixels from `at`; only the `active` ones (16-bit lanes) when Masked.
template <SpanKind K, bool Masked>
[[gnu::always_inline]] inline void DrawQuad(const SpanRow& row, int at, __m128i active, const QuadWalk& q,
                                            const PairLevel& sampler, __m256i dither) {
  std::uint16_t* colour = row.colour + at;
  // The lanes that keep what the target holds: those not active, and those
  // failing the depth test.
  __m128i keep = _mm_setzero_si128(), z16 = _mm_setzero_si128(), zOld = _mm_setzero_si128();
  if constexpr (Masked) keep = _mm_xor_si128(active, _mm_set1_epi32(-1));
  if constexpr (K.Depth())
    z16 = _mm_shuffle_epi8(q.z2, _mm_setr_epi8(2, 3, 6, 7, 10, 11, 14, 15, -1, -1, -1, -1, -1, -1, -1, -1));
  if constexpr (K.zTest || (Masked && K.zWrite))
    zOld = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row.depth + at));
  // LESS fails where z16 >= zOld, unsigned: where the larger of the two is z16.
  if constexpr (K.zTest) keep = _mm_or_si128(keep, _mm_cmpeq_epi16(_mm_max_epu16(z16, zOld), z16));
  constexpr bool kBlend = K.zTest || Masked;
  // One bit a byte for the four pixels.
  const int kept = K.zTest || Masked ? _mm_movemask_epi8(keep) & 0xFF : 0;
  if (kBlend && kept == 0xFF) return;
  __m256i destination = _mm256_setzero_si256();
  if constexpr (K.additive) destination = SpreadDestination(colour);
  __m128i out = NarrowQuad(ShadePixels<K>(q.colourA, q.colourB, sampler, q.s, destination, dither));
  // Blended only where some lane keeps the target (not often: mostly all four pass).
  if (kBlend && kept != 0) {
    out = _mm_blendv_epi8(out, _mm_loadl_epi64(reinterpret_cast<const __m128i*>(colour)), keep);
    z16 = _mm_blendv_epi8(z16, zOld, keep);
  }
  _mm_storel_epi64(reinterpret_cast<__m128i*>(colour), out);
  if constexpr (K.zWrite) _mm_storel_epi64(reinterpret_cast<__m128i*>(row.depth + at), z16);
}

// The n pixels from x, four at a time (the row is at least four wide): the
// last one to three go as the four pixels ending at the segment's end (or
// starting at column 0), the others masked, read and written back unchanged.
// Colour and depth go on from the segment's end.
template <SpanKind K>
[[gnu::always_inline]] inline void DrawQuads(const SpanRow& row, int y, int x, int n, ColourWalk& c,
                                             const TexelWalk& texels) {
  const int segmentEnd = x + n;
  // Colour of the pixels at x and x + 1, and its steps, split into (b, r) and
  // (g, unused) of each.
  const auto split = [](__m128i p0, __m128i p1, __m128i& br, __m128i& gx) {
    p0 = _mm_shuffle_epi32(p0, _MM_SHUFFLE(3, 1, 2, 0));
    p1 = _mm_shuffle_epi32(p1, _MM_SHUFFLE(3, 1, 2, 0));
    br = _mm_unpacklo_epi64(p0, p1);
    gx = _mm_unpackhi_epi64(p0, p1);
  };
  __m128i colourBR, colourGX, stepBR, stepGX;
  split(c.colour0, c.colour1, colourBR, colourGX);
  split(c.step, c.step, stepBR, stepGX);
  const __m256i stepBR1 = _mm256_broadcastsi128_si256(stepBR), stepGX1 = _mm256_broadcastsi128_si256(stepGX);
  const __m256i stepBR4 = _mm256_slli_epi32(stepBR1, 2), stepGX4 = _mm256_slli_epi32(stepGX1, 2);
  const __m256i sStep4 = _mm256_broadcastsi128_si256(_mm_add_epi32(texels.step2, texels.step2));
  // Depth stepped as the pairs step it, doubled: the same sums modulo 2^32, doubled.
  const __m128i zStep1 = _mm_set1_epi32(static_cast<int>(2 * c.zStep));
  const __m128i zStep4 = _mm_set1_epi32(static_cast<int>(8 * c.zStep));
  QuadWalk q{BothHalves(colourBR, _mm_add_epi32(colourBR, _mm_add_epi32(stepBR, stepBR))),
             BothHalves(colourGX, _mm_add_epi32(colourGX, _mm_add_epi32(stepGX, stepGX))),
             BothHalves(texels.s, _mm_add_epi32(texels.s, texels.step2)),
             _mm_add_epi32(_mm_set1_epi32(static_cast<int>(2 * c.z)),
                           _mm_mullo_epi32(_mm_setr_epi32(0, 1, 2, 3), zStep1))};
  auto ditherAt = [&](int at) { return K.dither ? DitherAt<K, __m256i>(y, at) : _mm256_setzero_si256(); };
  const __m256i dither = ditherAt(x);
  const __m128i all = _mm_set1_epi32(-1);
  for (const int quadEnd = x + (n & ~3); x < quadEnd; x += 4) {
    DrawQuad<K, false>(row, x, all, q, texels.sampler, dither);
    q.colourA = _mm256_add_epi32(q.colourA, stepBR4);
    q.colourB = _mm256_add_epi32(q.colourB, stepGX4);
    if constexpr (K.textured) q.s = _mm256_add_epi32(q.s, sStep4);
    if constexpr (K.Depth()) q.z2 = _mm_add_epi32(q.z2, zStep4);
  }
  if (const int rest = segmentEnd - x; rest > 0) {
    // Lanes before x are drawn already, lanes from the end on are not ours.
    const int at = std::max(segmentEnd - 4, 0);
    const __m128i lane =
        _mm_add_epi16(_mm_set1_epi16(static_cast<short>(at - x)), _mm_setr_epi16(0, 1, 2, 3, 0, 0, 0, 0));
    const __m128i active = _mm_andnot_si128(_mm_cmpgt_epi16(_mm_setzero_si128(), lane),
                                            _mm_cmpgt_epi16(_mm_set1_epi16(static_cast<short>(rest)), lane));
    // The values at `at`, stepped back from x.
    const __m128i back = _mm_set1_epi32(at - x);
    const __m256i back8 = _mm256_broadcastsi128_si256(back);
    const QuadWalk atBack{_mm256_add_epi32(q.colourA, _mm256_mullo_epi32(stepBR1, back8)),
                          _mm256_add_epi32(q.colourB, _mm256_mullo_epi32(stepGX1, back8)),
                          _mm256_add_epi32(q.s, _mm256_mullo_epi32(_mm256_broadcastsi128_si256(texels.step1), back8)),
                          _mm_add_epi32(q.z2, _mm_mullo_epi32(zStep1, back))};
    DrawQuad<K, true>(row, at, active, atBack, texels.sampler, ditherAt(at));
    // Colour and depth go on from the segment's end into the next segment.
    const __m128i restSteps = _mm_set1_epi32(rest);
    q.colourA = _mm256_castsi128_si256(
        _mm_add_epi32(_mm256_castsi256_si128(q.colourA), _mm_mullo_epi32(stepBR, restSteps)));
    q.colourB = _mm256_castsi128_si256(
        _mm_add_epi32(_mm256_castsi256_si128(q.colourB), _mm_mullo_epi32(stepGX, restSteps)));
    q.z2 = _mm_add_epi32(q.z2, _mm_mullo_epi32(zStep1, _mm_set1_epi32(rest)));
  }
  // Back to (b, g, r, unused) of the pixels at the segment's end and after it.
  c.colour0 = _mm_unpacklo_epi32(_mm256_castsi256_si128(q.colourA), _mm256_castsi256_si128(q.colourB));
  c.colour1 = _mm_unpackhi_epi32(_mm256_castsi256_si128(q.colourA), _mm256_castsi256_si128(q.colourB));
  // Halved again: depth at the segment's end, inside the span, is below 2^31.
  c.z = static_cast<std::uint32_t>(_mm_cvtsi128_si32(q.z2)) >> 1;
}
#endif

// The n pixels of a segment from x, four at a time where the target is wide
// enough for that, else two at a time.
template <SpanKind K>
[[gnu::always_inline]] inline void DrawSegment([[maybe_unused]] const RasterTarget& target, const SpanRow& row,
                                               int y, int x, int n, ColourWalk& c, const TexelWalk& texels) {
#if KAVRET_WIDE_SPANS
  if (target.width >= 4) return DrawQuads<K>(row, y, x, n, c, texels);
#endif
  DrawPairs<K>(row, y, x, n, c, texels);
}

template <SpanKind K>
void DrawTriangleSpans(const TriangleSetup& t, const RasterTarget& target, const RasterState& state) {
  const ColourPlanes planes = ColourPlanesOf(t);
  LinearTexture linear{};
  if constexpr (K.textured) linear = LinearTextureFor(t, *state.texture);
  // Each edge's bound on a row is exact wherever the walk starts, so a band of
  // rows draws the very pixels the whole triangle would draw there.
  const int rowBegin = std::max(t.minY, target.rowBegin), rowEnd = std::min(t.maxY, target.rowEnd);
  RowSpans rows;
  if (!rows.Start(t, rowBegin)) return;
  for (int y = rowBegin; y < rowEnd; ++y) {
    int left, right;
    if (!rows.Next(t, &left, &right)) continue;
    const SpanRow row = RowOf<K>(target, y);
    ColourWalk colour = StartColour<K>(planes, left, right, y);
    PerspectiveRow perspective{};
    if (K.textured && !linear.use) perspective.Start(t, *state.texture, linear.level, left, y);
    for (int x = left; x < right;) {
      // The next segment: the rest of the row, or as much as one division of
      // the texture coordinates at each end allows.
      int n = right - x;
      TexelWalk texels{};
      if (K.textured && linear.use) texels = LinearSegment(linear, x, y);
      else if constexpr (K.textured) texels = perspective.Segment(x, n);
      DrawSegment<K>(target, row, y, x, n, colour, texels);
      x += n;
    }
  }
}

using SpanFunction = void (*)(const TriangleSetup&, const RasterTarget&, const RasterState&);

template <int Flags>
constexpr SpanFunction SpanFor() {
  return &DrawTriangleSpans<SpanKind{(Flags & 1) != 0, (Flags & 2) != 0, (Flags & 4) != 0, (Flags & 8) != 0,
                                     (Flags & 16) != 0}>;
}

template <int... Flags>
constexpr auto MakeTable(std::integer_sequence<int, Flags...>) {
  return std::array<SpanFunction, sizeof...(Flags)>{SpanFor<Flags>()...};
}

constexpr auto spanTable = MakeTable(std::make_integer_sequence<int, 32>{});

void DrawSpans(const TriangleSetup& t, const RasterTarget& target, const RasterState& state) {
  const bool depth = target.depth != nullptr;
  const int flags = (state.texture ? 1 : 0) | (depth && state.zTest ? 2 : 0) | (depth && state.zWrite ? 4 : 0) |
                    (state.additive ? 8 : 0) | (state.dither ? 16 : 0);
  spanTable[flags](t, target, state);
}

}  // namespace
