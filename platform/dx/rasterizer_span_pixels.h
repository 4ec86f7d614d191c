// The per-pixel arithmetic of the span loops, written once for a register of
// two pixels (__m128i, SSE2) and one of four (__m256i, AVX2; only where
// KAVRET_WIDE_SPANS is set). Pixels sit in 16-bit lanes (blue, green, red,
// unused for each). A 256-bit register holds the pair at x in its low half
// and the pair at x + 2 in its high half, and every operation here works on
// each 128-bit half alone, so both widths give the same pixel for the same
// inputs. The arithmetic is that of the scalar helpers the reference path
// uses, truncation for truncation.
//
// The lane operations are overloads by register type; only loading texels
// and destination pixels and narrowing the packed result differ by width.
// Included by rasterizer_span_loops.h only.
#pragma once

#ifndef KAVRET_WIDE_SPANS
#define KAVRET_WIDE_SPANS 0
#endif

#include <immintrin.h>
#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

#include <cstdint>
#include <cstring>

#include "platform/dx/rasterizer.h"

namespace {

#define KAVRET_LANES [[gnu::always_inline]] inline

// 16-bit and 32-bit lane arithmetic, two pixels to a register.
KAVRET_LANES __m128i Add16(__m128i a, __m128i b) { return _mm_add_epi16(a, b); }
KAVRET_LANES __m128i AddSatU16(__m128i a, __m128i b) { return _mm_adds_epu16(a, b); }
KAVRET_LANES __m128i Sub16(__m128i a, __m128i b) { return _mm_sub_epi16(a, b); }
KAVRET_LANES __m128i Min16(__m128i a, __m128i b) { return _mm_min_epi16(a, b); }
KAVRET_LANES __m128i MulLo16(__m128i a, __m128i b) { return _mm_mullo_epi16(a, b); }
KAVRET_LANES __m128i MulHiU16(__m128i a, __m128i b) { return _mm_mulhi_epu16(a, b); }
KAVRET_LANES __m128i Madd16(__m128i a, __m128i b) { return _mm_madd_epi16(a, b); }
KAVRET_LANES __m128i Add32(__m128i a, __m128i b) { return _mm_add_epi32(a, b); }
KAVRET_LANES __m128i Packs32(__m128i a, __m128i b) { return _mm_packs_epi32(a, b); }
KAVRET_LANES __m128i And(__m128i a, __m128i b) { return _mm_and_si128(a, b); }
KAVRET_LANES __m128i Or(__m128i a, __m128i b) { return _mm_or_si128(a, b); }
KAVRET_LANES __m128i UnpackLo64(__m128i a, __m128i b) { return _mm_unpacklo_epi64(a, b); }
KAVRET_LANES __m128i UnpackHi64(__m128i a, __m128i b) { return _mm_unpackhi_epi64(a, b); }
template <int N>
KAVRET_LANES __m128i Srl16(__m128i a) {
  return _mm_srli_epi16(a, N);
}
template <int N>
KAVRET_LANES __m128i Sll16(__m128i a) {
  return _mm_slli_epi16(a, N);
}
template <int N>
KAVRET_LANES __m128i Srl32(__m128i a) {
  return _mm_srli_epi32(a, N);
}
template <int Bytes>
KAVRET_LANES __m128i SrlBytes(__m128i a) {
  return _mm_srli_si128(a, Bytes);
}
// The same 16-bit shuffle of each pixel's four lanes.
template <int Order>
KAVRET_LANES __m128i Shuffle16(__m128i a) {
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(a, Order), Order);
}

// Constants, by register type: one value in every lane, (a, b, c, d) for every
// pixel, 128 bits repeated in every half, and an aligned load.
template <class V>
V Set16(short v);
template <class V>
V Each(short a, short b, short c, short d);
template <class V>
V Halves(__m128i v);
template <class V>
V LoadAligned(const void* p);

template <>
KAVRET_LANES __m128i Set16<__m128i>(short v) {
  return _mm_set1_epi16(v);
}
template <>
KAVRET_LANES __m128i Each<__m128i>(short a, short b, short c, short d) {
  return _mm_setr_epi16(a, b, c, d, a, b, c, d);
}
template <>
KAVRET_LANES __m128i Halves<__m128i>(__m128i v) {
  return v;
}
template <>
KAVRET_LANES __m128i LoadAligned<__m128i>(const void* p) {
  return _mm_load_si128(static_cast<const __m128i*>(p));
}

// The texels at two offsets each (the top-left texel's offset of a bilinear
// sample; its right neighbour comes along) widened to 16-bit lanes:
// texels[0] the top row of pixel x, [1] its bottom row, [2] and [3] those of
// pixel x + 1. `offsets` holds the top and bottom offsets of each pixel in
// 32-bit lanes.
KAVRET_LANES void LoadTexels(const std::uint32_t* texels, __m128i offsets, __m128i (&rows)[4]) {
  const auto o0 = static_cast<std::uint64_t>(_mm_cvtsi128_si64(offsets));
  const auto o1 = static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(offsets, offsets)));
#if defined(__wasm_simd128__)
  // WebAssembly loads and widens in one instruction.
  auto pair = [&](std::uint64_t offset) { return wasm_u16x8_load8x8(texels + offset); };
#else
  const __m128i zero = _mm_setzero_si128();
  auto pair = [&](std::uint64_t offset) {
    return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(texels + offset)), zero);
  };
#endif
  rows[0] = pair(o0 & 0xFFFFFFFF);
  rows[1] = pair(o0 >> 32);
  rows[2] = pair(o1 & 0xFFFFFFFF);
  rows[3] = pair(o1 >> 32);
}

// Two 5-6-5 destination pixels, each repeated over its four lanes (d1 is 0
// when the pair has one pixel only).
KAVRET_LANES __m128i SpreadDestination(std::uint32_t d0, std::uint32_t d1) {
  const __m128i d = _mm_cvtsi32_si128(static_cast<int>(d0 | d1 << 16));
  return _mm_shuffle_epi32(_mm_unpacklo_epi16(d, d), _MM_SHUFFLE(1, 1, 0, 0));
}

#if KAVRET_WIDE_SPANS
// The same, four pixels to a register.
KAVRET_LANES __m256i Add16(__m256i a, __m256i b) { return _mm256_add_epi16(a, b); }
KAVRET_LANES __m256i AddSatU16(__m256i a, __m256i b) { return _mm256_adds_epu16(a, b); }
KAVRET_LANES __m256i Sub16(__m256i a, __m256i b) { return _mm256_sub_epi16(a, b); }
KAVRET_LANES __m256i Min16(__m256i a, __m256i b) { return _mm256_min_epi16(a, b); }
KAVRET_LANES __m256i MulLo16(__m256i a, __m256i b) { return _mm256_mullo_epi16(a, b); }
KAVRET_LANES __m256i MulHiU16(__m256i a, __m256i b) { return _mm256_mulhi_epu16(a, b); }
KAVRET_LANES __m256i Madd16(__m256i a, __m256i b) { return _mm256_madd_epi16(a, b); }
KAVRET_LANES __m256i Add32(__m256i a, __m256i b) { return _mm256_add_epi32(a, b); }
KAVRET_LANES __m256i Packs32(__m256i a, __m256i b) { return _mm256_packs_epi32(a, b); }
KAVRET_LANES __m256i And(__m256i a, __m256i b) { return _mm256_and_si256(a, b); }
KAVRET_LANES __m256i Or(__m256i a, __m256i b) { return _mm256_or_si256(a, b); }
KAVRET_LANES __m256i UnpackLo64(__m256i a, __m256i b) { return _mm256_unpacklo_epi64(a, b); }
KAVRET_LANES __m256i UnpackHi64(__m256i a, __m256i b) { return _mm256_unpackhi_epi64(a, b); }
template <int N>
KAVRET_LANES __m256i Srl16(__m256i a) {
  return _mm256_srli_epi16(a, N);
}
template <int N>
KAVRET_LANES __m256i Sll16(__m256i a) {
  return _mm256_slli_epi16(a, N);
}
template <int N>
KAVRET_LANES __m256i Srl32(__m256i a) {
  return _mm256_srli_epi32(a, N);
}
template <int Bytes>
KAVRET_LANES __m256i SrlBytes(__m256i a) {
  return _mm256_srli_si256(a, Bytes);
}
template <int Order>
KAVRET_LANES __m256i Shuffle16(__m256i a) {
  return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(a, Order), Order);
}

template <>
KAVRET_LANES __m256i Set16<__m256i>(short v) {
  return _mm256_set1_epi16(v);
}
template <>
KAVRET_LANES __m256i Each<__m256i>(short a, short b, short c, short d) {
  return _mm256_setr_epi16(a, b, c, d, a, b, c, d, a, b, c, d, a, b, c, d);
}
template <>
KAVRET_LANES __m256i Halves<__m256i>(__m128i v) {
  return _mm256_broadcastsi128_si256(v);
}
template <>
KAVRET_LANES __m256i LoadAligned<__m256i>(const void* p) {
  return _mm256_load_si256(static_cast<const __m256i*>(p));
}

KAVRET_LANES __m256i BothHalves(__m128i lo, __m128i hi) {
  return _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1);
}

// LoadTexels for the pairs at x and x + 2, one per half.
KAVRET_LANES void LoadTexels(const std::uint32_t* texels, __m256i offsets, __m256i (&rows)[4]) {
  alignas(32) std::uint32_t o[8];
  _mm256_store_si256(reinterpret_cast<__m256i*>(o), offsets);
  auto texelPairs = [&](std::uint32_t a, std::uint32_t b) {
    return _mm256_cvtepu8_epi16(_mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(texels + a)),
                                                   _mm_loadl_epi64(reinterpret_cast<const __m128i*>(texels + b))));
  };
  rows[0] = texelPairs(o[0], o[4]);
  rows[1] = texelPairs(o[1], o[5]);
  rows[2] = texelPairs(o[2], o[6]);
  rows[3] = texelPairs(o[3], o[7]);
}

// Four neighbouring 5-6-5 destination pixels, each repeated over its four lanes.
KAVRET_LANES __m256i SpreadDestination(const std::uint16_t* p) {
  __m128i d = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
  d = _mm_unpacklo_epi16(d, d);
  return _mm256_permutevar8x32_epi32(_mm256_castsi128_si256(d), _mm256_setr_epi32(0, 0, 1, 1, 2, 2, 3, 3));
}

// The four 5-6-5 values PackPixels leaves in 32-bit lanes 0, 2, 4 and 6, side
// by side in the low 64 bits.
KAVRET_LANES __m128i NarrowQuad(__m256i packed) {
  const __m128i lanes =
      _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(packed, _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6)));
  return _mm_packus_epi32(lanes, lanes);
}
#endif

// One mip level as the samplers want it, in 16-bit lanes, as wide as the
// widest register of the build.
#if KAVRET_WIDE_SPANS
using LevelLanes = __m256i;
KAVRET_LANES __m128i Low128(__m256i v) { return _mm256_castsi256_si128(v); }
#else
using LevelLanes = __m128i;
KAVRET_LANES __m128i Low128(__m128i v) { return v; }
#endif

struct PairLevel {
  const std::uint32_t* texels;
  const std::uint32_t* below;  // texels one row on
  LevelLanes mask;    // (maskU, maskV) over every pixel
  LevelLanes stride;  // (1, texels per row) over every pixel
};

KAVRET_LANES PairLevel PairLevelOf(const RasterTexture& tex, int level) {
  const TextureLevel l = LevelOf(tex, level);
  return PairLevel{l.texels, l.texels + l.stride,
                   Halves<LevelLanes>(_mm_set1_epi32(static_cast<int>(l.maskU | l.maskV << 16))),
                   Halves<LevelLanes>(_mm_set1_epi32(static_cast<int>(1 | l.stride << 16)))};
}

// Bilinear samples as SampleBilinear takes them: s holds (su, sv) of each
// pixel in 16.16, in 32-bit lanes; the result is (b, g, r, 0) of each pixel.
// All products stay below 256 * 256, so 16-bit lanes hold them exactly.
template <class V>
KAVRET_LANES V SamplePixels(const PairLevel& l, V s) {
  // Whole texel coordinates (the high halves), as (u, v, u, v + 1) per pixel,
  // wrapped, then offsets of the top and bottom pairs: u + v * stride.
  V whole = Shuffle16<_MM_SHUFFLE(3, 1, 3, 1)>(s);
  whole = And(Add16(whole, Each<V>(0, 0, 0, 1)), Halves<V>(Low128(l.mask)));
  V rows[4];
  LoadTexels(l.texels, Madd16(whole, Halves<V>(Low128(l.stride))), rows);
  // Fractions: bits 8..15 of each coordinate, spread over the lanes they weigh.
  const V frac = Srl16<8>(s);
  const V fu = Shuffle16<0>(frac);
  const V fv = Shuffle16<_MM_SHUFFLE(2, 2, 2, 2)>(frac);
  const V k256 = Set16<V>(256);
  const V iu = Sub16(k256, fu);
  const V w0 = UnpackLo64(iu, fu), w1 = UnpackHi64(iu, fu);
  // Left texel times (256 - fu) and right texel times fu, added and truncated.
  const V t0 = MulLo16(rows[0], w0), t1 = MulLo16(rows[2], w1);
  const V b0 = MulLo16(rows[1], w0), b1 = MulLo16(rows[3], w1);
  const V top = Srl16<8>(Add16(UnpackLo64(t0, t1), UnpackHi64(t0, t1)));
  const V bottom = Srl16<8>(Add16(UnpackLo64(b0, b1), UnpackHi64(b0, b1)));
  // Then the rows, the same way.
  return Srl16<8>(Add16(MulLo16(top, Sub16(k256, fv)), MulLo16(bottom, fv)));
}

#if KAVRET_WIDE_SPANS
// a (256 - f) + b f for 8-bit a, b, f as a 256 + (b - a) f: equal as
// integers, and 16-bit lanes wrap alike on the way to a sum below 2^16.
KAVRET_LANES __m256i Lerp256(__m256i a, __m256i b, __m256i f) {
  return Add16(_mm256_slli_epi16(a, 8), MulLo16(Sub16(b, a), f));
}

// The left and right texels of the four pixels' pairs in one row of a
// level, at offsets o0..o3 from `row`: 16 bytes from each offset (its pair
// and two texels more, which levels leave room for) in the halves they
// belong to, then the first texels as (b, g, r, 0) 16-bit lanes of the
// pixels at x, x + 1 | x + 2, x + 3, and the second ones likewise.
KAVRET_LANES void TexelRows(const std::uint32_t* row, std::uint32_t o0, std::uint32_t o1, std::uint32_t o2,
                            std::uint32_t o3, __m256i& left, __m256i& right) {
  auto at = [row](std::uint32_t o) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + o)); };
  const __m256i even = _mm256_inserti128_si256(_mm256_castsi128_si256(at(o0)), at(o2), 1);
  const __m256i odd = _mm256_inserti128_si256(_mm256_castsi128_si256(at(o1)), at(o3), 1);
  // (left x, left x + 1, right x, right x + 1) in each half.
  const __m256i both = _mm256_unpacklo_epi32(even, odd);
  left = _mm256_unpacklo_epi8(both, _mm256_setzero_si256());
  right = _mm256_unpackhi_epi8(both, _mm256_setzero_si256());
}

// The same samples for four pixels, the same arithmetic, with fewer steps to
// the texels: byte shuffles pick the whole coordinates and the fractions, and
// only the top-left texel's offset is taken out of the register, the bottom
// pair being the one a row on (rows repeat the first after the last).
KAVRET_LANES __m256i SamplePixels(const PairLevel& l, __m256i s) {
  // (u, v) of both pixels of each half: the high halves of su and sv.
  const __m256i wholeOrder =
      _mm256_broadcastsi128_si256(_mm_setr_epi8(2, 3, 6, 7, 10, 11, 14, 15, 2, 3, 6, 7, 10, 11, 14, 15));
  const __m256i whole = And(_mm256_shuffle_epi8(s, wholeOrder), l.mask);
  // u + v * stride in 32-bit lanes 0 and 1 of each half (pixels x, x + 1 and
  // x + 2, x + 3), taken out 64 bits at a time.
  const __m256i offsets = Madd16(whole, l.stride);
  const auto low = static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm256_castsi256_si128(offsets)));
  const auto high = static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm256_extracti128_si256(offsets, 1)));
  const auto o0 = static_cast<std::uint32_t>(low), o1 = static_cast<std::uint32_t>(low >> 32);
  const auto o2 = static_cast<std::uint32_t>(high), o3 = static_cast<std::uint32_t>(high >> 32);
  __m256i topLeft, topRight, bottomLeft, bottomRight;
  TexelRows(l.texels, o0, o1, o2, o3, topLeft, topRight);
  TexelRows(l.below, o0, o1, o2, o3, bottomLeft, bottomRight);
  // Fractions: bits 8..15 of su (byte 1) and of sv (byte 5) of each pixel, over its four lanes.
  constexpr char z = -1;
  const __m256i fu = _mm256_shuffle_epi8(
      s, _mm256_broadcastsi128_si256(_mm_setr_epi8(1, z, 1, z, 1, z, 1, z, 9, z, 9, z, 9, z, 9, z)));
  const __m256i fv = _mm256_shuffle_epi8(
      s, _mm256_broadcastsi128_si256(_mm_setr_epi8(5, z, 5, z, 5, z, 5, z, 13, z, 13, z, 13, z, 13, z)));
  const __m256i top = Srl16<8>(Lerp256(topLeft, topRight, fu));
  const __m256i bottom = Srl16<8>(Lerp256(bottomLeft, bottomRight, fu));
  return Srl16<8>(Lerp256(top, bottom, fv));
}
#endif

// Spread destination pixels as (b, g, r, 0) 8-bit values, without filling
// the low bits, as AddDestination reads them, moved up into the high bytes:
// blue up by 11, green by 5, red where it is.
template <class V>
KAVRET_LANES V DestinationHighBytes(V spread) {
  return MulLo16(And(spread, Each<V>(0x1F, 0x7E0, static_cast<short>(0xF800), 0)), Each<V>(2048, 32, 1, 0));
}

// Blue and red shifted right by Shift, green by GreenShift, as the high halves
// of their products with `factors` (2^(16 - shift) in those lanes). The
// fourth lane is left as it comes: it is weighed by 0 after this. WebAssembly
// has no high-half product, so there the lanes are shifted and picked.
template <int Shift, int GreenShift, class V>
KAVRET_LANES V ShiftChannels(V lanes, [[maybe_unused]] V factors) {
#if defined(__wasm_simd128__)
  const v128_t green = wasm_i16x8_make(0, -1, 0, 0, 0, -1, 0, 0);
  return wasm_v128_bitselect(wasm_u16x8_shr(lanes, GreenShift), wasm_u16x8_shr(lanes, Shift), green);
#else
  return MulHiU16(lanes, factors);
#endif
}

// Pixels of 0..255 lanes plus thresholds to 5-6-5, as Pack565: each pixel in
// the low 16 bits of its first 32-bit lane (lanes 0 and 2 of each half).
template <class V>
KAVRET_LANES V PackPixels(V c, V bias) {
  c = Min16(Add16(c, bias), Set16<V>(255));
  // >> 3, >> 2, >> 3 as high halves of products, then placed with pmaddwd.
  c = ShiftChannels<3, 2>(c, Each<V>(8192, 16384, 8192, 0));
  c = Madd16(c, Each<V>(1, 32, 2048, 0));
  return Add32(c, SrlBytes<4>(c));
}

// The same from 8-bit values in the high bytes of the lanes, with anything
// in the low bytes, the thresholds already added: the high products take
// >> 11, >> 10, >> 11 of the lanes, the shifts of the high bytes.
template <class V>
KAVRET_LANES V PackHighBytes(V p) {
  p = ShiftChannels<11, 10>(p, Each<V>(32, 64, 32, 0));
  p = Madd16(p, Each<V>(1, 32, 2048, 0));
  return Add32(p, SrlBytes<4>(p));
}

// Dither thresholds of four neighbouring pixels as lane offsets: half for the
// 5-bit channels, a quarter for green; [high][row][column of the first pixel],
// moved up into the high bytes where `high` is 1. A pair takes the first half.
struct DitherBiases {
  alignas(32) std::int16_t of[2][4][4][16];
};
constexpr DitherBiases MakeDitherBiases() {
  DitherBiases d{};
  for (int high = 0; high < 2; ++high)
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x)
        for (int p = 0; p < 4; ++p) {
          const int threshold = kDither[y][(x + p) & 3];
          const int shift = high ? 8 : 0;
          std::int16_t* l = &d.of[high][y][x][4 * p];
          l[0] = static_cast<std::int16_t>((threshold >> 1) << shift);
          l[1] = static_cast<std::int16_t>((threshold >> 2) << shift);
          l[2] = static_cast<std::int16_t>((threshold >> 1) << shift);
          l[3] = 0;
        }
  return d;
}
constexpr DitherBiases ditherBiases = MakeDitherBiases();

// The whole parts of the colour (16.16 in 32-bit lanes) as (b, g, r, 0)
// 16-bit lanes of each pixel. A pair holds the pixels at x and x + 1 in a and
// b; four pixels hold blue and red of each in a, green and the unused lane in
// b (pixels x, x + 1 | x + 2, x + 3), so that one blend of words gathers them.
KAVRET_LANES __m128i ColourWords(__m128i a, __m128i b) {
  return _mm_packs_epi32(_mm_srli_epi32(a, 16), _mm_srli_epi32(b, 16));
}
#if KAVRET_WIDE_SPANS
KAVRET_LANES __m256i ColourWords(__m256i a, __m256i b) {
  return _mm256_blend_epi16(_mm256_srli_epi32(a, 16), b, 0xAA);
}
#endif

// What a span loop is specialised for.
struct SpanKind {
  bool textured, zTest, zWrite, additive, dither;
  constexpr bool Depth() const { return zTest || zWrite; }
};

// Whether a loop shades in the high bytes of the lanes (see ShadePixels).
constexpr bool ShadesHigh(SpanKind k) { return k.textured || k.additive; }

template <SpanKind K, class V>
KAVRET_LANES V DitherAt(int y, int x) {
  return LoadAligned<V>(ditherBiases.of[ShadesHigh(K) ? 1 : 0][y & 3][x & 3]);
}

// The packed pixels from their colour (blue, green, red in 16.16, 32-bit
// lanes; colourA the pixels at x (and x + 2), colourB those after them):
// modulated by the texture, added to the spread destination, dithered.
template <SpanKind K, class V>
KAVRET_LANES V ShadePixels(V colourA, V colourB, const PairLevel& sampler, V s, V destination, V dither) {
  V c = ColourWords(colourA, colourB);
  if constexpr (!ShadesHigh(K)) return PackPixels(c, dither);
  // Otherwise each 8-bit result goes on in the high byte of its lane: MODULATE
  // (texel * (colour + 1)) >> 8 is the high byte of the product, the colour
  // alone is moved up. Adding 8-bit values moved up likewise with unsigned
  // saturation clamps at 255 as a min after the sum does (a sum past 255 is
  // exactly one that passes 2^16, and a clamped lane stays clamped), whatever
  // the low byte holds.
  V p = K.textured ? MulLo16(SamplePixels(sampler, s), c) : Sll16<8>(c);
  if constexpr (K.additive) p = AddSatU16(p, DestinationHighBytes(destination));
  if constexpr (K.dither) p = AddSatU16(p, dither);  // moved up already
  return PackHighBytes(p);
}

#undef KAVRET_LANES

}  // namespace
