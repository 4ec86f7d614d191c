// DrawPrimitive and DrawIndexedPrimitive of the software device: triangle lists,
// strips and fans of pre-transformed vertices, clipped in homogeneous space
// (1/rhw is w) against 0 <= z <= w and a guard band around the viewport, then
// handed to the rasteriser with the state the render states describe.
#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>

#include "platform/dx/dx_internal.h"
#include "platform/dx/rasterizer.h"

namespace {

// Triangles reaching this far beyond the viewport are clipped; nearer ones are
// only scissored, which keeps shared edges exact.
constexpr float kGuardBand = 2048.0f;
constexpr int kMaxClipVertices = 3 + 7;

struct ClipVertex {
  float X, Y, Z, W;  // homogeneous: screen position times w
  float r, g, b, u, v;
  int corner;  // the triangle's corner this is, -1 for a point a plane cut
};

struct DrawContext {
  // The render scale S: a vertex at (sx, sy) on the callers' screen lands at
  // (S sx + offset, S sy + offset) on the target; the guard band grows with it.
  int scale;
  double offset;
  float guardBand;
  RasterTarget target;
  RasterState state;
  RasterTexture texture;
  DWORD cull;
  bool flat;
  bool reference;
  bool queued;  // set up here, drawn by the drawing threads
};

bool Finite(const D3DTLVERTEX& v) {
  return std::isfinite(v.sx) && std::isfinite(v.sy) && std::isfinite(v.sz) && std::isfinite(v.rhw) &&
         std::isfinite(v.tu) && std::isfinite(v.tv);
}

// Pixel centres are on integers: pixel i of the callers' screen covers
// [i - 1/2, i + 1/2), which is [S i - S/2, S i + S/2) on a target S times as
// large, whose pixel centres are on integers too. So x maps to
// S x + (S - 1) / 2: a small pixel's centre lands in the middle of its S x S
// block, and at S = 1 nothing moves. Worked in double: exact for the whole
// range of a float times S, rounded once to the nearest float.
float ToTarget(float coordinate, const DrawContext& c) {
  return static_cast<float>(static_cast<double>(coordinate) * c.scale + c.offset);
}

RasterVertex ToRaster(const DrawContext& c, const D3DTLVERTEX& v, D3DCOLOR color) {
  return RasterVertex{ToTarget(v.sx, c),
                      ToTarget(v.sy, c),
                      v.sz,
                      v.rhw,
                      static_cast<float>(color >> 16 & 0xFF),
                      static_cast<float>(color >> 8 & 0xFF),
                      static_cast<float>(color & 0xFF),
                      v.tu,
                      v.tv};
}

bool Culled(const DrawContext& c, const RasterVertex& a, const RasterVertex& b, const RasterVertex& d) {
  if (c.cull == D3DCULL_NONE) return false;
  // Clockwise on the screen (y down) gives a positive area.
  const double area = (double(b.x) - a.x) * (double(d.y) - a.y) - (double(b.y) - a.y) * (double(d.x) - a.x);
  return c.cull == D3DCULL_CW ? area > 0 : area < 0;
}

void Emit(const DrawContext& c, const RasterVertex& a, const RasterVertex& b, const RasterVertex& d) {
  if (Culled(c, a, b, d)) return;
  if (!c.queued) return RasterizeTriangle(c.target, c.state, a, b, d, c.reference);
  TriangleSetup t;
  if (SetupTriangle(c.state, a, b, d, &t)) DxQueueTriangle(t, c.target, c.state);
}

// Signed distance to plane `p`: inside when >= 0.
float PlaneDistance(const ClipVertex& v, int p, const DrawContext& c) {
  const RasterState& s = c.state;
  const float guard = c.guardBand;
  switch (p) {
    case 0: return v.Z;
    case 1: return v.W - v.Z;
    case 2: return v.X - (static_cast<float>(s.clipLeft) - guard) * v.W;
    case 3: return (static_cast<float>(s.clipRight) + guard) * v.W - v.X;
    case 4: return v.Y - (static_cast<float>(s.clipTop) - guard) * v.W;
    case 5: return (static_cast<float>(s.clipBottom) + guard) * v.W - v.Y;
    default: return v.W - 1e-6f * std::fabs(v.W) - 1e-20f;  // strictly in front of the eye
  }
}

// The point where the edge from an inside vertex to an outside one crosses the
// plane; always computed from the inside end, so two triangles sharing the
// edge get the same point.
ClipVertex Intersect(const ClipVertex& in, const ClipVertex& out, float dIn, float dOut) {
  const float t = dIn / (dIn - dOut);
  auto lerp = [t](float a, float b) { return a + (b - a) * t; };
  return ClipVertex{lerp(in.X, out.X), lerp(in.Y, out.Y), lerp(in.Z, out.Z), lerp(in.W, out.W),
                    lerp(in.r, out.r), lerp(in.g, out.g), lerp(in.b, out.b), lerp(in.u, out.u),
                    lerp(in.v, out.v), -1};
}

void ClipAndEmit(const DrawContext& c, const RasterVertex (&tri)[3]) {
  ClipVertex poly[kMaxClipVertices], next[kMaxClipVertices];
  int count = 3;
  for (int i = 0; i < 3; ++i) {
    const RasterVertex& v = tri[i];
    const float w = 1.0f / v.q;
    if (!std::isfinite(w)) return;  // rhw 0: a point at infinity
    poly[i] = ClipVertex{v.x * w, v.y * w, v.z * w, w, v.r, v.g, v.b, v.u, v.v, i};
  }
  for (int p = 0; p < 7 && count > 0; ++p) {
    int n = 0;
    for (int i = 0; i < count; ++i) {
      const ClipVertex& a = poly[i];
      const ClipVertex& b = poly[(i + 1) % count];
      const float da = PlaneDistance(a, p, c), db = PlaneDistance(b, p, c);
      if (da >= 0) next[n++] = a;
      if ((da >= 0) != (db >= 0)) next[n++] = da >= 0 ? Intersect(a, b, da, db) : Intersect(b, a, db, da);
    }
    count = n;
    std::copy(next, next + n, poly);
  }
  if (count < 3) return;
  RasterVertex out[kMaxClipVertices];
  for (int i = 0; i < count; ++i) {
    const ClipVertex& v = poly[i];
    // A corner no plane cut keeps its own screen position: (x w) / w is often
    // a float step off x, and a neighbour drawn unclipped uses x itself, so
    // the shared edge would leave a gap or a doubled sliver after snapping.
    if (v.corner >= 0) {
      out[i] = tri[v.corner];
      continue;
    }
    const float q = 1.0f / v.W;
    if (!std::isfinite(q) || !std::isfinite(v.X * q) || !std::isfinite(v.Y * q)) return;
    out[i] = RasterVertex{v.X * q, v.Y * q, std::clamp(v.Z * q, 0.0f, 1.0f), q, v.r, v.g, v.b, v.u, v.v};
  }
  for (int i = 1; i + 1 < count; ++i) Emit(c, out[0], out[i], out[i + 1]);
}

bool NeedsClipping(const DrawContext& c, const RasterVertex (&tri)[3]) {
  const float left = static_cast<float>(c.state.clipLeft) - c.guardBand;
  const float right = static_cast<float>(c.state.clipRight) + c.guardBand;
  const float top = static_cast<float>(c.state.clipTop) - c.guardBand;
  const float bottom = static_cast<float>(c.state.clipBottom) + c.guardBand;
  // Bitwise, not short-circuit: which test fails, if any, is data.
  bool outside = false;
  for (const RasterVertex& v : tri)
    outside |= !(v.q > 0) | (v.z < 0) | (v.z > 1) | (v.x < left) | (v.x > right) | (v.y < top) | (v.y > bottom);
  return outside;
}

void DrawTriangle(const DrawContext& c, const D3DTLVERTEX& a, const D3DTLVERTEX& b, const D3DTLVERTEX& d) {
  if (!Finite(a) || !Finite(b) || !Finite(d)) return;
  // Flat shading takes the first vertex's colour.
  const RasterVertex tri[3] = {ToRaster(c, a, a.color), ToRaster(c, b, c.flat ? a.color : b.color),
                               ToRaster(c, d, c.flat ? a.color : d.color)};
  if (NeedsClipping(c, tri)) ClipAndEmit(c, tri);
  else Emit(c, tri[0], tri[1], tri[2]);
}

// The texture a handle names, as the rasteriser wants it; false when there is none.
bool BindTextureHandle(DWORD handle, RasterTexture* tex) {
  if (handle == 0 || handle > dxState.textureSurfaces.size()) return false;
  DxSurface* s = dxState.textureSurfaces[handle - 1];
  if (!s || s->locked) return false;
  tex->levels = 0;
  for (; s && tex->levels < kMaxMipLevels; s = s->ownsNext ? s->next : nullptr) {
    const int i = tex->levels++;
    tex->texels[i] = DxSurfaceTexels(s);
    tex->widthLog2[i] = std::countr_zero(static_cast<unsigned>(s->width));
    tex->heightLog2[i] = std::countr_zero(static_cast<unsigned>(s->height));
  }
  return true;
}

HRESULT PrepareDraw(DxDevice* device, D3DPRIMITIVETYPE type, D3DVERTEXTYPE vertexType, LPVOID vertices,
                    DrawContext* c) {
  if (!vertices) return DDERR_INVALIDPARAMS;
  if (vertexType != D3DVT_TLVERTEX) return D3DERR_INVALIDVERTEXTYPE;
  if (type != D3DPT_TRIANGLELIST && type != D3DPT_TRIANGLESTRIP && type != D3DPT_TRIANGLEFAN)
    return D3DERR_INVALIDPRIMITIVETYPE;
  if (!device->inScene) return D3DERR_SCENE_NOT_IN_SCENE;
  const DxViewport* vp = device->currentViewport;
  if (!vp) return D3DERR_INVALIDCURRENTVIEWPORT;
  DxSurface* target = device->renderTarget;
  DxSurface* z = target->attachedZ;
  if (target->lost || (z && z->lost)) return DDERR_SURFACELOST;
  if (target->locked || (z && z->locked)) return DDERR_SURFACEBUSY;

  const auto& rs = device->renderStates;
  c->target = RasterTarget{reinterpret_cast<std::uint16_t*>(target->memory.get()), target->pitch / 2,
                           z ? reinterpret_cast<std::uint16_t*>(z->memory.get()) : nullptr, z ? z->pitch / 2 : 0,
                           target->width, target->height};
  const bool zOn = z && rs[D3DRENDERSTATE_ZENABLE];
  c->state.zTest = zOn && rs[D3DRENDERSTATE_ZFUNC] != D3DCMP_ALWAYS;
  c->state.zWrite = zOn && rs[D3DRENDERSTATE_ZWRITEENABLE];
  // Blending emulates ONE/ONE (additive); ONE/ZERO and blending off replace.
  c->state.additive = rs[D3DRENDERSTATE_BLENDENABLE] && rs[D3DRENDERSTATE_DESTBLEND] != D3DBLEND_ZERO;
  c->state.dither = rs[D3DRENDERSTATE_DITHERENABLE];
  c->state.texture = BindTextureHandle(rs[D3DRENDERSTATE_TEXTUREHANDLE], &c->texture) ? &c->texture : nullptr;
  // The viewport is in the callers' units; the target may be larger.
  const int scale = target->scale;
  c->scale = scale;
  c->offset = (scale - 1) / 2.0;
  c->guardBand = kGuardBand * static_cast<float>(scale);
  c->state.clipLeft = static_cast<int>(vp->data.dwX) * scale;
  c->state.clipTop = static_cast<int>(vp->data.dwY) * scale;
  c->state.clipRight = std::min(target->width, static_cast<int>(vp->data.dwX + vp->data.dwWidth) * scale);
  c->state.clipBottom = std::min(target->height, static_cast<int>(vp->data.dwY + vp->data.dwHeight) * scale);
  c->cull = rs[D3DRENDERSTATE_CULLMODE];
  c->flat = rs[D3DRENDERSTATE_SHADEMODE] == D3DSHADE_FLAT;
  c->reference = dxState.referenceRasterizer;
  // The plain reference path stays on the caller's thread.
  c->queued = DxRasterQueued() && !c->reference;
  return D3D_OK;
}

// Walks the primitive's triangles; `at(i)` gives its i-th vertex.
template <typename At>
void DrawTriangles(const DrawContext& c, D3DPRIMITIVETYPE type, DWORD count, At at) {
  if (type == D3DPT_TRIANGLELIST) {
    for (DWORD i = 0; i + 2 < count; i += 3) DrawTriangle(c, at(i), at(i + 1), at(i + 2));
  } else if (type == D3DPT_TRIANGLESTRIP) {
    // Every second triangle of a strip is turned round to keep one winding.
    for (DWORD i = 0; i + 2 < count; ++i) {
      if (i & 1) DrawTriangle(c, at(i + 1), at(i), at(i + 2));
      else DrawTriangle(c, at(i), at(i + 1), at(i + 2));
    }
  } else {
    for (DWORD i = 1; i + 1 < count; ++i) DrawTriangle(c, at(0), at(i), at(i + 1));
  }
}

// Time spent drawing triangles, for the whole-demo benchmark.
struct RasterTimer {
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  ~RasterTimer() { dxState.rasterSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); }
};

}  // namespace

HRESULT DxDevice::DrawPrimitive(D3DPRIMITIVETYPE type, D3DVERTEXTYPE vertexType, LPVOID vertices,
                                DWORD vertexCount, DWORD) {
  if (HRESULT r = DxEnter(DxMethod::DrawPrimitive)) return r;
  RasterTimer timer;
  DrawContext c;
  if (HRESULT r = PrepareDraw(this, type, vertexType, vertices, &c)) return r;
  const auto* v = static_cast<const D3DTLVERTEX*>(vertices);
  DrawTriangles(c, type, vertexCount, [v](DWORD i) -> const D3DTLVERTEX& { return v[i]; });
  if (c.queued) DxPublishRaster();
  return D3D_OK;
}

HRESULT DxDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, D3DVERTEXTYPE vertexType, LPVOID vertices,
                                       DWORD vertexCount, WORD* indices, DWORD indexCount, DWORD) {
  if (HRESULT r = DxEnter(DxMethod::DrawIndexedPrimitive)) return r;
  if (!indices && indexCount) return DDERR_INVALIDPARAMS;
  // An index past the vertices would read outside the caller's array.
  for (DWORD i = 0; i < indexCount; ++i)
    if (indices[i] >= vertexCount) return DDERR_INVALIDPARAMS;
  RasterTimer timer;
  DrawContext c;
  if (HRESULT r = PrepareDraw(this, type, vertexType, vertices, &c)) return r;
  const auto* v = static_cast<const D3DTLVERTEX*>(vertices);
  DrawTriangles(c, type, indexCount, [v, indices](DWORD i) -> const D3DTLVERTEX& { return v[indices[i]]; });
  if (c.queued) DxPublishRaster();
  return D3D_OK;
}
