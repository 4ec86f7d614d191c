// The renderer's calls on the device (RenderDevice.device), in one place, with
// an optional log of every call and its outcome that tests read.
#pragma once

#include <vector>

#include "platform/dx/d3d.h"

struct Texture;

enum class RenderCallKind { SetRenderState, DrawPrimitive, DrawIndexedPrimitive, BindTexture, UnbindTexture };

struct RenderCall {
  RenderCallKind kind;
  D3DRENDERSTATETYPE state;  // SetRenderState
  DWORD value;
  D3DPRIMITIVETYPE primitive;  // the draws: what was submitted, copied
  std::vector<D3DTLVERTEX> vertices;
  std::vector<WORD> indices;
  const Texture* texture;  // BindTexture
  bool succeeded;
};

// Null: nothing is recorded.
extern std::vector<RenderCall>* RenderCallLog;

// Each forwards to the device (or to the device layer's BindTexture) and says
// whether it succeeded; without a device every call fails.
bool DeviceSetRenderState(D3DRENDERSTATETYPE state, DWORD value);
bool DeviceDrawPrimitive(D3DPRIMITIVETYPE type, D3DTLVERTEX* vertices, DWORD vertexCount);
bool DeviceDrawIndexed(D3DTLVERTEX* vertices, DWORD vertexCount, WORD* indices, DWORD indexCount);
bool DeviceBindTexture(Texture* texture);

// Makes texture (null: none) current unless it already is, as meshes and
// sprites share it: a failed bind returns false and leaves CurrentTexture; an
// unbind's result is not looked at.
bool SelectTexture(Texture* texture);
