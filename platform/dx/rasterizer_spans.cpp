// The fast path: each row's covered span found exactly from the edge functions,
// then a loop specialised for the state (textured, z test, z write, additive,
// dither) that steps depth and colour in fixed point and divides for perspective
// once per 16 pixels, stepping texture coordinates linearly in between.
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

template <bool Textured, bool ZTest, bool ZWrite, bool Additive, bool Dither>
void DrawTriangleSpans(const TriangleSetup& t, const RasterTarget& target, const RasterState& state) {
  const RasterTexture* tex = state.texture;
  for (int y = t.minY; y < t.maxY; ++y) {
    int left, right;
    if (!RowSpan(t, y, &left, &right)) continue;
    std::uint16_t* crow = target.color + static_cast<std::ptrdiff_t>(y) * target.colorPitch;
    std::uint16_t* zrow = nullptr;
    if constexpr (ZTest || ZWrite) zrow = target.depth + static_cast<std::ptrdiff_t>(y) * target.depthPitch;
    const std::uint8_t* dither = kDither[y & 3];

    Stepper z{0, 0};
    if constexpr (ZTest || ZWrite) z = SpanStepper(t.z, left, right, y, DepthFixed);
    Stepper r = SpanStepper(t.r, left, right, y, ColorFixed);
    Stepper g = SpanStepper(t.g, left, right, y, ColorFixed);
    Stepper b = SpanStepper(t.b, left, right, y, ColorFixed);

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
      int level = 0;
      if constexpr (Textured) {
        level = MipLevelAt(t, *tex, x, y);
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
          std::uint32_t cr = static_cast<std::uint32_t>(r.value) >> 16;
          std::uint32_t cg = static_cast<std::uint32_t>(g.value) >> 16;
          std::uint32_t cb = static_cast<std::uint32_t>(b.value) >> 16;
          if constexpr (Textured) {
            const std::uint32_t texel = SampleBilinear(*tex, level, su, sv);
            cr = Modulate(texel >> 16 & 0xFF, cr);
            cg = Modulate(texel >> 8 & 0xFF, cg);
            cb = Modulate(texel & 0xFF, cb);
          }
          if constexpr (Additive) AddDestination(crow[x], cr, cg, cb);
          crow[x] = Pack565(cr, cg, cb, Dither ? dither[x & 3] : 0);
          if constexpr (ZWrite) zrow[x] = z16;
        }
        if constexpr (ZTest || ZWrite) z.value += z.step;
        r.value += r.step;
        g.value += g.step;
        b.value += b.step;
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
