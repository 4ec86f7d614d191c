// The renderer's device calls and the optional call log.
#include "render/device_calls.h"

#include "scene/scene.h"

#include "device/render_device.h"
#include "device/texture_surfaces.h"
#include "render/renderer.h"

std::vector<RenderCall>* RenderCallLog = nullptr;

namespace {

RenderCall& LogCall(RenderCallKind kind) {
  RenderCall call{};
  call.kind = kind;
  RenderCallLog->push_back(std::move(call));
  return RenderCallLog->back();
}

}  // namespace

bool DeviceSetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  IDirect3DDevice2* device = RenderDevice.device;
  const bool ok = device && device->SetRenderState(state, value) == D3D_OK;
  if (RenderCallLog) {
    RenderCall& call = LogCall(RenderCallKind::SetRenderState);
    call.state = state;
    call.value = value;
    call.succeeded = ok;
  }
  return ok;
}

bool DeviceDrawPrimitive(D3DPRIMITIVETYPE type, D3DTLVERTEX* vertices, DWORD vertexCount) {
  IDirect3DDevice2* device = RenderDevice.device;
  const bool ok =
      device && device->DrawPrimitive(type, D3DVT_TLVERTEX, vertices, vertexCount, 0) == D3D_OK;
  if (RenderCallLog) {
    RenderCall& call = LogCall(RenderCallKind::DrawPrimitive);
    call.primitive = type;
    call.vertices.assign(vertices, vertices + vertexCount);
    call.succeeded = ok;
  }
  return ok;
}

bool DeviceDrawIndexed(D3DTLVERTEX* vertices, DWORD vertexCount, WORD* indices, DWORD indexCount) {
  IDirect3DDevice2* device = RenderDevice.device;
  const bool ok = device && device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DVT_TLVERTEX, vertices,
                                                         vertexCount, indices, indexCount, 0) == D3D_OK;
  if (RenderCallLog) {
    RenderCall& call = LogCall(RenderCallKind::DrawIndexedPrimitive);
    call.primitive = D3DPT_TRIANGLELIST;
    call.vertices.assign(vertices, vertices + vertexCount);
    call.indices.assign(indices, indices + indexCount);
    call.succeeded = ok;
  }
  return ok;
}

bool DeviceBindTexture(Texture* texture) {
  const bool ok = RenderDevice.device && BindTexture(texture);
  if (RenderCallLog) {
    RenderCall& call = LogCall(RenderCallKind::BindTexture);
    call.texture = texture;
    call.succeeded = ok;
  }
  return ok;
}

bool UnbindTexture() {
  IDirect3DDevice2* device = RenderDevice.device;
  const bool ok = device && device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, 0) == D3D_OK;
  if (RenderCallLog) {
    RenderCall& call = LogCall(RenderCallKind::UnbindTexture);
    call.succeeded = ok;
  }
  return ok;
}

bool SelectTexture(Texture* texture) {
  if (texture == CurrentTexture) return true;
  if (texture && !TextureHasSurfaces(texture)) {
    // A texture without device surfaces (its file was refused, the device had
    // no texture format, or making a surface failed): the faces are drawn
    // untextured, and the rest of the object with them.
    UnbindTexture();
  } else if (texture) {
    if (!DeviceBindTexture(texture)) return false;
  } else {
    UnbindTexture();
  }
  CurrentTexture = texture;
  return true;
}
