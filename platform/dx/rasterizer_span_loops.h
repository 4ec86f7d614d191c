// The span loops behind the fast path, included by two translation units: one
// for any x86-64 processor (pairs of pixels in SSE2 registers), one built for
// AVX2 (KAVRET_WIDE_SPANS, four pixels in a 256-bit register). The arithmetic
// is the same lane for lane, so both give the same pixels.
//
// Each row's covered span is walked exactly from the edge functions, then a
// loop specialised for the state (textured, z test, z write, additive, dither)
// steps depth and colour in fixed point. Texture coordinates are stepped
// linearly over a whole triangle where that stays within 1/16 texel of the
// perspective-correct value; elsewhere they are divided for perspective at
// the ends of segments of up to 256 pixels, each short enough that linear
// steps stay that close and that both its ends take the same mip level, and
// stepped linearly in between. Pixels go through registers of
// 16-bit lanes (blue, green, red, unused for each), with the same arithmetic,
// truncation for truncation, as the scalar helpers the reference path uses, so
// both give the same pixel for the same inputs. The per-row and per-segment
// set-up works in double lanes with exact conversions, so it gives the very
// values the scalar formulas give.
#pragma once

#ifndef KAVRET_WIDE_SPANS
#define KAVRET_WIDE_SPANS 0
#endif

#include <immintrin.h>

#include <array>
#include <cmath>
#include <utility>

#include "platform/dx/rasterizer.h"

namespace {

// Texture coordinates are divided for perspective at the ends of segments of
// up to kLongSegment pixels, each as long as stepping them linearly stays
// within kSegmentError texels of the divided value; long ones are cut to whole
// runs of kSegment pixels.
constexpr int kSegment = 16;
constexpr int kLongSegment = 256;
constexpr double kSegmentError = 1.0 / 16;

// std::floor without the library call (SSE2 has no rounding instruction):
// below 2^52 truncate through a 64-bit integer and step down where that went
// up; larger values, infinities and NaN are their own floor.
[[gnu::always_inline]] inline double Floor(double v) {
#if KAVRET_WIDE_SPANS
  // The rounding instruction gives the same (but -0 for -0, which no caller
  // tells apart from 0).
  return _mm_cvtsd_f64(_mm_floor_sd(_mm_setzero_pd(), _mm_set_sd(v)));
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
  v = _mm_min_pd(_mm_max_pd(v, p.lo), p.hi);
  return _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(v, p.scale), _mm_set1_pd(0.5)));
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
  if (count < kReciprocals) return _mm_cvttpd_epi32(_mm_mul_pd(diff, _mm_set1_pd(stepReciprocals.of[count])));
  return _mm_cvttpd_epi32(_mm_div_pd(diff, _mm_set1_pd(count)));
}

// TexelFixed for a (u, v) pair: (coord - tile) * size * 65536, saturated and
// rounded as ToFixed does, minus half a texel. `scale` is size * 65536, a
// power of two, so the product is the same exact one.
[[gnu::always_inline]] inline __m128i TexelPairFixed(__m128d coord, __m128d tile, __m128d scale) {
  __m128d v = _mm_mul_pd(_mm_sub_pd(coord, tile), scale);
  // max first: a NaN becomes the lower bound, as in ToFixed.
  v = _mm_min_pd(_mm_max_pd(v, _mm_set1_pd(-2147483000.0)), _mm_set1_pd(2147483000.0));
  v = _mm_add_pd(v, _mm_set1_pd(0.5));
#if KAVRET_WIDE_SPANS
  return _mm_sub_epi32(_mm_cvttpd_epi32(_mm_floor_pd(v)), _mm_set1_epi32(0x8000));
#else
  // floor: truncate, then one less where truncation went up (negative fractions).
  const __m128i t = _mm_cvttpd_epi32(v);
  const __m128i up = _mm_shuffle_epi32(_mm_castpd_si128(_mm_cmpgt_pd(_mm_cvtepi32_pd(t), v)), _MM_SHUFFLE(3, 3, 2, 0));
  return _mm_sub_epi32(_mm_add_epi32(t, up), _mm_set1_epi32(0x8000));
#endif
}

// One mip level as the pair sampler wants it, in 16-bit lanes for two pixels.
struct PairLevel {
  const std::uint32_t* texels;
  __m128i mask;    // (maskU, maskV) four times
  __m128i stride;  // (1, texels per row) four times
};

[[gnu::always_inline]] inline PairLevel PairLevelOf(const RasterTexture& tex, int level) {
  const TextureLevel l = LevelOf(tex, level);
  return PairLevel{l.texels, _mm_set1_epi32(static_cast<int>(l.maskU | l.maskV << 16)),
                   _mm_set1_epi32(static_cast<int>(1 | l.stride << 16))};
}

// Bilinear samples of two pixels, s = (su0, sv0, su1, sv1) in 16.16 as for
// SampleBilinear; returns (b, g, r, 0) of pixel 0 then of pixel 1 in 16-bit
// lanes. All products stay below 256 * 256, so 16-bit lanes hold them exactly.
[[gnu::always_inline]] inline __m128i SamplePair(const PairLevel& l, __m128i s) {
  // Whole texel coordinates (the high halves), as (u, v, u, v + 1) per pixel,
  // wrapped, then offsets of the top and bottom pairs: u + v * stride.
  __m128i whole = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, _MM_SHUFFLE(3, 1, 3, 1)), _MM_SHUFFLE(3, 1, 3, 1));
  whole = _mm_and_si128(_mm_add_epi16(whole, _mm_setr_epi16(0, 0, 0, 1, 0, 0, 0, 1)), l.mask);
  const __m128i offsets = _mm_madd_epi16(whole, l.stride);
  const auto o0 = static_cast<std::uint64_t>(_mm_cvtsi128_si64(offsets));
  const auto o1 = static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(offsets, offsets)));
  const __m128i zero = _mm_setzero_si128();
  auto pair = [&](std::uint64_t offset) {
    return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(l.texels + offset)), zero);
  };
  const __m128i top0 = pair(o0 & 0xFFFFFFFF), bottom0 = pair(o0 >> 32);
  const __m128i top1 = pair(o1 & 0xFFFFFFFF), bottom1 = pair(o1 >> 32);
  // Fractions: bits 8..15 of each coordinate, spread over the lanes they weigh.
  const __m128i frac = _mm_srli_epi16(s, 8);
  const __m128i fu = _mm_shufflehi_epi16(_mm_shufflelo_epi16(frac, 0), 0);
  const __m128i fv =
      _mm_shufflehi_epi16(_mm_shufflelo_epi16(frac, _MM_SHUFFLE(2, 2, 2, 2)), _MM_SHUFFLE(2, 2, 2, 2));
  const __m128i k256 = _mm_set1_epi16(256);
  const __m128i iu = _mm_sub_epi16(k256, fu);
  const __m128i w0 = _mm_unpacklo_epi64(iu, fu), w1 = _mm_unpackhi_epi64(iu, fu);
  // Left texel times (256 - fu) and right texel times fu, added and truncated.
  const __m128i t0 = _mm_mullo_epi16(top0, w0), t1 = _mm_mullo_epi16(top1, w1);
  const __m128i b0 = _mm_mullo_epi16(bottom0, w0), b1 = _mm_mullo_epi16(bottom1, w1);
  const __m128i top = _mm_srli_epi16(_mm_add_epi16(_mm_unpacklo_epi64(t0, t1), _mm_unpackhi_epi64(t0, t1)), 8);
  const __m128i bottom = _mm_srli_epi16(_mm_add_epi16(_mm_unpacklo_epi64(b0, b1), _mm_unpackhi_epi64(b0, b1)), 8);
  // Then the rows, the same way.
  return _mm_srli_epi16(
      _mm_add_epi16(_mm_mullo_epi16(top, _mm_sub_epi16(k256, fv)), _mm_mullo_epi16(bottom, fv)), 8);
}

// Dither thresholds of two neighbouring pixels as lane offsets: half for the
// 5-bit channels, a quarter for green; [row][column of the first pixel].
// Also the same for four pixels, the pair at x and the pair at x + 2.
struct DitherBiases {
  alignas(16) std::int16_t pairs[4][4][8];
  alignas(32) std::int16_t quads[4][4][16];
};
constexpr DitherBiases MakeDitherBiases() {
  DitherBiases d{};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      for (int p = 0; p < 4; ++p) {
        const int threshold = kDither[y][(x + p) & 3];
        std::int16_t* lanes = p < 2 ? &d.pairs[y][x][4 * p] : nullptr;
        std::int16_t* quad = &d.quads[y][x][4 * p];
        for (std::int16_t* l : {lanes, quad}) {
          if (!l) continue;
          l[0] = static_cast<std::int16_t>(threshold >> 1);
          l[1] = static_cast<std::int16_t>(threshold >> 2);
          l[2] = static_cast<std::int16_t>(threshold >> 1);
          l[3] = 0;
        }
      }
  return d;
}
constexpr DitherBiases ditherBiases = MakeDitherBiases();

[[gnu::always_inline]] inline __m128i DitherPair(int y, int x) {
  return _mm_load_si128(reinterpret_cast<const __m128i*>(ditherBiases.pairs[y & 3][x & 3]));
}

// The destination pixels of a pair as (b, g, r, 0) 8-bit values, without
// filling the low bits, as AddDestination reads them.
[[gnu::always_inline]] inline __m128i DestinationPair(std::uint32_t d0, std::uint32_t d1) {
  __m128i d = _mm_cvtsi32_si128(static_cast<int>(d0 | d1 << 16));
  d = _mm_shuffle_epi32(_mm_unpacklo_epi16(d, d), _MM_SHUFFLE(1, 1, 0, 0));
  d = _mm_and_si128(d, _mm_setr_epi16(0x1F, 0x7E0, static_cast<short>(0xF800), 0, 0x1F, 0x7E0,
                                      static_cast<short>(0xF800), 0));
  // Blue moves up by 3 (a low product), green down by 3 and red down by 8 (high products).
  return _mm_or_si128(_mm_mullo_epi16(d, _mm_setr_epi16(8, 0, 0, 0, 8, 0, 0, 0)),
                      _mm_mulhi_epu16(d, _mm_setr_epi16(0, 1 << 13, 1 << 8, 0, 0, 1 << 13, 1 << 8, 0)));
}

// Two pixels of 0..255 lanes plus thresholds to 5-6-5, as Pack565: pixel 0 in
// 32-bit lane 0, pixel 1 in lane 2.
[[gnu::always_inline]] inline __m128i PackPair(__m128i c, __m128i bias) {
  c = _mm_min_epi16(_mm_add_epi16(c, bias), _mm_set1_epi16(255));
  // >> 3, >> 2, >> 3 as high halves of products, then placed with pmaddwd.
  c = _mm_mulhi_epu16(c, _mm_setr_epi16(8192, 16384, 8192, 0, 8192, 16384, 8192, 0));
  c = _mm_madd_epi16(c, _mm_setr_epi16(1, 32, 2048, 0, 1, 32, 2048, 0));
  return _mm_add_epi32(c, _mm_srli_si128(c, 4));
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

#if KAVRET_WIDE_SPANS
// Four pixels at a time: the pair at x and the pair at x + 2 side by side in
// the two halves of a 256-bit register, each half laid out and computed
// exactly as a pair above.

[[gnu::always_inline]] inline __m256i BothHalves(__m128i lo, __m128i hi) {
  return _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1);
}

// SamplePair for the pairs at x and x + 2; s holds both pairs' coordinates.
[[gnu::always_inline]] inline __m256i SampleQuad(const PairLevel& l, __m256i s) {
  __m256i whole = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s, _MM_SHUFFLE(3, 1, 3, 1)), _MM_SHUFFLE(3, 1, 3, 1));
  whole = _mm256_and_si256(
      _mm256_add_epi16(whole, _mm256_setr_epi16(0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1)),
      _mm256_broadcastsi128_si256(l.mask));
  // Top and bottom offsets of pixels x, x + 1 in the low half, x + 2, x + 3 in the high one.
  alignas(32) std::uint32_t o[8];
  _mm256_store_si256(reinterpret_cast<__m256i*>(o), _mm256_madd_epi16(whole, _mm256_broadcastsi128_si256(l.stride)));
  // The texel pairs at two offsets, widened to 16-bit lanes, one per half.
  auto texels = [&](std::uint32_t a, std::uint32_t b) {
    return _mm256_cvtepu8_epi16(_mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(l.texels + a)),
                                                   _mm_loadl_epi64(reinterpret_cast<const __m128i*>(l.texels + b))));
  };
  const __m256i top0 = texels(o[0], o[4]), bottom0 = texels(o[1], o[5]);
  const __m256i top1 = texels(o[2], o[6]), bottom1 = texels(o[3], o[7]);
  const __m256i frac = _mm256_srli_epi16(s, 8);
  const __m256i fu = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(frac, 0), 0);
  const __m256i fv =
      _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(frac, _MM_SHUFFLE(2, 2, 2, 2)), _MM_SHUFFLE(2, 2, 2, 2));
  const __m256i k256 = _mm256_set1_epi16(256);
  const __m256i iu = _mm256_sub_epi16(k256, fu);
  const __m256i w0 = _mm256_unpacklo_epi64(iu, fu), w1 = _mm256_unpackhi_epi64(iu, fu);
  const __m256i t0 = _mm256_mullo_epi16(top0, w0), t1 = _mm256_mullo_epi16(top1, w1);
  const __m256i b0 = _mm256_mullo_epi16(bottom0, w0), b1 = _mm256_mullo_epi16(bottom1, w1);
  const __m256i top =
      _mm256_srli_epi16(_mm256_add_epi16(_mm256_unpacklo_epi64(t0, t1), _mm256_unpackhi_epi64(t0, t1)), 8);
  const __m256i bottom =
      _mm256_srli_epi16(_mm256_add_epi16(_mm256_unpacklo_epi64(b0, b1), _mm256_unpackhi_epi64(b0, b1)), 8);
  return _mm256_srli_epi16(
      _mm256_add_epi16(_mm256_mullo_epi16(top, _mm256_sub_epi16(k256, fv)), _mm256_mullo_epi16(bottom, fv)), 8);
}

// DestinationPair for four neighbouring destination pixels.
[[gnu::always_inline]] inline __m256i DestinationQuad(const std::uint16_t* p) {
  __m128i d = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
  d = _mm_unpacklo_epi16(d, d);
  __m256i q = _mm256_permutevar8x32_epi32(_mm256_castsi128_si256(d), _mm256_setr_epi32(0, 0, 1, 1, 2, 2, 3, 3));
  q = _mm256_and_si256(q, _mm256_setr_epi16(0x1F, 0x7E0, static_cast<short>(0xF800), 0, 0x1F, 0x7E0,
                                            static_cast<short>(0xF800), 0, 0x1F, 0x7E0, static_cast<short>(0xF800),
                                            0, 0x1F, 0x7E0, static_cast<short>(0xF800), 0));
  return _mm256_or_si256(
      _mm256_mullo_epi16(q, _mm256_setr_epi16(8, 0, 0, 0, 8, 0, 0, 0, 8, 0, 0, 0, 8, 0, 0, 0)),
      _mm256_mulhi_epu16(q, _mm256_setr_epi16(0, 1 << 13, 1 << 8, 0, 0, 1 << 13, 1 << 8, 0, 0, 1 << 13, 1 << 8, 0,
                                              0, 1 << 13, 1 << 8, 0)));
}

// PackPair for both halves, then the four 5-6-5 values side by side in the low 64 bits.
[[gnu::always_inline]] inline __m128i PackQuad(__m256i c, __m256i bias) {
  c = _mm256_min_epi16(_mm256_add_epi16(c, bias), _mm256_set1_epi16(255));
  c = _mm256_mulhi_epu16(c, _mm256_setr_epi16(8192, 16384, 8192, 0, 8192, 16384, 8192, 0, 8192, 16384, 8192, 0,
                                              8192, 16384, 8192, 0));
  c = _mm256_madd_epi16(c, _mm256_setr_epi16(1, 32, 2048, 0, 1, 32, 2048, 0, 1, 32, 2048, 0, 1, 32, 2048, 0));
  c = _mm256_add_epi32(c, _mm256_srli_si256(c, 4));
  // Each pixel is a 32-bit lane below 65536: lanes 0, 2, 4, 6 in order, narrowed.
  const __m128i lanes =
      _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(c, _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6)));
  return _mm_packus_epi32(lanes, lanes);
}
#endif

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
  s.bg = _mm_cvttpd_epi32(_mm_setr_pd(steps[0], steps[1]));
  s.rz = _mm_cvttpd_epi32(_mm_setr_pd(steps[2], steps[3]));
  return s;
}

template <bool Textured, bool ZTest, bool ZWrite, bool Additive, bool Dither>
void DrawTriangleSpans(const TriangleSetup& t, const RasterTarget& target, const RasterState& state) {
  constexpr bool kDepth = ZTest || ZWrite;
  const RasterTexture* tex = state.texture;
  // Blue and green, red and depth, side by side.
  const PlanePair bg = PairOf(t.b, t.g, 255.0, 65536.0, 255.0, 65536.0);
  const PlanePair rz = PairOf(t.r, t.z, 255.0, 65536.0, 1.0, kDepthScale);
  const __m128i colourMask = _mm_setr_epi32(-1, -1, -1, 0);
  LinearTexture linear{};
  if constexpr (Textured) linear = LinearTextureFor(t, *tex);
  const TriangleSteps triangleSteps = TriangleStepsFor(t);

  // A triangle has one or two edges bounding its rows on the left, one or two
  // on the right, and at most one level edge, which only admits or rejects
  // whole rows. Bounds are taken twice over an edge that is the only one of
  // its side, so that every row does the same work without branching on the shape.
  // (Sorted without branches: the triangle's shape is data.)
  EdgeWalk edges[3];
  const EdgeWalk* lefts[3] = {};
  const EdgeWalk* rights[3] = {};
  const EdgeWalk* level = nullptr;
  int leftCount = 0, rightCount = 0;
  for (int i = 0; i < 3; ++i) {
    EdgeWalk& e = edges[i];
    e.Start(t.ea[i], t.eb[i], t.ec[i], t.minY);
    lefts[leftCount] = &e;
    leftCount += e.kind > 0;
    rights[rightCount] = &e;
    rightCount += e.kind < 0;
    level = e.kind == 0 ? &e : level;
  }
  // Every edge level or on one side only: nothing is inside (set-up refuses these).
  if (leftCount == 0 || rightCount == 0) return;
  lefts[1] = lefts[leftCount - 1];
  rights[1] = rights[rightCount - 1];

  for (int y = t.minY; y < t.maxY; ++y) {
    // The covered columns [left, right) of this row.
    const std::int64_t lo = std::max<std::int64_t>(t.minX, std::max(-lefts[0]->q, -lefts[1]->q));
    const std::int64_t hi = std::min<std::int64_t>(t.maxX - 1, std::min(rights[0]->q, rights[1]->q));
    const bool empty = level && level->q < 0;
    for (EdgeWalk& e : edges) e.NextRow();
    if (empty || lo > hi) continue;
    const int left = static_cast<int>(lo), right = static_cast<int>(hi + 1);

    std::uint16_t* crow = target.color + static_cast<std::ptrdiff_t>(y) * target.colorPitch;
    std::uint16_t* zrow = nullptr;
    if constexpr (kDepth) zrow = target.depth + static_cast<std::ptrdiff_t>(y) * target.depthPitch;

    // Colour and depth at the span's start, and their per-pixel steps: the
    // triangle's own, or from the values at both ends.
    const __m128i bg0 = FixedAt(bg, left, y), rz0 = FixedAt(rz, left, y);
    __m128i bgStep = triangleSteps.bg, rzStep = triangleSteps.rz;
    if (!triangleSteps.use && right - left > 1) {
      bgStep = StepOver(bg0, FixedAt(bg, right - 1, y), right - left - 1);
      rzStep = StepOver(rz0, FixedAt(rz, right - 1, y), right - left - 1);
    }
    const __m128i colourStep = _mm_and_si128(_mm_unpacklo_epi64(bgStep, rzStep), colourMask);
    const __m128i colourStep2 = _mm_add_epi32(colourStep, colourStep);
    // Pixel x and pixel x + 1.
    __m128i colour0 = _mm_and_si128(_mm_unpacklo_epi64(bg0, rz0), colourMask);
    // Textured, the colour is only used as colour + 1 (MODULATE): add the one here.
    if constexpr (Textured) colour0 = _mm_add_epi32(colour0, _mm_setr_epi32(65536, 65536, 65536, 0));
    __m128i colour1 = _mm_add_epi32(colour0, colourStep);
    // Unsigned, so that stepping past the span's end cannot overflow.
    std::uint32_t z = 0, zStep = 0;
    if constexpr (kDepth) {
      z = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(rz0, 4)));
      zStep = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(rzStep, 4)));
    }

    // Perspective-correct coordinates at the start of the first segment; qAt is
    // q there before it is kept away from zero.
    double qAt = 0, u0 = 0, v0 = 0;
    if (Textured && !linear.use) {
      qAt = t.q.At(left, y);
      const __m128d uv0 =
          _mm_div_pd(_mm_setr_pd(t.uq.At(left, y), t.vq.At(left, y)), _mm_set1_pd(std::max(qAt, 1e-30)));
      u0 = _mm_cvtsd_f64(uv0);
      v0 = _mm_cvtsd_f64(_mm_unpackhi_pd(uv0, uv0));
    }

    // The mip level at the start of the next segment, when already known.
    [[maybe_unused]] int nextLevel = -1;
    for (int x = left; x < right;) {
      int n = right - x;
      // Texture coordinates of the pixels at x and x + 1, and their steps per
      // pixel and per pair, (u, v) twice.
      __m128i s = _mm_setzero_si128(), sStep2 = _mm_setzero_si128();
      [[maybe_unused]] __m128i sStep1 = _mm_setzero_si128();
      PairLevel sampler{};
      if (Textured && linear.use) {
        // The whole row in one go, from the wrapped coordinates at its start.
        sampler = linear.sampler;
        const __m128d uv =
            _mm_add_pd(_mm_add_pd(_mm_mul_pd(linear.a, _mm_set1_pd(x)), _mm_mul_pd(linear.b, _mm_set1_pd(y))), linear.c);
        const __m128d tile = _mm_setr_pd(Floor(_mm_cvtsd_f64(uv)), Floor(_mm_cvtsd_f64(_mm_unpackhi_pd(uv, uv))));
        const __m128i start = TexelPairFixed(uv, tile, linear.scale);
        s = _mm_unpacklo_epi64(start, _mm_add_epi32(start, linear.step));
        const __m128i step2 = _mm_add_epi32(linear.step, linear.step);
        sStep2 = _mm_unpacklo_epi64(step2, step2);
        sStep1 = _mm_unpacklo_epi64(linear.step, linear.step);
      } else if constexpr (Textured) {
        n = std::min(kLongSegment, n);
        // The corners' level where they agree, else the level from the values
        // already at hand, unless q was tiny there.
        auto levelAt = [&](int at, double u, double v) {
          if (linear.level >= 0) return linear.level;
          return qAt > 1e-30 ? MipLevelFor(t, *tex, qAt, u, v) : MipLevelAt(t, *tex, at, y);
        };
        const int level = nextLevel >= 0 ? nextLevel : levelAt(x, u0, v0);
        sampler = PairLevelOf(*tex, level);
        const __m128d size = _mm_setr_pd(static_cast<double>(1 << tex->widthLog2[level]),
                                         static_cast<double>(1 << tex->heightLog2[level]));
        const double qStart = std::max(qAt, 1e-30);
        // Just past the span q may cross zero on a nearly edge-on triangle.
        auto coordsAt = [&](int end) {
          qAt = t.q.At(end, y);
          return _mm_div_pd(_mm_setr_pd(t.uq.At(end, y), t.vq.At(end, y)), _mm_set1_pd(std::max(qAt, 1e-30)));
        };
        // Linear steps from (u0, q0) to (u1, q1) miss the divided value by
        // s (1 - s) (u1 - u0) (q1 - q0) / q(s) at the fraction s of the way,
        // at most |u1 - u0| |q1 - q0| / (sqrt q0 + sqrt q1)^2, and the square
        // is at least q0 + q1 + 2 min(q0, q1). How far over kSegmentError
        // that bound is, as a ratio (NaN when unknown).
        auto excess = [&](__m128d end) {
          const double qEnd = std::max(qAt, 1e-30);
          const __m128d du = _mm_mul_pd(_mm_sub_pd(end, _mm_setr_pd(u0, v0)), size);
          const double duMax =
              std::max(std::fabs(_mm_cvtsd_f64(du)), std::fabs(_mm_cvtsd_f64(_mm_unpackhi_pd(du, du))));
          return duMax * std::fabs(qEnd - qStart) /
                 (kSegmentError * (qStart + qEnd + 2 * std::min(qStart, qEnd)));
        };
        // Every segment keeps within kSegmentError texels and to one mip level
        // at both ends (the level at the end is the next segment's); where it
        // does not, it is shortened, down to a single pixel, which is exact.
        // The miss grows about as the square of the length: the next try is
        // the length that should fit, in whole runs of 16 or 4 pixels where
        // it is that long, or half the length where the levels differ.
        __m128d uv1 = coordsAt(x + n);
        for (;;) {
          const double over = excess(uv1);
          if (over <= 1) {
            nextLevel = levelAt(x + n, _mm_cvtsd_f64(uv1), _mm_cvtsd_f64(_mm_unpackhi_pd(uv1, uv1)));
            if (nextLevel == level) break;
          }
          nextLevel = -1;
          if (n == 1) break;
          const double fit = over <= 1 ? n / 2 : n / std::sqrt(over);
          int shorter = fit >= 1 && fit < n ? static_cast<int>(fit) : n / 2;
          shorter = shorter >= kSegment ? shorter & ~(kSegment - 1) : shorter >= 4 ? shorter & ~3 : shorter;
          n = std::max(shorter, 1);
          uv1 = coordsAt(x + n);
        }
        // Both ends of the segment are wrapped by the same whole number of tiles.
        const __m128d tile = _mm_setr_pd(Floor(u0), Floor(v0));
        const __m128d scale = _mm_mul_pd(size, _mm_set1_pd(65536.0));
        const __m128i start = TexelPairFixed(_mm_setr_pd(u0, v0), tile, scale);
        const __m128i step = StepOver(start, TexelPairFixed(uv1, tile, scale), n);
        s = _mm_unpacklo_epi64(start, _mm_add_epi32(start, step));
        sStep2 = _mm_unpacklo_epi64(_mm_add_epi32(step, step), _mm_add_epi32(step, step));
        sStep1 = _mm_unpacklo_epi64(step, step);
        u0 = _mm_cvtsd_f64(uv1);
        v0 = _mm_cvtsd_f64(_mm_unpackhi_pd(uv1, uv1));
      }
      // The thresholds of the pairs at x and at x + 2 take turns.
      __m128i dither = _mm_setzero_si128(), ditherNext = _mm_setzero_si128();
      if constexpr (Dither) {
        dither = DitherPair(y, x);
        ditherNext = DitherPair(y, x + 2);
      }
      // Two pixels at x and x + 1; the second only when `Two`.
      auto drawPair = [&]<bool Two>() __attribute__((always_inline)) {
        const auto z0 = static_cast<std::uint16_t>(z >> 15);
        const auto z1 = static_cast<std::uint16_t>((z + zStep) >> 15);
        bool pass0 = true, pass1 = Two;
        if constexpr (ZTest) {
          pass0 = z0 < zrow[x];
          if constexpr (Two) pass1 = z1 < zrow[x + 1];
        }
        if (pass0 || pass1) {
          __m128i c = _mm_packs_epi32(_mm_srli_epi32(colour0, 16), _mm_srli_epi32(colour1, 16));
          // MODULATE: (texel * (colour + 1)) >> 8 per lane.
          if constexpr (Textured) c = _mm_srli_epi16(_mm_mullo_epi16(SamplePair(sampler, s), c), 8);
          if constexpr (Additive) {
            const __m128i dst = DestinationPair(crow[x], Two ? crow[x + 1] : 0);
            c = _mm_min_epi16(_mm_add_epi16(c, dst), _mm_set1_epi16(255));
          }
          const __m128i packed = PackPair(c, dither);
          if (pass0) {
            crow[x] = static_cast<std::uint16_t>(_mm_cvtsi128_si32(packed));
            if constexpr (ZWrite) zrow[x] = z0;
          }
          if (Two && pass1) {
            crow[x + 1] = static_cast<std::uint16_t>(_mm_extract_epi16(packed, 4));
            if constexpr (ZWrite) zrow[x + 1] = z1;
          }
        }
      };
#if KAVRET_WIDE_SPANS
      // Four pixels at a time; the last one to three pixels of the segment go
      // as the four pixels ending at its end (or starting at column 0), the
      // others masked: those are read and written back unchanged.
      if (target.width >= 4) {
        const int segmentEnd = x + n;
        const __m256i colourStep1 = _mm256_broadcastsi128_si256(colourStep);
        const __m256i colourStep4 = _mm256_broadcastsi128_si256(_mm_add_epi32(colourStep2, colourStep2));
        __m256i colourA = BothHalves(colour0, _mm_add_epi32(colour0, colourStep2));
        __m256i colourB = BothHalves(colour1, _mm_add_epi32(colour1, colourStep2));
        const __m256i sStep4 = _mm256_broadcastsi128_si256(_mm_add_epi32(sStep2, sStep2));
        __m256i s4 = BothHalves(s, _mm_add_epi32(s, sStep2));
        // Depth of the four pixels in 32-bit lanes, stepped as the pairs step it.
        const __m128i zStep1 = _mm_set1_epi32(static_cast<int>(zStep));
        __m128i z4 = _mm_add_epi32(_mm_set1_epi32(static_cast<int>(z)), _mm_mullo_epi32(_mm_setr_epi32(0, 1, 2, 3), zStep1));
        const __m128i zStep4 = _mm_set1_epi32(static_cast<int>(4 * zStep));
        auto dither4At = [&](int at) {
          return Dither ? _mm256_load_si256(reinterpret_cast<const __m256i*>(ditherBiases.quads[y & 3][at & 3]))
                        : _mm256_setzero_si256();
        };
        // The four pixels from `at`; only the `active` ones (16-bit lanes) when Masked.
        auto drawQuad = [&]<bool Masked>(int at, __m128i active, __m256i cA, __m256i cB, __m256i sq, __m128i zq,
                                         __m256i dither4) __attribute__((always_inline)) {
          __m128i pass = active, z16 = _mm_setzero_si128(), zOld = _mm_setzero_si128();
          if constexpr (kDepth) {
            z16 = _mm_and_si128(_mm_srli_epi32(zq, 15), _mm_set1_epi32(0xFFFF));
            z16 = _mm_packus_epi32(z16, z16);
          }
          if constexpr (ZTest || (Masked && ZWrite)) zOld = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(zrow + at));
          if constexpr (ZTest) {
            // Unsigned 16-bit z16 < zOld, as signed after flipping the top bits.
            const __m128i flip = _mm_set1_epi16(static_cast<short>(0x8000));
            pass = _mm_and_si128(pass, _mm_cmplt_epi16(_mm_xor_si128(z16, flip), _mm_xor_si128(zOld, flip)));
          }
          constexpr bool kBlend = ZTest || Masked;
          if (kBlend && (_mm_movemask_epi8(pass) & 0xFF) == 0) return;
          __m256i c = _mm256_packs_epi32(_mm256_srli_epi32(cA, 16), _mm256_srli_epi32(cB, 16));
          if constexpr (Textured) c = _mm256_srli_epi16(_mm256_mullo_epi16(SampleQuad(sampler, sq), c), 8);
          if constexpr (Additive)
            c = _mm256_min_epi16(_mm256_add_epi16(c, DestinationQuad(crow + at)), _mm256_set1_epi16(255));
          __m128i out = PackQuad(c, dither4);
          if constexpr (kBlend) {
            const __m128i old = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(crow + at));
            out = _mm_or_si128(_mm_and_si128(pass, out), _mm_andnot_si128(pass, old));
            z16 = _mm_or_si128(_mm_and_si128(pass, z16), _mm_andnot_si128(pass, zOld));
          }
          _mm_storel_epi64(reinterpret_cast<__m128i*>(crow + at), out);
          if constexpr (ZWrite) _mm_storel_epi64(reinterpret_cast<__m128i*>(zrow + at), z16);
        };
        const __m256i dither4 = dither4At(x);
        const __m128i all = _mm_set1_epi32(-1);
        for (const int quadEnd = x + (n & ~3); x < quadEnd; x += 4) {
          drawQuad.template operator()<false>(x, all, colourA, colourB, s4, z4, dither4);
          colourA = _mm256_add_epi32(colourA, colourStep4);
          colourB = _mm256_add_epi32(colourB, colourStep4);
          if constexpr (Textured) s4 = _mm256_add_epi32(s4, sStep4);
          if constexpr (kDepth) z4 = _mm_add_epi32(z4, zStep4);
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
          const __m256i backColour = _mm256_mullo_epi32(colourStep1, back8);
          drawQuad.template operator()<true>(
              at, active, _mm256_add_epi32(colourA, backColour), _mm256_add_epi32(colourB, backColour),
              _mm256_add_epi32(s4, _mm256_mullo_epi32(_mm256_broadcastsi128_si256(sStep1), back8)),
              _mm_add_epi32(z4, _mm_mullo_epi32(zStep1, back)), dither4At(at));
          // Colour and depth go on from the segment's end into the next segment.
          const __m128i restColour = _mm_mullo_epi32(colourStep, _mm_set1_epi32(rest));
          colourA = _mm256_castsi128_si256(_mm_add_epi32(_mm256_castsi256_si128(colourA), restColour));
          colourB = _mm256_castsi128_si256(_mm_add_epi32(_mm256_castsi256_si128(colourB), restColour));
          z4 = _mm_add_epi32(z4, _mm_mullo_epi32(zStep1, _mm_set1_epi32(rest)));
          x = segmentEnd;
        }
        colour0 = _mm256_castsi256_si128(colourA);
        colour1 = _mm256_castsi256_si128(colourB);
        z = static_cast<std::uint32_t>(_mm_cvtsi128_si32(z4));
        n = 0;
      }
#endif
      const int pairEnd = x + (n & ~1);
      for (; x < pairEnd; x += 2) {
        drawPair.template operator()<true>();
        if constexpr (kDepth) z += 2 * zStep;
        colour0 = _mm_add_epi32(colour0, colourStep2);
        colour1 = _mm_add_epi32(colour1, colourStep2);
        if constexpr (Textured) s = _mm_add_epi32(s, sStep2);
        std::swap(dither, ditherNext);
      }
      // A segment of odd length: its last pixel alone, then colour and depth
      // go on from the next pixel.
      if (n & 1) {
        drawPair.template operator()<false>();
        ++x;
        if constexpr (kDepth) z += zStep;
        colour0 = colour1;
        colour1 = _mm_add_epi32(colour1, colourStep);
      }
    }
  }
}

using SpanFunction = void (*)(const TriangleSetup&, const RasterTarget&, const RasterState&);

template <int Flags>
constexpr SpanFunction SpanFor() {
  return &DrawTriangleSpans<(Flags & 1) != 0, (Flags & 2) != 0, (Flags & 4) != 0, (Flags & 8) != 0,
                           (Flags & 16) != 0>;
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

