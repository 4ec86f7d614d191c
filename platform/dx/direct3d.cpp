// Direct3D objects of the software device: IDirect3D2 (device search and
// creation), viewports and their Clear, texture handles and Load, and the
// device's state (render states, scenes, texture formats). Drawing is in draw.cpp.
#include <algorithm>
#include <cstring>

#include "platform/dx/dx_internal.h"

namespace {

D3DDEVICEDESC SoftwareDeviceDesc() {
  D3DDEVICEDESC d{};
  d.dwSize = sizeof d;
  d.dwFlags = D3DDD_COLORMODEL | D3DDD_DEVCAPS;
  d.dcmColorModel = D3DCOLOR_RGB;
  // Textures are sampled where they are: system memory is as good as any.
  d.dwDevCaps = D3DDEVCAPS_FLOATTLVERTEX | D3DDEVCAPS_TLVERTEXSYSTEMMEMORY | D3DDEVCAPS_TEXTURESYSTEMMEMORY |
                D3DDEVCAPS_DRAWPRIMTLVERTEX;
  d.dwDeviceRenderBitDepth = 0x400;   // DDBD_16
  d.dwDeviceZBufferBitDepth = 0x400;  // DDBD_16
  d.dwMinTextureWidth = d.dwMinTextureHeight = 1;
  d.dwMaxTextureWidth = d.dwMaxTextureHeight = 1024;
  return d;
}

DDPIXELFORMAT Rgb16(DWORD flags, DWORD r, DWORD g, DWORD b, DWORD a) {
  return DDPIXELFORMAT{sizeof(DDPIXELFORMAT), flags, 0, {16}, r, g, b, a};
}

// The texture formats offered, in enumeration order. Two of them have one alpha
// bit at 0x8000; the 1-5-5-5 ARGB one comes last.
const DDPIXELFORMAT textureFormats[] = {
    Rgb16(DDPF_RGB, 0xF800, 0x07E0, 0x001F, 0),
    Rgb16(DDPF_RGB | DDPF_ALPHAPIXELS, 0x001F, 0x03E0, 0x7C00, 0x8000),
    Rgb16(DDPF_RGB | DDPF_ALPHAPIXELS, 0x0F00, 0x00F0, 0x000F, 0xF000),
    Rgb16(DDPF_RGB | DDPF_ALPHAPIXELS, 0x7C00, 0x03E0, 0x001F, 0x8000),
    Rgb16(DDPF_RGB, 0x7C00, 0x03E0, 0x001F, 0),
};

}  // namespace

HRESULT DxDirect3D::FindDevice(D3DFINDDEVICESEARCH* search, D3DFINDDEVICERESULT* result) {
  if (HRESULT r = DxEnter(DxMethod::FindDevice)) return r;
  if (!search || !result || search->dwSize != sizeof(D3DFINDDEVICESEARCH) ||
      result->dwSize != sizeof(D3DFINDDEVICERESULT))
    return DDERR_INVALIDPARAMS;
  // There is no hardware device; the software RGB device is on every driver.
  if ((search->dwFlags & D3DFDS_HARDWARE) && search->bHardware) return DDERR_NOTFOUND;
  if ((search->dwFlags & D3DFDS_COLORMODEL) && search->dcmColorModel != D3DCOLOR_RGB) return DDERR_NOTFOUND;
  if ((search->dwFlags & D3DFDS_GUID) && !(search->guid == IID_IDirect3DRGBDevice)) return DDERR_NOTFOUND;
  std::memset(reinterpret_cast<std::uint8_t*>(result) + sizeof(DWORD), 0, sizeof *result - sizeof(DWORD));
  result->guid = IID_IDirect3DRGBDevice;
  result->ddHwDesc.dwSize = sizeof(D3DDEVICEDESC);
  result->ddSwDesc = SoftwareDeviceDesc();
  return D3D_OK;
}

HRESULT DxDirect3D::CreateDevice(REFCLSID deviceGuid, IDirectDrawSurface* renderTargetIn, IDirect3DDevice2** out) {
  DxSurface* renderTarget = Impl(renderTargetIn);
  if (!out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (HRESULT r = DxEnter(DxMethod::CreateDevice)) return r;
  if (!(deviceGuid == IID_IDirect3DRGBDevice)) return DDERR_NOTFOUND;
  if (!renderTarget || !(renderTarget->caps & DDSCAPS_3DDEVICE) || !DxIsRgb565(renderTarget->format))
    return DDERR_INVALIDCAPS;
  auto* d = new DxDevice;
  d->direct3D = this;
  AddRef();
  d->renderTarget = renderTarget;
  renderTarget->AddRef();
  // Direct3D's own defaults; the demo sets what it relies on.
  auto& s = d->renderStates;
  s[D3DRENDERSTATE_TEXTUREADDRESS] = D3DTADDRESS_WRAP;
  s[D3DRENDERSTATE_WRAPU] = FALSE;
  s[D3DRENDERSTATE_ZENABLE] = renderTarget->attachedZ ? TRUE : FALSE;
  s[D3DRENDERSTATE_FILLMODE] = D3DFILL_SOLID;
  s[D3DRENDERSTATE_SHADEMODE] = D3DSHADE_GOURAUD;
  s[D3DRENDERSTATE_ZWRITEENABLE] = TRUE;
  s[D3DRENDERSTATE_TEXTUREMAG] = D3DFILTER_NEAREST;
  s[D3DRENDERSTATE_TEXTUREMIN] = D3DFILTER_NEAREST;
  s[D3DRENDERSTATE_SRCBLEND] = D3DBLEND_ONE;
  s[D3DRENDERSTATE_DESTBLEND] = D3DBLEND_ZERO;
  s[D3DRENDERSTATE_TEXTUREMAPBLEND] = D3DTBLEND_MODULATE;
  s[D3DRENDERSTATE_CULLMODE] = D3DCULL_CCW;
  s[D3DRENDERSTATE_ZFUNC] = D3DCMP_LESSEQUAL;
  *out = d;
  return D3D_OK;
}

HRESULT DxDirect3D::CreateViewport(IDirect3DViewport2** viewport, IUnknown* outer) {
  if (!viewport || outer) return DDERR_INVALIDPARAMS;
  *viewport = nullptr;
  if (HRESULT r = DxEnter(DxMethod::CreateViewport)) return r;
  *viewport = new DxViewport;
  return D3D_OK;
}

ULONG DxDirect3D::AddRef() { return ++refs; }

ULONG DxDirect3D::Release() {
  if (--refs > 0) return refs;
  directDraw->Release();
  delete this;
  return 0;
}

HRESULT DxViewport::SetViewport2(D3DVIEWPORT2* d) {
  if (HRESULT r = DxEnter(DxMethod::SetViewport2)) return r;
  if (!d || d->dwSize != sizeof(D3DVIEWPORT2)) return DDERR_INVALIDPARAMS;
  if (!device) return D3DERR_VIEWPORTHASNODEVICE;
  const DxSurface* target = device->renderTarget;
  if (d->dwWidth == 0 || d->dwHeight == 0 || d->dwX + d->dwWidth > static_cast<DWORD>(DxLogicalWidth(target)) ||
      d->dwY + d->dwHeight > static_cast<DWORD>(DxLogicalHeight(target)))
    return DDERR_INVALIDPARAMS;
  data = *d;
  dataSet = true;
  return D3D_OK;
}

HRESULT DxViewport::Clear(DWORD count, D3DRECT* rects, DWORD flags) {
  if (HRESULT r = DxEnter(DxMethod::Clear)) return r;
  if (!device) return D3DERR_VIEWPORTHASNODEVICE;
  if (!dataSet) return D3DERR_VIEWPORTDATANOTSET;
  if (count == 0 || !rects || !(flags & (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER))) return DDERR_INVALIDPARAMS;
  DxSurface* target = device->renderTarget;
  DxSurface* z = target->attachedZ;
  if (target->lost || ((flags & D3DCLEAR_ZBUFFER) && z && z->lost)) return DDERR_SURFACELOST;
  for (DWORD i = 0; i < count; ++i) {
    // Clears stay inside the viewport.
    RECT r{std::max<LONG>(rects[i].x1, static_cast<LONG>(data.dwX)),
           std::max<LONG>(rects[i].y1, static_cast<LONG>(data.dwY)),
           std::min<LONG>(rects[i].x2, static_cast<LONG>(data.dwX + data.dwWidth)),
           std::min<LONG>(rects[i].y2, static_cast<LONG>(data.dwY + data.dwHeight))};
    if (r.left >= r.right || r.top >= r.bottom) continue;
    const RECT m = DxScaledRect(r, target->scale);
    // With drawing threads the clear is queued like a draw, its rows shared out.
    const auto fill = [&m](DxSurface* s, std::uint16_t value) {
      if (DxRasterQueued()) DxQueueFill(s->memory.get(), s->pitch, s->height, m, value);
      else DxFillRect16(s->memory.get(), s->pitch, m, value);
    };
    if (flags & D3DCLEAR_TARGET) fill(target, 0);
    if ((flags & D3DCLEAR_ZBUFFER) && z) fill(z, 0xFFFF);
  }
  DxPublishRaster();
  return D3D_OK;
}

ULONG DxViewport::AddRef() { return ++refs; }

ULONG DxViewport::Release() {
  if (--refs > 0) return refs;
  delete this;
  return 0;
}

HRESULT DxDevice::AddViewport(IDirect3DViewport2* viewportIn) {
  DxViewport* viewport = Impl(viewportIn);
  if (HRESULT r = DxEnter(DxMethod::AddViewport)) return r;
  if (!viewport || viewport->device) return DDERR_INVALIDPARAMS;
  viewport->device = this;
  viewport->AddRef();
  viewports.push_back(viewport);
  return D3D_OK;
}

HRESULT DxDevice::SetCurrentViewport(IDirect3DViewport2* viewportIn) {
  DxViewport* viewport = Impl(viewportIn);
  if (HRESULT r = DxEnter(DxMethod::SetCurrentViewport)) return r;
  if (!viewport || viewport->device != this) return DDERR_INVALIDPARAMS;
  if (!viewport->dataSet) return D3DERR_VIEWPORTDATANOTSET;
  currentViewport = viewport;
  return D3D_OK;
}

HRESULT DxDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  if (HRESULT r = DxEnter(DxMethod::SetRenderState)) return r;
  if (state == 0 || state >= D3DRENDERSTATE_COUNT) return DDERR_INVALIDPARAMS;
  // Every state is remembered; the rasteriser reads the ones it emulates.
  renderStates[state] = value;
  return D3D_OK;
}

HRESULT DxDevice::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
  if (!value || state == 0 || state >= D3DRENDERSTATE_COUNT) return DDERR_INVALIDPARAMS;
  *value = renderStates[state];
  return D3D_OK;
}

HRESULT DxDevice::BeginScene() {
  if (HRESULT r = DxEnter(DxMethod::BeginScene)) return r;
  if (inScene) return D3DERR_SCENE_IN_SCENE;
  inScene = true;
  return D3D_OK;
}

HRESULT DxDevice::EndScene() {
  if (!inScene) return D3DERR_SCENE_NOT_IN_SCENE;
  inScene = false;
  return D3D_OK;
}

HRESULT DxDevice::EnumTextureFormats(LPD3DENUMTEXTUREFORMATSCALLBACK callback, LPVOID context) {
  if (HRESULT r = DxEnter(DxMethod::EnumTextureFormats)) return r;
  if (!callback) return DDERR_INVALIDPARAMS;
  for (const DDPIXELFORMAT& f : textureFormats) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_PIXELFORMAT;
    desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    desc.ddpfPixelFormat = f;
    if (callback(&desc, context) == D3DENUMRET_CANCEL) break;
  }
  return D3D_OK;
}

ULONG DxDevice::AddRef() { return ++refs; }

ULONG DxDevice::Release() {
  if (--refs > 0) return refs;
  for (DxViewport* v : viewports) {
    v->device = nullptr;
    v->Release();
  }
  renderTarget->Release();
  direct3D->Release();
  delete this;
  return 0;
}

HRESULT DxTexture::GetHandle(IDirect3DDevice2* device, D3DTEXTUREHANDLE* handle) {
  if (HRESULT r = DxEnter(DxMethod::GetHandle)) return r;
  if (!device || !handle) return DDERR_INVALIDPARAMS;
  if (!surface->textureHandle) {
    dxState.textureSurfaces.push_back(surface);
    surface->textureHandle = static_cast<DWORD>(dxState.textureSurfaces.size());
  }
  *handle = surface->textureHandle;
  return D3D_OK;
}

HRESULT DxTexture::Load(IDirect3DTexture2* sourceIn) {
  DxTexture* source = Impl(sourceIn);
  if (HRESULT r = DxEnter(DxMethod::Load)) return r;
  if (!source) return DDERR_INVALIDPARAMS;
  // Copies the whole mip chain; both chains must have the same shape and format.
  DxSurface* d = surface;
  DxSurface* s = source->surface;
  for (; d && s; d = d->ownsNext ? d->next : nullptr, s = s->ownsNext ? s->next : nullptr) {
    if (d->width != s->width || d->height != s->height) return DDERR_INVALIDPARAMS;
    if (std::memcmp(&d->format, &s->format, sizeof(DDPIXELFORMAT)) != 0) return DDERR_INVALIDPIXELFORMAT;
    if (d->lost || s->lost) return DDERR_SURFACELOST;
    for (int y = 0; y < d->height; ++y)
      std::memcpy(d->memory.get() + y * d->pitch, s->memory.get() + y * s->pitch, static_cast<size_t>(d->width) * 2);
    DxSurfaceChanged(d);
  }
  return D3D_OK;
}

ULONG DxTexture::AddRef() { return ++refs; }

ULONG DxTexture::Release() {
  if (--refs > 0) return refs;
  surface->Release();
  delete this;
  return 0;
}
