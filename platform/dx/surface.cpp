// DirectDraw surfaces: memory with a real pitch, Lock/Unlock, colour-fill and
// stretching Blt, the flipping chain, lost surfaces, attachments, and the texel
// cache the rasteriser samples from.
#include <algorithm>
#include <cstring>

#include "platform/dx/dx_internal.h"

namespace {

bool IsPrimary(const DxSurface* s) { return s->caps & DDSCAPS_PRIMARYSURFACE; }

// Lock and Blt refuse a lost surface and a locked one, as DirectDraw does.
HRESULT Usable(const DxSurface* s) {
  if (s->lost) return DDERR_SURFACELOST;
  if (s->locked) return DDERR_SURFACEBUSY;
  return DD_OK;
}

bool RectInside(const RECT& r, int width, int height) {
  return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && r.right <= width &&
         r.bottom <= height;
}

// One 5-6-5 pixel row to the next, choosing source columns by nearest sample.
void StretchCopy(DxSurface* dst, const RECT& d, DxSurface* src, const RECT& s) {
  const int dw = d.right - d.left, dh = d.bottom - d.top;
  const int sw = s.right - s.left, sh = s.bottom - s.top;
  for (int y = 0; y < dh; ++y) {
    const int sy = s.top + static_cast<int>((static_cast<std::int64_t>(y) * sh) / dh);
    const auto* srow = reinterpret_cast<const std::uint16_t*>(src->memory.get() + sy * src->pitch);
    auto* drow = reinterpret_cast<std::uint16_t*>(dst->memory.get() + (d.top + y) * dst->pitch);
    if (sw == dw) {
      std::memcpy(drow + d.left, srow + s.left, static_cast<size_t>(dw) * 2);
      continue;
    }
    for (int x = 0; x < dw; ++x)
      drow[d.left + x] = srow[s.left + static_cast<int>((static_cast<std::int64_t>(x) * sw) / dw)];
  }
}

// The window a present onto the primary surface goes to: the clipper's, else the
// cooperative level's.
HWND PresentWindow(const DxSurface* primary) {
  if (primary->clipper && primary->clipper->window) return primary->clipper->window;
  return primary->owner ? primary->owner->cooperativeWindow : nullptr;
}

int MaskShift(DWORD mask) { return mask ? __builtin_ctz(mask) : 0; }
int MaskBits(DWORD mask) { return mask ? __builtin_popcount(mask) : 0; }

// Expands an n-bit channel to 8 bits by repeating its high bits.
std::uint32_t Expand(std::uint32_t v, int bits) {
  if (bits <= 0) return 0;
  if (bits >= 8) return v >> (bits - 8);
  std::uint32_t out = v << (8 - bits);
  for (int have = bits; have < 8; have += bits) out |= out >> have;
  return out & 0xFF;
}

}  // namespace

DDPIXELFORMAT DxRgb565Format() {
  return DDPIXELFORMAT{sizeof(DDPIXELFORMAT), DDPF_RGB, 0, {16}, 0xF800, 0x07E0, 0x001F, 0};
}

DDPIXELFORMAT DxZBuffer16Format() {
  return DDPIXELFORMAT{sizeof(DDPIXELFORMAT), DDPF_ZBUFFER, 0, {16}, 0, 0, 0, 0};
}

bool DxIsRgb565(const DDPIXELFORMAT& f) {
  return (f.dwFlags & DDPF_RGB) && f.dwRGBBitCount == 16 && f.dwRBitMask == 0xF800 && f.dwGBitMask == 0x07E0 &&
         f.dwBBitMask == 0x001F;
}

DxSurface* DxNewSurface(DxDirectDraw* owner, DWORD caps, const DDPIXELFORMAT& format, int width,
                        int height, int scale) {
  auto* s = new DxSurface;
  s->owner = owner;
  s->caps = caps;
  s->format = format;
  s->width = width * scale;
  s->height = height * scale;
  s->scale = scale;
  // Rows are padded to 16 bytes, so that callers must honour the pitch.
  s->pitch = static_cast<LONG>((s->width * 2 + 15) & ~15);
  const size_t bytes = static_cast<size_t>(s->pitch) * static_cast<size_t>(s->height);
  s->memory = std::make_unique<std::uint8_t[]>(bytes);
  std::memset(s->memory.get(), 0, bytes);
  return s;
}

void DxDestroySurface(DxSurface* s) {
  if (!s->chainRoot && s->owner) {
    auto& list = s->owner->surfaces;
    list.erase(std::remove(list.begin(), list.end(), s), list.end());
  }
  if (s->textureHandle && s->textureHandle <= dxState.textureSurfaces.size())
    dxState.textureSurfaces[s->textureHandle - 1] = nullptr;
  if (s->attachedZ) s->attachedZ->Release();
  if (s->clipper) s->clipper->Release();
  if (s->ownsNext && s->next) DxDestroySurface(s->next);
  delete s;
}

void DxDestroyOwnedSurfaces(DxDirectDraw* owner) {
  // Attachments and chains refer to each other: gather everything first, then
  // free each surface once without following references.
  std::vector<DxSurface*> all;
  for (DxSurface* root : owner->surfaces)
    for (DxSurface* s = root; s; s = s->ownsNext ? s->next : nullptr) all.push_back(s);
  owner->surfaces.clear();
  for (DxSurface* s : all) {
    if (s->textureHandle && s->textureHandle <= dxState.textureSurfaces.size())
      dxState.textureSurfaces[s->textureHandle - 1] = nullptr;
    if (s->clipper) s->clipper->Release();
  }
  for (DxSurface* s : all) delete s;
}

void DxSurfaceChanged(DxSurface* s) { s->texels.valid = false; }

const std::uint32_t* DxSurfaceTexels(DxSurface* s) {
  if (s->texels.valid) return s->texels.texels.data();
  const DDPIXELFORMAT& f = s->format;
  const int rs = MaskShift(f.dwRBitMask), rb = MaskBits(f.dwRBitMask);
  const int gs = MaskShift(f.dwGBitMask), gb = MaskBits(f.dwGBitMask);
  const int bs = MaskShift(f.dwBBitMask), bb = MaskBits(f.dwBBitMask);
  // Each row ends with its first texel again, and the first row follows the
  // last again, so that the four texels of a wrapped bilinear sample are two
  // pairs one row apart; two texels more at the end let the span loops read
  // 16 bytes from any pair.
  const size_t stride = static_cast<size_t>(s->width) + 1;
  s->texels.texels.assign(stride * (static_cast<size_t>(s->height) + 1) + 2, 0);
  for (int y = 0; y < s->height; ++y) {
    const auto* row = reinterpret_cast<const std::uint16_t*>(s->memory.get() + y * s->pitch);
    std::uint32_t* out = s->texels.texels.data() + static_cast<size_t>(y) * stride;
    for (int x = 0; x < s->width; ++x) {
      const std::uint32_t v = row[x];
      out[x] = Expand((v & f.dwRBitMask) >> rs, rb) << 16 | Expand((v & f.dwGBitMask) >> gs, gb) << 8 |
               Expand((v & f.dwBBitMask) >> bs, bb);
    }
    out[s->width] = out[0];
  }
  std::copy_n(s->texels.texels.data(), stride, s->texels.texels.data() + stride * static_cast<size_t>(s->height));
  s->texels.valid = true;
  return s->texels.texels.data();
}

HRESULT DxSurface::QueryInterface(REFIID iid, LPVOID* object) {
  if (!object) return DDERR_INVALIDPARAMS;
  *object = nullptr;
  if (HRESULT r = DxEnter(DxMethod::QueryInterface)) return r;
  if (iid == IID_IDirectDrawSurface) {
    AddRef();
    *object = static_cast<IDirectDrawSurface*>(this);
    return DD_OK;
  }
  if (iid == IID_IDirect3DTexture2 && (caps & DDSCAPS_TEXTURE)) {
    auto* t = new DxTexture;
    t->surface = this;
    AddRef();
    *object = static_cast<IDirect3DTexture2*>(t);
    return DD_OK;
  }
  return E_NOINTERFACE;
}

ULONG DxSurface::AddRef() { return ++refs; }

ULONG DxSurface::Release() {
  if (refs == 0) return 0;
  if (--refs > 0) return refs;
  // A surface inside a complex chain lives as long as its root.
  if (chainRoot) return 0;
  DxDestroySurface(this);
  return 0;
}

HRESULT DxSurface::GetAttachedSurface(DDSCAPS* wanted, IDirectDrawSurface** surface) {
  if (!wanted || !surface) return DDERR_INVALIDPARAMS;
  *surface = nullptr;
  if (HRESULT r = DxEnter(DxMethod::GetAttachedSurface)) return r;
  DxSurface* found = nullptr;
  if (next && (next->caps & wanted->dwCaps) == wanted->dwCaps && next != chainRoot) found = next;
  else if (attachedZ && (attachedZ->caps & wanted->dwCaps) == wanted->dwCaps) found = attachedZ;
  if (!found) return DDERR_NOTFOUND;
  found->AddRef();
  *surface = found;
  return DD_OK;
}

HRESULT DxSurface::AddAttachedSurface(IDirectDrawSurface* surfaceIn) {
  DxSurface* surface = Impl(surfaceIn);
  if (HRESULT r = DxEnter(DxMethod::AddAttachedSurface)) return r;
  if (!surface || !(surface->caps & DDSCAPS_ZBUFFER)) return DDERR_CANNOTATTACHSURFACE;
  if (attachedZ) return DDERR_SURFACEALREADYATTACHED;
  if (surface->width != width || surface->height != height) return DDERR_CANNOTATTACHSURFACE;
  surface->AddRef();
  attachedZ = surface;
  return DD_OK;
}

HRESULT DxSurface::SetClipper(IDirectDrawClipper* newClipperIn) {
  DxClipper* newClipper = Impl(newClipperIn);
  if (HRESULT r = DxEnter(DxMethod::SetClipper)) return r;
  if (newClipper) newClipper->AddRef();
  if (clipper) clipper->Release();
  clipper = newClipper;
  return DD_OK;
}

HRESULT DxSurface::IsLost() { return lost ? DDERR_SURFACELOST : DD_OK; }

HRESULT DxSurface::Restore() {
  if (HRESULT r = DxEnter(DxMethod::Restore)) return r;
  if (lost) {
    // The memory comes back, its contents do not.
    std::memset(memory.get(), 0, static_cast<size_t>(pitch) * static_cast<size_t>(height));
    DxSurfaceChanged(this);
    lost = false;
  }
  return DD_OK;
}

HRESULT DxSurface::Blt(RECT* destRect, IDirectDrawSurface* sourceIn, RECT* sourceRect, DWORD flags,
                       DDBLTFX* fx) {
  DxSurface* source = Impl(sourceIn);
  if (HRESULT r = DxEnter(DxMethod::Blt)) return r;
  if (HRESULT r = Usable(this)) return r;

  if (flags & DDBLT_COLORFILL) {
    if (!fx || fx->dwSize != sizeof(DDBLTFX)) return DDERR_INVALIDPARAMS;
    const RECT d = destRect ? *destRect : RECT{0, 0, DxLogicalWidth(this), DxLogicalHeight(this)};
    if (!RectInside(d, DxLogicalWidth(this), DxLogicalHeight(this))) return DDERR_INVALIDRECT;
    DxFillRect16(memory.get(), pitch, DxScaledRect(d, scale), static_cast<std::uint16_t>(fx->dwFillColor));
    DxSurfaceChanged(this);
    return DD_OK;
  }

  if (!source) return DDERR_INVALIDPARAMS;
  if (HRESULT r = Usable(source)) return r;
  if (!DxIsRgb565(source->format) && source->format.dwFlags != format.dwFlags) return DDERR_INVALIDPIXELFORMAT;
  const RECT logical = sourceRect ? *sourceRect : RECT{0, 0, DxLogicalWidth(source), DxLogicalHeight(source)};
  if (!RectInside(logical, DxLogicalWidth(source), DxLogicalHeight(source))) return DDERR_INVALIDRECT;
  const RECT s = DxScaledRect(logical, source->scale);

  if (IsPrimary(this) && !(owner->cooperativeLevel & DDSCL_EXCLUSIVE)) {
    // Windowed: the primary surface is the desktop; a copy onto it shows the
    // picture in the window's client area.
    if (destRect && (destRect->right <= destRect->left || destRect->bottom <= destRect->top)) return DD_OK;
    if (!DxIsRgb565(source->format)) return DDERR_INVALIDPIXELFORMAT;
    const auto* pixels = reinterpret_cast<const std::uint16_t*>(source->memory.get() + s.top * source->pitch) + s.left;
    DxPresent(PresentWindow(this), false, pixels, s.right - s.left, s.bottom - s.top, source->pitch / 2);
    return DD_OK;
  }

  const RECT d = destRect ? *destRect : RECT{0, 0, DxLogicalWidth(this), DxLogicalHeight(this)};
  if (!RectInside(d, DxLogicalWidth(this), DxLogicalHeight(this))) return DDERR_INVALIDRECT;
  StretchCopy(this, DxScaledRect(d, scale), source, s);
  DxSurfaceChanged(this);
  return DD_OK;
}

HRESULT DxSurface::Flip(IDirectDrawSurface* targetIn, DWORD) {
  DxSurface* target = Impl(targetIn);
  if (HRESULT r = DxEnter(DxMethod::Flip)) return r;
  if (!IsPrimary(this) || !(caps & DDSCAPS_FLIP) || !next) return DDERR_NOTFLIPPABLE;
  if (target && target != next) return DDERR_INVALIDPARAMS;
  if (lost || next->lost) return DDERR_SURFACELOST;
  if (locked || next->locked) return DDERR_SURFACEBUSY;
  if (dxState.flipBusy > 0) {
    --dxState.flipBusy;
    return DDERR_WASSTILLDRAWING;
  }
  // The back buffer's memory becomes the visible one; the surfaces keep their roles.
  std::swap(memory, next->memory);
  DxSurfaceChanged(this);
  DxSurfaceChanged(next);
  DxPresent(PresentWindow(this), true, reinterpret_cast<const std::uint16_t*>(memory.get()), width, height,
            pitch / 2);
  return DD_OK;
}

HRESULT DxSurface::GetFlipStatus(DWORD flags) {
  if (flags != DDGFS_ISFLIPDONE && flags != DDGFS_CANFLIP) return DDERR_INVALIDPARAMS;
  if (lost) return DDERR_SURFACELOST;
  if (dxState.flipBusy > 0) {
    --dxState.flipBusy;
    return DDERR_WASSTILLDRAWING;
  }
  return DD_OK;
}

HRESULT DxSurface::Lock(RECT* rect, DDSURFACEDESC* desc, DWORD, HANDLE) {
  if (HRESULT r = DxEnter(DxMethod::Lock)) return r;
  if (!desc || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
  if (HRESULT r = Usable(this)) return r;
  if (rect && !RectInside(*rect, DxLogicalWidth(this), DxLogicalHeight(this))) return DDERR_INVALIDRECT;
  GetSurfaceDesc(desc);
  // What is locked is the memory: a scaled surface's lock describes it at
  // its real size, so that a caller honouring the description stays inside.
  desc->dwWidth = static_cast<DWORD>(width);
  desc->dwHeight = static_cast<DWORD>(height);
  std::uint8_t* base = memory.get();
  if (rect) base += rect->top * scale * pitch + rect->left * scale * 2;
  desc->dwFlags |= DDSD_LPSURFACE;
  desc->lpSurface = base;
  locked = true;
  return DD_OK;
}

HRESULT DxSurface::Unlock(LPVOID) {
  if (HRESULT r = DxEnter(DxMethod::Unlock)) return r;
  if (!locked) return DDERR_NOTLOCKED;
  locked = false;
  DxSurfaceChanged(this);
  return DD_OK;
}

HRESULT DxSurface::GetSurfaceDesc(DDSURFACEDESC* desc) {
  if (!desc || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
  std::memset(desc, 0, sizeof *desc);
  desc->dwSize = sizeof *desc;
  desc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
  desc->dwWidth = static_cast<DWORD>(DxLogicalWidth(this));
  desc->dwHeight = static_cast<DWORD>(DxLogicalHeight(this));
  desc->lPitch = pitch;
  desc->ddpfPixelFormat = format;
  desc->ddsCaps.dwCaps = caps;
  if (caps & DDSCAPS_MIPMAP) {
    int levels = 1;
    for (const DxSurface* s = this; s->ownsNext && s->next; s = s->next) ++levels;
    desc->dwFlags |= DDSD_MIPMAPCOUNT;
    desc->dwMipMapCount = static_cast<DWORD>(levels);
  }
  return DD_OK;
}

void DxLoseSurface(IDirectDrawSurface* surfaceIn) {
  DxFlushRaster();
  DxSurface* surface = Impl(surfaceIn);
  if (!surface) return;
  DxSurface* root = surface->chainRoot ? surface->chainRoot : surface;
  for (DxSurface* s = root; s; s = s->ownsNext ? s->next : nullptr) s->lost = true;
}

bool DxSurfaceToRgb888(IDirectDrawSurface* surfaceIn, std::vector<std::uint8_t>& rgb, int* width, int* height) {
  DxFlushRaster();
  const DxSurface* surface = Impl(surfaceIn);
  if (!surface || !DxIsRgb565(surface->format)) return false;
  const DxFrame frame{reinterpret_cast<const std::uint16_t*>(surface->memory.get()), surface->width,
                      surface->height, surface->pitch / 2};
  DxFrameToRgb888(frame, rgb);
  if (width) *width = surface->width;
  if (height) *height = surface->height;
  return true;
}

void DxFrameToRgb888(const DxFrame& frame, std::vector<std::uint8_t>& rgb) {
  rgb.resize(static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height) * 3);
  std::uint8_t* out = rgb.data();
  for (int y = 0; y < frame.height; ++y) {
    const std::uint16_t* row = frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch;
    for (int x = 0; x < frame.width; ++x) {
      const std::uint32_t p = row[x];
      const std::uint32_t r = p >> 11, g = (p >> 5) & 63, b = p & 31;
      *out++ = static_cast<std::uint8_t>(r << 3 | r >> 2);
      *out++ = static_cast<std::uint8_t>(g << 2 | g >> 4);
      *out++ = static_cast<std::uint8_t>(b << 3 | b >> 2);
    }
  }
}

void DxFillRect16(std::uint8_t* memory, LONG pitch, const RECT& r, std::uint16_t value) {
  const std::uint64_t pattern = 0x0001000100010001ull * value;
  const std::size_t bytes = 2 * static_cast<std::size_t>(r.right - r.left);
  for (LONG y = r.top; y < r.bottom; ++y) {
    std::uint8_t* row = memory + static_cast<std::ptrdiff_t>(y) * pitch + 2 * static_cast<std::ptrdiff_t>(r.left);
    // Black and the far depth are one byte repeated: the C library's fill.
    if ((value & 0xFF) == value >> 8) {
      std::memset(row, value & 0xFF, bytes);
      continue;
    }
    std::size_t i = 0;
    for (; i + 8 <= bytes; i += 8) std::memcpy(row + i, &pattern, 8);
    for (; i < bytes; i += 2) std::memcpy(row + i, &pattern, 2);
  }
}
