// Triangle set-up (fixed-point edges with the top-left rule, attribute planes),
// mip selection, and the plain per-pixel reference path.
#include "platform/dx/rasterizer.h"

#include <cmath>

namespace {

// Vertex positions are snapped to 1/16 pixel before the edges are formed, so the
// coverage test is exact integer arithmetic: shared edges are drawn once.
constexpr int kSubpixelBits = 4;
constexpr double kSubpixel = 1 << kSubpixelBits;

// llround without the library call. A float times 16 has at most 24
// significant bits, so adding a half is exact below 2^50 and truncation then
// rounds halves away from zero as llround does; larger values take llround.
std::int64_t RoundHalfAway(double v) {
  if (!(std::fabs(v) < 0x1p50)) return std::llround(v);
  return static_cast<std::int64_t>(v + std::copysign(0.5, v));
}

// The gradients of the planes through three points, shared by every
// attribute: a = (f1 - f0) ax1 - (f2 - f0) ax2 and b likewise, so that one
// division per triangle does for all its planes.
struct PlaneBasis {
  double x0, y0;
  double ax1, ax2, bx2, bx1;
};

PlaneBasis BasisOf(const double x[3], const double y[3], double det) {
  const double inverse = 1.0 / det;
  return PlaneBasis{x[0], y[0], (y[2] - y[0]) * inverse, (y[1] - y[0]) * inverse, (x[1] - x[0]) * inverse,
                    (x[2] - x[0]) * inverse};
}

RasterPlane PlaneThrough(const PlaneBasis& k, double f0, double f1, double f2) {
  RasterPlane p;
  p.a = (f1 - f0) * k.ax1 - (f2 - f0) * k.ax2;
  p.b = (f2 - f0) * k.bx2 - (f1 - f0) * k.bx1;
  p.c = f0 - p.a * k.x0 - p.b * k.y0;
  return p;
}

}  // namespace

bool SetupTriangle(const RasterState& state, const RasterVertex& a, const RasterVertex& b, const RasterVertex& c,
                   TriangleSetup* t) {
  const RasterVertex* v[3] = {&a, &b, &c};
  std::int64_t X[3], Y[3];
  for (int i = 0; i < 3; ++i) {
    X[i] = RoundHalfAway(static_cast<double>(v[i]->x) * kSubpixel);
    Y[i] = RoundHalfAway(static_cast<double>(v[i]->y) * kSubpixel);
  }
  const std::int64_t area = (X[1] - X[0]) * (Y[2] - Y[0]) - (Y[1] - Y[0]) * (X[2] - X[0]);
  if (area == 0) return false;
  const std::int64_t sign = area > 0 ? 1 : -1;

  for (int i = 0; i < 3; ++i) {
    const int j = (i + 1) % 3;
    // E(P) = A (Px - Xi) + B (Py - Yi), positive inside.
    const std::int64_t A = -(Y[j] - Y[i]) * sign;
    const std::int64_t B = (X[j] - X[i]) * sign;
    // Pixels exactly on an edge belong to the triangle only on its top or left edges.
    // (Bitwise, not short-circuit: whether an edge is top or left is data.)
    const bool topLeft = (A > 0) | ((A == 0) & (B > 0));
    t->ea[i] = A << kSubpixelBits;
    t->eb[i] = B << kSubpixelBits;
    t->ec[i] = -A * X[i] - B * Y[i] - (topLeft ? 0 : 1);
  }

  const std::int64_t minX = std::min({X[0], X[1], X[2]}), maxX = std::max({X[0], X[1], X[2]});
  const std::int64_t minY = std::min({Y[0], Y[1], Y[2]}), maxY = std::max({Y[0], Y[1], Y[2]});
  // Pixel centres are on integers: the box runs from ceil(min) to floor(max).
  t->minX = static_cast<int>(std::max<std::int64_t>(state.clipLeft, (minX + 15) >> kSubpixelBits));
  t->maxX = static_cast<int>(std::min<std::int64_t>(state.clipRight, (maxX >> kSubpixelBits) + 1));
  t->minY = static_cast<int>(std::max<std::int64_t>(state.clipTop, (minY + 15) >> kSubpixelBits));
  t->maxY = static_cast<int>(std::min<std::int64_t>(state.clipBottom, (maxY >> kSubpixelBits) + 1));
  if (t->minX >= t->maxX || t->minY >= t->maxY) return false;

  // Attribute planes through the snapped positions, so they match the coverage.
  double x[3], y[3];
  for (int i = 0; i < 3; ++i) {
    x[i] = static_cast<double>(X[i]) / kSubpixel;
    y[i] = static_cast<double>(Y[i]) / kSubpixel;
  }
  const double det = static_cast<double>(area) / (kSubpixel * kSubpixel);
  const PlaneBasis k = BasisOf(x, y, det);
  t->z = PlaneThrough(k, a.z, b.z, c.z);
  t->r = PlaneThrough(k, a.r, b.r, c.r);
  t->g = PlaneThrough(k, a.g, b.g, c.g);
  t->b = PlaneThrough(k, a.b, b.b, c.b);
  t->cornersInRange = true;
  for (const RasterVertex* p : v) {
    const bool inRange = (p->z >= 0) & (p->z <= 1) & (p->r >= 0) & (p->r <= 255) & (p->g >= 0) & (p->g <= 255) &
                         (p->b >= 0) & (p->b <= 255);
    t->cornersInRange &= inRange;
  }
  if (state.texture) {
    t->q = PlaneThrough(k, a.q, b.q, c.q);
    t->uq = PlaneThrough(k, double(a.u) * a.q, double(b.u) * b.q, double(c.u) * c.q);
    t->vq = PlaneThrough(k, double(a.v) * a.q, double(b.v) * b.q, double(c.v) * c.q);
    t->u = PlaneThrough(k, a.u, b.u, c.u);
    t->v = PlaneThrough(k, a.v, b.v, c.v);
    for (int i = 0; i < 3; ++i) {
      t->vertexQ[i] = v[i]->q;
      t->vertexU[i] = v[i]->u;
      t->vertexV[i] = v[i]->v;
    }
  }
  return true;
}

int MipLevelAt(const TriangleSetup& t, const RasterTexture& tex, double x, double y) {
  if (tex.levels <= 1) return 0;
  const double q = t.q.At(x, y);
  if (!(q > 0)) return 0;
  return MipLevelFor(t, tex, q, t.uq.At(x, y) / q, t.vq.At(x, y) / q);
}

void RasterizeReference(const TriangleSetup& t, const RasterTarget& target, const RasterState& state) {
  const int rowEnd = std::min(t.maxY, target.rowEnd);
  for (int y = std::max(t.minY, target.rowBegin); y < rowEnd; ++y) {
    std::uint16_t* crow = target.color + static_cast<std::ptrdiff_t>(y) * target.colorPitch;
    std::uint16_t* zrow = target.depth ? target.depth + static_cast<std::ptrdiff_t>(y) * target.depthPitch : nullptr;
    for (int x = t.minX; x < t.maxX; ++x) {
      if (!PixelInside(t, x, y)) continue;
      const auto z16 = static_cast<std::uint16_t>(DepthFixed(t.z.At(x, y)) >> 15);
      if (zrow && state.zTest && !(z16 < zrow[x])) continue;
      std::uint32_t r = static_cast<std::uint32_t>(ColorFixed(t.r.At(x, y)) >> 16);
      std::uint32_t g = static_cast<std::uint32_t>(ColorFixed(t.g.At(x, y)) >> 16);
      std::uint32_t b = static_cast<std::uint32_t>(ColorFixed(t.b.At(x, y)) >> 16);
      if (const RasterTexture* tex = state.texture) {
        const int level = MipLevelAt(t, *tex, x, y);
        const double q = t.q.At(x, y);
        const double u = t.uq.At(x, y) / q, v = t.vq.At(x, y) / q;
        const std::uint32_t texel = SampleBilinear(LevelOf(*tex, level), TexelFixed(u, std::floor(u), tex->widthLog2[level]),
                                                   TexelFixed(v, std::floor(v), tex->heightLog2[level]));
        r = Modulate(texel >> 16 & 0xFF, r);
        g = Modulate(texel >> 8 & 0xFF, g);
        b = Modulate(texel & 0xFF, b);
      }
      if (state.additive) AddDestination(crow[x], r, g, b);
      crow[x] = Pack565(r, g, b, state.dither ? kDither[y & 3][x & 3] : 0);
      if (zrow && state.zWrite) zrow[x] = z16;
    }
  }
}

void RasterizeTriangle(const RasterTarget& target, const RasterState& state, const RasterVertex& a,
                       const RasterVertex& b, const RasterVertex& c, bool reference) {
  TriangleSetup t;
  if (!SetupTriangle(state, a, b, c, &t)) return;
  if (reference) RasterizeReference(t, target, state);
  else RasterizeSpans(t, target, state);
}
