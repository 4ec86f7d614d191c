// The engine side of the drawing tests (see render_scene.h).
#include "support/render_scene.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "device/render_device.h"
#include "device/texture_surfaces.h"
#include "effects/particles.h"
#include "platform/dx/d3d.h"
#include "platform/dx/ddraw.h"
#include "platform/files/files.h"
#include "render/renderer.h"
#include "scene/normals.h"
#include "support/process_folder.h"

namespace {

// The lens textures: a soft round glow, a ring, a small hard disc, a hexagon-ish blob.
void Glow(int x, int y, int side, std::uint8_t rgb[3]) {
  const float c = (side - 1) * 0.5f;
  const float d = std::sqrt((x - c) * (x - c) + (y - c) * (y - c)) / c;
  const float v = d >= 1.0f ? 0.0f : (1.0f - d) * (1.0f - d);
  rgb[0] = rgb[1] = rgb[2] = static_cast<std::uint8_t>(v * 255.0f);
}
void Ring(int x, int y, int side, std::uint8_t rgb[3]) {
  const float c = (side - 1) * 0.5f;
  const float d = std::sqrt((x - c) * (x - c) + (y - c) * (y - c)) / c;
  const float v = std::fabs(d - 0.75f) < 0.12f ? 1.0f - std::fabs(d - 0.75f) / 0.12f : 0.0f;
  rgb[0] = static_cast<std::uint8_t>(v * 120.0f);
  rgb[1] = static_cast<std::uint8_t>(v * 200.0f);
  rgb[2] = static_cast<std::uint8_t>(v * 255.0f);
}
void Disc(int x, int y, int side, std::uint8_t rgb[3]) {
  const float c = (side - 1) * 0.5f;
  const float d = std::sqrt((x - c) * (x - c) + (y - c) * (y - c)) / c;
  const std::uint8_t v = d < 0.5f ? 160 : 0;
  rgb[0] = v;
  rgb[1] = static_cast<std::uint8_t>(v / 2);
  rgb[2] = static_cast<std::uint8_t>(v / 4);
}
void Blob(int x, int y, int side, std::uint8_t rgb[3]) {
  const float c = (side - 1) * 0.5f;
  const float d = (std::fabs(x - c) + std::fabs(y - c)) / c;
  const float v = d >= 1.0f ? 0.0f : 1.0f - d;
  rgb[0] = static_cast<std::uint8_t>(v * 90.0f);
  rgb[1] = static_cast<std::uint8_t>(v * 255.0f);
  rgb[2] = static_cast<std::uint8_t>(v * 90.0f);
}

}  // namespace

bool HeadlessRenderDevice::Create(int w, int h, int scale) {
  width = w;
  height = h;
  RenderDevice = {};
  const bool opened = OpenHeadlessDevice(parts, w, h, true, scale);
  RenderDevice.directDraw = parts.directDraw;
  RenderDevice.directDraw2 = parts.directDraw2;
  RenderDevice.direct3D = parts.direct3D;
  RenderDevice.backBuffer = parts.target;
  RenderDevice.zBuffer = parts.zBuffer;
  RenderDevice.device = parts.device;
  RenderDevice.viewport = parts.viewport;
  if (!opened || !SetDefaultRenderStates()) return false;
  RenderDevice.width = w;
  RenderDevice.height = h;
  RenderDevice.viewportRect = RECT{0, 0, w, h};
  // The software device textures straight from system memory.
  RenderDevice.texturesInSystemMemory = true;
  return true;
}

void HeadlessRenderDevice::Destroy() {
  CloseHeadlessDevice(parts);
  RenderDevice = {};
}

bool HeadlessRenderDevice::BeginFrame() {
  D3DRECT rect{0, 0, width, height};
  if (RenderDevice.viewport->Clear(1, &rect, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER) != D3D_OK) return false;
  RenderDevice.device->SetRenderState(D3DRENDERSTATE_BLENDENABLE, FALSE);
  return RenderDevice.device->BeginScene() == D3D_OK;
}

void HeadlessRenderDevice::EndFrame() { RenderDevice.device->EndScene(); }

std::vector<std::uint8_t> HeadlessRenderDevice::ReadBack() const { return ReadBackRgb(parts); }

std::vector<std::uint16_t> HeadlessRenderDevice::ReadDepth() const {
  std::vector<std::uint16_t> depth;
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof desc;
  if (RenderDevice.zBuffer->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) return depth;
  for (DWORD y = 0; y < desc.dwHeight; ++y) {
    const auto* row = reinterpret_cast<const std::uint16_t*>(static_cast<const std::uint8_t*>(desc.lpSurface) +
                                                             y * static_cast<std::size_t>(desc.lPitch));
    depth.insert(depth.end(), row, row + desc.dwWidth);
  }
  RenderDevice.zBuffer->Unlock(nullptr);
  return depth;
}

const std::string& TestDataDirectory() {
  static const std::string directory = [] {
    const std::filesystem::path dir = ProcessFolder("render_test_data");
    std::filesystem::create_directories(dir / "Textures");
    return dir.string();
  }();
  return directory;
}

void WriteTestTarga(const std::string& name, int side, TexelFunction texel) {
  WriteBytes(std::filesystem::path(TestDataDirectory()) / "Textures" / name, PaintedTarga(side, texel));
}

void StartTestScene(const std::string& dataDirectory) {
  static const bool written = [] {
    WriteTestTarga("lens1.tga", 32, Glow);
    WriteTestTarga("lens2.tga", 32, Ring);
    WriteTestTarga("lens3.tga", 16, Disc);
    WriteTestTarga("lens4.tga", 16, Blob);
    return true;
  }();
  (void)written;
  SetDataDirectory(dataDirectory.empty() ? TestDataDirectory() : dataDirectory);
  InitSceneRegistries();
  InitRenderer();
  InitParticleSystems();
}

void EndTestScene() {
  ReleaseAllTextureSurfaces();
  FreeSceneRegistries();
  FreeRenderer();
  FreeParticleSystems();
}

void PrepareTextures() {
  for (Texture* t = Textures.first; t; t = t->next) {
    if (t->pixels) EnsureTexture(t);
  }
}

Camera* AddTestCamera(int width, int height, Vec4 eye, Vec4 target) {
  Camera* camera = AddCamera();
  camera->eye = eye;
  camera->target = target;
  SetCameraScreen(camera, width, height);
  SetCurrentCamera(camera);
  return camera;
}

MeshObject* AddTestMesh(const char* name, const std::vector<TestVertex>& vertices,
                        const std::vector<int>& corners, Material* material) {
  MeshGeometry* g = AddGeometry();
  g->vertexCount = static_cast<int>(vertices.size());
  g->vertices = static_cast<Vertex*>(std::calloc(vertices.size(), sizeof(Vertex)));
  for (std::size_t i = 0; i < vertices.size(); ++i) {
    g->vertices[i].position = Vec4{vertices[i].x, vertices[i].y, vertices[i].z, 1.0f};
    g->vertices[i].u = vertices[i].u;
    g->vertices[i].v = vertices[i].v;
  }
  g->faceCount = static_cast<int>(corners.size() / 3);
  g->faces = static_cast<Face*>(std::calloc(static_cast<std::size_t>(g->faceCount), sizeof(Face)));
  for (int f = 0; f < g->faceCount; ++f) {
    for (int c = 0; c < 3; ++c) g->faces[f].vertices[c] = &g->vertices[corners[3 * f + c]];
    g->faces[f].material = material;
  }
  ComputeNormals(g, 1);
  MeshObject* object = AddMeshObject(name);
  object->geometry = g;
  ComputeBounds(object);
  return object;
}

MeshObject* AddTestGrid(const char* name, int n, float size, float repeat, Material* material) {
  std::vector<TestVertex> vertices;
  std::vector<int> corners;
  for (int j = 0; j <= n; ++j) {
    for (int i = 0; i <= n; ++i) {
      const float s = static_cast<float>(i) / n, t = static_cast<float>(j) / n;
      vertices.push_back({-size + 2 * size * s, -size + 2 * size * t, 0.0f, s * repeat, t * repeat});
    }
  }
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < n; ++i) {
      const int a = j * (n + 1) + i, b = a + 1, c = a + n + 1, d = c + 1;
      corners.insert(corners.end(), {a, c, b, b, c, d});
    }
  }
  return AddTestMesh(name, vertices, corners, material);
}

Light* AddTestLight(const char* name, Vec4 position, float red, float green, float blue, float range,
                    float farRange) {
  Light* light = AddLight(LightGroups.current, 2, name);
  light->position = position;
  light->colour[0] = red;
  light->colour[1] = green;
  light->colour[2] = blue;
  light->rangeSquared = range * range;
  light->farRangeSquared = farRange * farRange;
  return light;
}

std::vector<const RenderCall*> DrawCalls(const std::vector<RenderCall>& log) {
  std::vector<const RenderCall*> draws;
  for (const RenderCall& call : log) {
    if (call.kind == RenderCallKind::DrawPrimitive || call.kind == RenderCallKind::DrawIndexedPrimitive)
      draws.push_back(&call);
  }
  return draws;
}
