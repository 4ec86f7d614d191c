// The fast path: each row's covered span found exactly from the edge functions,
// then a loop specialised for the state (textured, z test, z write, additive,
// dither) that steps depth and colour in fixed point and divides for perspective
// once per 16 pixels, stepping texture coordinates linearly in between. The
// colour work runs on SSE2 lanes (blue, green, red, unused) with the same
// arithmetic, truncation for truncation, as the scalar helpers the reference
// path uses, so both give the same pixel for the same inputs.
#include <emmintrin.h>

#include <array>
#include <cmath>
#include <utility>

#include "platform/dx/rasterizer.h"

namespace {

constexpr int kSegment = 16;

std::int64_t FloorDiv(std::int64_t n, std::int64_t d) {
  std::int64_t q = n / d;
  if ((n % d != 0) && (n < 0)) --q;
  return q;
}

// The covered columns [*left, *right) of row y.
bool RowSpan(const TriangleSetup& t, int y, int* left, int* right) {
  std::int64_t lo = t.minX, hi = t.maxX - 1;
  for (int i = 0; i < 3; ++i) {
    const std::int64_t k = t.eb[i] * y + t.ec[i];
    const std::int64_t a = t.ea[i];
    if (a > 0) lo = std::max(lo, -FloorDiv(k, a));            // x >= ceil(-k / a)
    else if (a < 0) hi = std::min(hi, FloorDiv(k, -a));       // x <= floor(k / -a)
    else if (k < 0) return false;
  }
  if (lo > hi) return false;
  *left = static_cast<int>(lo);
  *right = static_cast<int>(hi + 1);
  return true;
}

// A value at both ends of a span and its per-pixel step, in fixed point.
struct Stepper {
  std::int32_t value, step;
};
template <typename Fixed>
Stepper SpanStepper(const RasterPlane& p, int left, int right, int y, Fixed fixed) {
  const std::int32_t v0 = fixed(p.At(left, y));
  if (right - left <= 1) return {v0, 0};
  const std::int32_t v1 = fixed(p.At(right - 1, y));
  return {v0, static_cast<std::int32_t>((static_cast<std::int64_t>(v1) - v0) / (right - left - 1))};
}

// Bilinear sample as four 32-bit lanes: the two horizontal pairs weighted with
// pmaddwd, then the two rows, each step truncated like SampleBilinear.
[[gnu::always_inline]] inline __m128i SampleLanes(const TextureLevel& l, std::int32_t su, std::int32_t sv) {
  const std::int32_t iu = su >> 16, iv = sv >> 16;
  const std::uint32_t fu = (static_cast<std::uint32_t>(su) >> 8) & 0xFF;
  const std::uint32_t fv = (static_cast<std::uint32_t>(sv) >> 8) & 0xFF;
  const std::int32_t x0 = iu & l.maskU;
  const std::uint32_t* row0 = l.texels + (iv & l.maskV) * l.stride + x0;
  const std::uint32_t* row1 = l.texels + ((iv + 1) & l.maskV) * l.stride + x0;
  const __m128i zero = _mm_setzero_si128();
  __m128i p0 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row0));
  __m128i p1 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row1));
  // Channel by channel, left texel next to right texel.
  p0 = _mm_unpacklo_epi8(_mm_unpacklo_epi8(p0, _mm_srli_si128(p0, 4)), zero);
  p1 = _mm_unpacklo_epi8(_mm_unpacklo_epi8(p1, _mm_srli_si128(p1, 4)), zero);
  const __m128i wu = _mm_set1_epi32(static_cast<int>((256 - fu) | fu << 16));
  const __m128i top = _mm_srli_epi32(_mm_madd_epi16(p0, wu), 8);
  const __m128i bottom = _mm_srli_epi32(_mm_madd_epi16(p1, wu), 8);
  __m128i rows = _mm_packs_epi32(top, bottom);
  rows = _mm_unpacklo_epi16(rows, _mm_srli_si128(rows, 8));
  const __m128i wv = _mm_set1_epi32(static_cast<int>((256 - fv) | fv << 16));
  return _mm_srli_epi32(_mm_madd_epi16(rows, wv), 8);
}

// Dither thresholds as lane offsets: half for the 5-bit channels, a quarter for green.
struct DitherLanes {
  __m128i bias[4][4];
  DitherLanes() {
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) {
        const short t5 = static_cast<short>(kDither[y][x] >> 1), t6 = static_cast<short>(kDither[y][x] >> 2);
        bias[y][x] = _mm_setr_epi16(t5, t6, t5, 0, t5, t6, t5, 0);
      }
  }
};
const DitherLanes ditherLanes;

// 16-bit lanes (blue, green, red) of 0..255 plus the threshold to 5-6-5, as Pack565.
[[gnu::always_inline]] inline std::uint16_t PackLanes(__m128i c, __m128i bias) {
  c = _mm_min_epi16(_mm_add_epi16(c, bias), _mm_set1_epi16(255));
  // >> 3, >> 2, >> 3 as high halves of products, then placed with pmaddwd.
  c = _mm_mulhi_epu16(c, _mm_setr_epi16(8192, 16384, 8192, 0, 8192, 16384, 8192, 0));
  c = _mm_madd_epi16(c, _mm_setr_epi16(1, 32, 2048, 0, 1, 32, 2048, 0));
  return static_cast<std::uint16_t>(_mm_cvtsi128_si32(c) + _mm_cvtsi128_si32(_mm_srli_si128(c, 4)));
}

template <bool Textured, bool ZTest, bool ZWrite, bool Additive, bool Dither>
void DrawTriangleSpans(const TriangleSetup& t, const RasterTarget& target, const RasterState& state) {
  const RasterTexture* tex = state.texture;
  for (int y = t.minY; y < t.maxY; ++y) {
    int left, right;
    if (!RowSpan(t, y, &left, &right)) continue;
    std::uint16_t* crow = target.color + static_cast<std::ptrdiff_t>(y) * target.colorPitch;
    std::uint16_t* zrow = nullptr;
    if constexpr (ZTest || ZWrite) zrow = target.depth + static_cast<std::ptrdiff_t>(y) * target.depthPitch;
    const __m128i* ditherRow = ditherLanes.bias[y & 3];
    const __m128i one = _mm_setr_epi32(1, 1, 1, 0);

    Stepper z{0, 0};
    if constexpr (ZTest || ZWrite) z = SpanStepper(t.z, left, right, y, DepthFixed);
    Stepper r = SpanStepper(t.r, left, right, y, ColorFixed);
    Stepper g = SpanStepper(t.g, left, right, y, ColorFixed);
    Stepper b = SpanStepper(t.b, left, right, y, ColorFixed);
    __m128i colour = _mm_setr_epi32(b.value, g.value, r.value, 0);
    const __m128i colourStep = _mm_setr_epi32(b.step, g.step, r.step, 0);

    // Perspective-correct coordinates at the start of the first segment.
    double q0 = 0, u0 = 0, v0 = 0;
    if constexpr (Textured) {
      q0 = std::max(t.q.At(left, y), 1e-30);
      u0 = t.uq.At(left, y) / q0;
      v0 = t.vq.At(left, y) / q0;
    }

    for (int x = left; x < right;) {
      const int n = std::min(kSegment, right - x);
      std::int32_t su = 0, sv = 0, dsu = 0, dsv = 0;
      TextureLevel sampler{};
      if constexpr (Textured) {
        const int level = MipLevelAt(t, *tex, x, y);
        sampler = LevelOf(*tex, level);
        const int end = x + n;
        // Just past the span q may cross zero on a nearly edge-on triangle.
        const double q1 = std::max(t.q.At(end, y), 1e-30);
        const double u1 = t.uq.At(end, y) / q1, v1 = t.vq.At(end, y) / q1;
        // Both ends of the segment are wrapped by the same whole number of tiles.
        const double tileU = std::floor(u0), tileV = std::floor(v0);
        const int wl = tex->widthLog2[level], hl = tex->heightLog2[level];
        su = TexelFixed(u0, tileU, wl);
        sv = TexelFixed(v0, tileV, hl);
        dsu = static_cast<std::int32_t>((static_cast<std::int64_t>(TexelFixed(u1, tileU, wl)) - su) / n);
        dsv = static_cast<std::int32_t>((static_cast<std::int64_t>(TexelFixed(v1, tileV, hl)) - sv) / n);
        u0 = u1;
        v0 = v1;
      }
      for (int i = 0; i < n; ++i, ++x) {
        const auto z16 = static_cast<std::uint16_t>(z.value >> 15);
        bool pass = true;
        if constexpr (ZTest) pass = z16 < zrow[x];
        if (pass) {
          __m128i c = _mm_srli_epi32(colour, 16);
          if constexpr (Textured) {
            // MODULATE: (texel * (colour + 1)) >> 8 per lane.
            c = _mm_srli_epi32(_mm_madd_epi16(SampleLanes(sampler, su, sv), _mm_add_epi32(c, one)), 8);
          }
          c = _mm_packs_epi32(c, c);
          if constexpr (Additive) {
            const std::uint32_t d = crow[x];
            const __m128i dst = _mm_setr_epi16(static_cast<short>((d & 31) << 3), static_cast<short>((d >> 5 & 63) << 2),
                                               static_cast<short>((d >> 11) << 3), 0, 0, 0, 0, 0);
            c = _mm_min_epi16(_mm_add_epi16(c, dst), _mm_set1_epi16(255));
          }
          crow[x] = PackLanes(c, Dither ? ditherRow[x & 3] : _mm_setzero_si128());
          if constexpr (ZWrite) zrow[x] = z16;
        }
        if constexpr (ZTest || ZWrite) z.value += z.step;
        colour = _mm_add_epi32(colour, colourStep);
        if constexpr (Textured) {
          su += dsu;
          sv += dsv;
        }
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

}  // namespace

void RasterizeSpans(const TriangleSetup& t, const RasterTarget& target, const RasterState& state) {
  const bool depth = target.depth != nullptr;
  const int flags = (state.texture ? 1 : 0) | (depth && state.zTest ? 2 : 0) | (depth && state.zWrite ? 4 : 0) |
                    (state.additive ? 8 : 0) | (state.dither ? 16 : 0);
  spanTable[flags](t, target, state);
}
