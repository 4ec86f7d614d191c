// The software rasteriser behind IDirect3DDevice2: one screen-space triangle at a
// time into a 5-6-5 colour buffer and a 16-bit z-buffer. Triangle set-up and the
// per-pixel arithmetic (sampling, modulation, blending, dithering) are shared by
// the specialised span loops and the plain reference path that tests compare
// them with.
#pragma once

#include <emmintrin.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

struct RasterVertex {
  float x, y;     // screen position, pixel centres on integers
  float z;        // depth 0..1
  float q;        // 1/w, for perspective-correct texturing
  float r, g, b;  // colour 0..255
  float u, v;     // texture coordinates
};

constexpr int kMaxMipLevels = 12;

struct RasterTexture {
  // 0x00RRGGBB; each row holds its (1 << widthLog2) texels and then its first
  // texel again, so that a bilinear pair never needs wrapping, and after the
  // last row comes the first again, so that neither does the row below.
  const std::uint32_t* texels[kMaxMipLevels];
  int widthLog2[kMaxMipLevels];
  int heightLog2[kMaxMipLevels];
  int levels;
};

struct RasterTarget {
  std::uint16_t* color;  // 5-6-5
  int colorPitch;        // in pixels
  std::uint16_t* depth;  // null without a z-buffer
  int depthPitch;
  int width, height;
  // The rows a call may write, [rowBegin, rowEnd): with several drawing
  // threads each draws one band of rows at a time.
  int rowBegin = 0, rowEnd = 1 << 30;
};

struct RasterState {
  const RasterTexture* texture;  // null: Gouraud colour only
  bool zTest;                    // LESS against the z-buffer
  bool zWrite;
  bool additive;  // ONE/ONE with saturation, else the colour replaces
  bool dither;
  int clipLeft, clipTop, clipRight, clipBottom;  // right and bottom exclusive
};

// Draws one triangle (either winding). `reference` picks the per-pixel path.
void RasterizeTriangle(const RasterTarget& target, const RasterState& state, const RasterVertex& a,
                       const RasterVertex& b, const RasterVertex& c, bool reference);

// From here on: the pieces both paths share.

// f(x, y) = a x + b y + c over the screen.
struct RasterPlane {
  double a, b, c;
  double At(double x, double y) const { return a * x + b * y + c; }
};

struct TriangleSetup {
  // Edge functions in pixel units: a pixel (x, y) is inside when all three
  // ea x + eb y + ec are >= 0 (the top-left rule is folded into ec).
  std::int64_t ea[3], eb[3], ec[3];
  int minX, maxX, minY, maxY;  // bounding box within the clip rectangle, max exclusive
  RasterPlane z, r, g, b, uq, vq, q;
  // Textured only: u and v interpolated without perspective, and the
  // vertices' own q, u and v, for loops that may step texture coordinates
  // linearly across the whole triangle.
  RasterPlane u, v;
  double vertexQ[3], vertexU[3], vertexV[3];
  // Depth within 0..1 and colour within 0..255 at all three corners.
  bool cornersInRange;
};

// False for a triangle that covers nothing (degenerate or outside the clip).
bool SetupTriangle(const RasterState& state, const RasterVertex& a, const RasterVertex& b, const RasterVertex& c,
                   TriangleSetup* setup);

inline bool PixelInside(const TriangleSetup& t, int x, int y) {
  for (int i = 0; i < 3; ++i)
    if (t.ea[i] * x + t.eb[i] * y + t.ec[i] < 0) return false;
  return true;
}

// A saturating conversion to a 32-bit integer, rounding to nearest.
inline std::int32_t ToFixed(double v) {
  if (!(v > -2147483000.0)) return -2147483000;
  if (v > 2147483000.0) return 2147483000;
  return static_cast<std::int32_t>(std::floor(v + 0.5));
}

// Depth 0..1 as 16-bit z in 1/32768 steps (so that z16 = value >> 15).
constexpr double kDepthScale = 65535.0 * 32768.0;
inline std::int32_t DepthFixed(double z) { return ToFixed(std::clamp(z, 0.0, 1.0) * kDepthScale); }
// Colour 0..255 in 1/65536 steps.
inline std::int32_t ColorFixed(double c) { return ToFixed(std::clamp(c, 0.0, 255.0) * 65536.0); }

// The nearest mip level for a point: the level whose texel size is closest to
// the footprint of a pixel (log2 of its longest side, rounded), 0 when magnified.
int MipLevelAt(const TriangleSetup& t, const RasterTexture& tex, double x, double y);
// The same from the perspective values at the point, q = 1/w > 0 and u, v.
inline int MipLevelFor(const TriangleSetup& t, const RasterTexture& tex, double q, double u, double v) {
  if (tex.levels <= 1) return 0;
  // Derivatives of u = uq / q across the screen, in texels of level 0, times q:
  // (uq.a - u q.a) * width and so on, u and v side by side in SSE2 lanes. The
  // common 1/q^2 is left to the end, where it is a difference of exponents.
  const __m128d uv = _mm_setr_pd(u, v);
  const __m128d size = _mm_setr_pd(static_cast<double>(1 << tex.widthLog2[0]), static_cast<double>(1 << tex.heightLog2[0]));
  const __m128d dx = _mm_mul_pd(_mm_sub_pd(_mm_setr_pd(t.uq.a, t.vq.a), _mm_mul_pd(uv, _mm_set1_pd(t.q.a))), size);
  const __m128d dy = _mm_mul_pd(_mm_sub_pd(_mm_setr_pd(t.uq.b, t.vq.b), _mm_mul_pd(uv, _mm_set1_pd(t.q.b))), size);
  const __m128d sx = _mm_mul_pd(dx, dx), sy = _mm_mul_pd(dy, dy);
  // du^2 + dv^2 along x and along y, and the larger of the two (x's when either is NaN).
  const __m128d rx = _mm_add_sd(sx, _mm_unpackhi_pd(sx, sx)), ry = _mm_add_sd(sy, _mm_unpackhi_pd(sy, sy));
  // rho^2 = m / q^2, compared and rounded without dividing.
  const double m = _mm_cvtsd_f64(_mm_max_sd(ry, rx)), q2 = q * q;
  if (!(m >= 2.0 * q2)) return 0;  // magnified, or less than half a level shrunk
  // log2(rho) rounded: levels change at rho = 2^(l - 1/2), i.e. rho^2 = 2^(2l - 1).
  // floor(log2(m / q^2)) from the exponent fields, one less when m's mantissa
  // is the smaller. q^2 > 0 here is normal or zero, m >= 2 q^2 normal or infinite.
  const auto mb = std::bit_cast<std::uint64_t>(m), qb = std::bit_cast<std::uint64_t>(q2);
  constexpr std::uint64_t kMantissa = (std::uint64_t{1} << 52) - 1;
  const int e = static_cast<int>(mb >> 52 & 0x7FF) - static_cast<int>(qb >> 52 & 0x7FF) -
                ((mb & kMantissa) < (qb & kMantissa) ? 1 : 0);
  return std::min(tex.levels - 1, (e + 1) >> 1);
}


// One mip level as the sampler wants it.
struct TextureLevel {
  const std::uint32_t* texels;
  std::int32_t stride;  // texels per row, the repeated one included
  std::int32_t maskU, maskV;
};
inline TextureLevel LevelOf(const RasterTexture& tex, int level) {
  return TextureLevel{tex.texels[level], (1 << tex.widthLog2[level]) + 1, (1 << tex.widthLog2[level]) - 1,
                      (1 << tex.heightLog2[level]) - 1};
}

// Bilinear sample of one level; su, sv are texel coordinates in 16.16 fixed
// point, already moved by half a texel so that texel centres fall on integers.
inline std::uint32_t SampleBilinear(const TextureLevel& l, std::int32_t su, std::int32_t sv) {
  const std::int32_t iu = su >> 16, iv = sv >> 16;
  const std::uint32_t fu = (static_cast<std::uint32_t>(su) >> 8) & 0xFF;
  const std::uint32_t fv = (static_cast<std::uint32_t>(sv) >> 8) & 0xFF;
  const std::int32_t x0 = iu & l.maskU;
  const std::uint32_t* row0 = l.texels + (iv & l.maskV) * l.stride + x0;
  const std::uint32_t* row1 = l.texels + ((iv + 1) & l.maskV) * l.stride + x0;
  const std::uint32_t a = row0[0], b = row0[1], c = row1[0], d = row1[1];
  // Red and blue move together in one word, green in another.
  const std::uint32_t iu8 = 256 - fu, iv8 = 256 - fv;
  const std::uint32_t rbTop = ((a & 0xFF00FF) * iu8 + (b & 0xFF00FF) * fu) >> 8 & 0xFF00FF;
  const std::uint32_t gTop = ((a & 0xFF00) * iu8 + (b & 0xFF00) * fu) >> 8 & 0xFF00;
  const std::uint32_t rbBot = ((c & 0xFF00FF) * iu8 + (d & 0xFF00FF) * fu) >> 8 & 0xFF00FF;
  const std::uint32_t gBot = ((c & 0xFF00) * iu8 + (d & 0xFF00) * fu) >> 8 & 0xFF00;
  const std::uint32_t rb = (rbTop * iv8 + rbBot * fv) >> 8 & 0xFF00FF;
  const std::uint32_t g = (gTop * iv8 + gBot * fv) >> 8 & 0xFF00;
  return rb | g;
}

// MODULATE: texel times colour, 255 x 255 staying 255.
inline std::uint32_t Modulate(std::uint32_t texel, std::uint32_t colour) { return (texel * (colour + 1)) >> 8; }

// The 4x4 ordered-dither matrix, thresholds 0..15.
inline constexpr std::uint8_t kDither[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

// 8-bit channels to 5-6-5, adding a fraction of the threshold before truncation.
inline std::uint16_t Pack565(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t threshold) {
  const std::uint32_t r5 = std::min<std::uint32_t>(31, (r + (threshold >> 1)) >> 3);
  const std::uint32_t g6 = std::min<std::uint32_t>(63, (g + (threshold >> 2)) >> 2);
  const std::uint32_t b5 = std::min<std::uint32_t>(31, (b + (threshold >> 1)) >> 3);
  return static_cast<std::uint16_t>(r5 << 11 | g6 << 5 | b5);
}

// Additive blending: the destination's 5-6-5 value (without filling the low
// bits, so that adding black and re-dithering leaves it unchanged) plus the source.
inline void AddDestination(std::uint16_t dst, std::uint32_t& r, std::uint32_t& g, std::uint32_t& b) {
  r = std::min<std::uint32_t>(255, r + ((dst >> 11) << 3));
  g = std::min<std::uint32_t>(255, g + (((dst >> 5) & 63) << 2));
  b = std::min<std::uint32_t>(255, b + ((dst & 31) << 3));
}

// Texel coordinate of a level in 16.16 fixed point, wrapped into the first tile
// by the caller's choice of `tile` (an integer), minus half a texel.
inline std::int32_t TexelFixed(double coord, double tile, int log2Size) {
  return ToFixed((coord - tile) * static_cast<double>(1 << log2Size) * 65536.0) - 0x8000;
}

void RasterizeSpans(const TriangleSetup& t, const RasterTarget& target, const RasterState& state);
void RasterizeReference(const TriangleSetup& t, const RasterTarget& target, const RasterState& state);
