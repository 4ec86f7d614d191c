// Test support for the renderer tests (see render_support.h).
#include "render_support.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>

#include "device/render_device.h"
#include "device/texture_surfaces.h"
#include "effects/particles.h"
#include "platform/capture/png_write.h"
#include "platform/dx/dx_platform.h"
#include "platform/files/files.h"
#include "process_folder.h"
#include "render/renderer.h"
#include "scene/normals.h"

namespace {

IDirectDraw* directDraw = nullptr;

void SetDefaultStates(IDirect3DDevice2* device) {
  const std::pair<D3DRENDERSTATETYPE, DWORD> states[] = {
      {D3DRENDERSTATE_ANTIALIAS, D3DANTIALIAS_NONE},
      {D3DRENDERSTATE_TEXTUREADDRESS, D3DTADDRESS_WRAP},
      {D3DRENDERSTATE_TEXTUREPERSPECTIVE, TRUE},
      {D3DRENDERSTATE_ZENABLE, TRUE},
      {D3DRENDERSTATE_ZWRITEENABLE, TRUE},
      {D3DRENDERSTATE_ZFUNC, D3DCMP_LESS},
      {D3DRENDERSTATE_FILLMODE, D3DFILL_SOLID},
      {D3DRENDERSTATE_SHADEMODE, D3DSHADE_GOURAUD},
      {D3DRENDERSTATE_MONOENABLE, FALSE},
      {D3DRENDERSTATE_TEXTUREMAG, D3DFILTER_LINEAR},
      {D3DRENDERSTATE_TEXTUREMIN, D3DFILTER_MIPLINEAR},
      {D3DRENDERSTATE_CULLMODE, D3DCULL_NONE},
      {D3DRENDERSTATE_SPECULARENABLE, FALSE},
      {D3DRENDERSTATE_ZVISIBLE, FALSE},
      {D3DRENDERSTATE_SUBPIXEL, FALSE},
      {D3DRENDERSTATE_BLENDENABLE, FALSE},
      {D3DRENDERSTATE_DITHERENABLE, TRUE},
  };
  for (const auto& [state, value] : states) device->SetRenderState(state, value);
}

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

bool TestDevice::Create(int w, int h) {
  width = w;
  height = h;
  DxResetForTests();
  DxSetDriverSet(DxDriverSet::Headless);
  RenderDevice = {};
  if (DirectDrawCreate(nullptr, &directDraw, nullptr) != DD_OK) return false;
  IDirectDraw2* dd2 = nullptr;
  if (directDraw->QueryInterface(IID_IDirectDraw2, reinterpret_cast<LPVOID*>(&dd2)) != DD_OK) return false;
  RenderDevice.directDraw = directDraw;
  RenderDevice.directDraw2 = dd2;
  if (dd2->SetCooperativeLevel(nullptr, DDSCL_NORMAL) != DD_OK) return false;

  DDSURFACEDESC desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = static_cast<DWORD>(w);
  desc.dwHeight = static_cast<DWORD>(h);
  desc.ddsCaps.dwCaps = DDSCAPS_3DDEVICE | DDSCAPS_SYSTEMMEMORY;
  if (dd2->CreateSurface(&desc, &RenderDevice.backBuffer, nullptr) != DD_OK) return false;
  desc.dwFlags |= DDSD_ZBUFFERBITDEPTH;
  desc.dwZBufferBitDepth = 16;
  desc.ddsCaps.dwCaps = DDSCAPS_ZBUFFER;
  if (dd2->CreateSurface(&desc, &RenderDevice.zBuffer, nullptr) != DD_OK) return false;
  if (RenderDevice.backBuffer->AddAttachedSurface(RenderDevice.zBuffer) != DD_OK) return false;

  if (dd2->QueryInterface(IID_IDirect3D2, reinterpret_cast<LPVOID*>(&RenderDevice.direct3D)) != DD_OK)
    return false;
  if (RenderDevice.direct3D->CreateDevice(IID_IDirect3DRGBDevice, RenderDevice.backBuffer, &RenderDevice.device) !=
      D3D_OK)
    return false;
  if (RenderDevice.direct3D->CreateViewport(&RenderDevice.viewport, nullptr) != D3D_OK) return false;
  D3DVIEWPORT2 vp{};
  vp.dwSize = sizeof vp;
  vp.dwWidth = static_cast<DWORD>(w);
  vp.dwHeight = static_cast<DWORD>(h);
  vp.dvClipWidth = static_cast<float>(w);
  vp.dvClipHeight = static_cast<float>(h);
  vp.dvMaxZ = 1.0f;
  if (RenderDevice.device->AddViewport(RenderDevice.viewport) != D3D_OK) return false;
  if (RenderDevice.viewport->SetViewport2(&vp) != D3D_OK) return false;
  if (RenderDevice.device->SetCurrentViewport(RenderDevice.viewport) != D3D_OK) return false;
  SetDefaultStates(RenderDevice.device);
  RenderDevice.width = w;
  RenderDevice.height = h;
  RenderDevice.viewportRect = RECT{0, 0, w, h};
  // The software device textures straight from system memory.
  RenderDevice.texturesInSystemMemory = true;
  return true;
}

void TestDevice::Destroy() {
  if (RenderDevice.viewport) RenderDevice.viewport->Release();
  if (RenderDevice.device) RenderDevice.device->Release();
  if (RenderDevice.direct3D) RenderDevice.direct3D->Release();
  if (RenderDevice.zBuffer) RenderDevice.zBuffer->Release();
  if (RenderDevice.backBuffer) RenderDevice.backBuffer->Release();
  if (RenderDevice.directDraw2) RenderDevice.directDraw2->Release();
  if (directDraw) directDraw->Release();
  directDraw = nullptr;
  RenderDevice = {};
  DxResetForTests();
}

bool TestDevice::BeginFrame() {
  D3DRECT rect{0, 0, width, height};
  if (RenderDevice.viewport->Clear(1, &rect, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER) != D3D_OK) return false;
  RenderDevice.device->SetRenderState(D3DRENDERSTATE_BLENDENABLE, FALSE);
  return RenderDevice.device->BeginScene() == D3D_OK;
}

void TestDevice::EndFrame() { RenderDevice.device->EndScene(); }

std::vector<std::uint8_t> TestDevice::ReadBack() const {
  std::vector<std::uint8_t> rgb;
  DxSurfaceToRgb888(RenderDevice.backBuffer, rgb, nullptr, nullptr);
  return rgb;
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
  const std::string path = TestDataDirectory() + "/Textures/" + name;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return;
  std::uint8_t header[18] = {};
  header[2] = 2;
  header[12] = static_cast<std::uint8_t>(side & 0xFF);
  header[13] = static_cast<std::uint8_t>(side >> 8);
  header[14] = header[12];
  header[15] = header[13];
  header[16] = 24;
  std::fwrite(header, 1, sizeof header, file);
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      std::uint8_t rgb[3];
      texel(x, y, side, rgb);
      const std::uint8_t bgr[3] = {rgb[2], rgb[1], rgb[0]};
      std::fwrite(bgr, 1, 3, file);
    }
  }
  std::fclose(file);
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

std::string CompareWithGolden(const std::string& name, const std::vector<std::uint8_t>& rgb, int width,
                              int height) {
  const std::string base = std::string(KAVRET_SOURCE_DIR) + "/tests/render/golden/" + name;
  const char* update = std::getenv("KAVRET_UPDATE_GOLDEN");
  if (update && std::string(update) == "1") {
    WritePngRgb(base + ".png", width, height, rgb);
    return "";
  }
  std::vector<std::uint8_t> expected;
  int w = 0, h = 0;
  const bool found = ReadPngRgb(base + ".png", &w, &h, expected);
  if (found && w == width && h == height && expected == rgb) return "";
  // A failed picture goes into the build tree, never next to the reference.
  const std::string failed = std::string(KAVRET_BINARY_DIR) + "/golden_failed/render";
  std::filesystem::create_directories(failed);
  const std::string actual = failed + "/" + name + ".actual.png";
  WritePngRgb(actual, width, height, rgb);
  std::size_t differing = 0;
  if (found && w == width && h == height) {
    for (std::size_t i = 0; i < rgb.size(); i += 3) {
      if (rgb[i] != expected[i] || rgb[i + 1] != expected[i + 1] || rgb[i + 2] != expected[i + 2]) ++differing;
    }
  }
  return (found ? "differs from " : "no reference ") + base + ".png (" + std::to_string(differing) +
         " pixels differ); the frame is in " + actual;
}

std::vector<const RenderCall*> DrawCalls(const std::vector<RenderCall>& log) {
  std::vector<const RenderCall*> draws;
  for (const RenderCall& call : log) {
    if (call.kind == RenderCallKind::DrawPrimitive || call.kind == RenderCallKind::DrawIndexedPrimitive)
      draws.push_back(&call);
  }
  return draws;
}
