// Renderer cost: transforming and lighting a 2000-face mesh under three point
// lights (with and without rasterising it), and for a whole frame of flares and
// billboards over a textured wall at 640 x 480, how the time splits between the
// renderer's own work and the software rasteriser (the frame's device calls
// replayed on their own).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "device/render_device.h"
#include "device/texture_surfaces.h"
#include "effects/particles.h"
#include "loaders/texture_file.h"
#include "platform/dx/dx_platform.h"
#include "platform/files/files.h"
#include "render/device_calls.h"
#include "render/flares.h"
#include "render/renderer.h"
#include "render/transforms.h"
#include "scene/normals.h"
#include "scene/scene.h"
#include "support/process_folder.h"
#include "support/render_scene.h"
#include "support/targa.h"

namespace {

// A soft round glow for the lens and billboard textures.
void Glow(int x, int y, int side, std::uint8_t rgb[3]) {
  const float c = (side - 1) * 0.5f;
  const float d = std::sqrt((x - c) * (x - c) + (y - c) * (y - c)) / c;
  const std::uint8_t v = static_cast<std::uint8_t>(d >= 1 ? 0 : (1 - d) * (1 - d) * 255);
  rgb[0] = static_cast<std::uint8_t>(v / 2);
  rgb[1] = static_cast<std::uint8_t>(v * 3 / 4);
  rgb[2] = v;
}

// The scene starts over the glow textures in a folder of the benchmark's own.
void StartScene() {
  static const std::string dir = [] {
    const std::filesystem::path d = ProcessFolder("bench-renderer");
    for (int i = 1; i <= 4; ++i) WriteBytes(d / "Textures" / ("lens" + std::to_string(i) + ".tga"), PaintedTarga(64, Glow));
    WriteBytes(d / "Textures" / "wall.tga", PaintedTarga(128, Glow));
    return d.string();
  }();
  StartTestScene(dir);
}

Camera* SceneCamera(int w, int h, Vec4 eye) {
  Camera* camera = AddCamera();
  camera->eye = eye;
  camera->target = Vec4{0, 0, 0, 1};
  camera->upHint = Vec4{0, -1, 0, 1};
  camera->angleX = 270.0;
  camera->angleY = 335.0;
  camera->farZ = 6000.0f;
  SetCameraScreen(camera, w, h);
  SetCurrentCamera(camera);
  return camera;
}

// A grid of nx x ny squares (2 nx ny faces) bent into a bowl facing the camera.
MeshObject* AddBowl(int nx, int ny, float size, Material* material) {
  MeshGeometry* g = AddGeometry();
  const int row = nx + 1;
  g->vertexCount = row * (ny + 1);
  g->vertices = static_cast<Vertex*>(std::calloc(static_cast<std::size_t>(g->vertexCount), sizeof(Vertex)));
  for (int j = 0; j <= ny; ++j) {
    for (int i = 0; i <= nx; ++i) {
      const float x = size * (2.0f * i / nx - 1), y = size * (2.0f * j / ny - 1);
      Vertex& v = g->vertices[j * row + i];
      v.position = Vec4{x, y, (x * x + y * y) / (4 * size), 1};
      v.u = static_cast<float>(i) / nx * 4;
      v.v = static_cast<float>(j) / ny * 4;
    }
  }
  g->faceCount = 2 * nx * ny;
  g->faces = static_cast<Face*>(std::calloc(static_cast<std::size_t>(g->faceCount), sizeof(Face)));
  int f = 0;
  for (int j = 0; j < ny; ++j) {
    for (int i = 0; i < nx; ++i) {
      Vertex* a = &g->vertices[j * row + i];
      Vertex* b = a + 1;
      Vertex* c = a + row;
      Vertex* d = c + 1;
      g->faces[f++] = Face{{a, c, b}, {}, material};
      g->faces[f++] = Face{{b, c, d}, {}, material};
    }
  }
  ComputeNormals(g, 1);
  MeshObject* object = AddMeshObject("bowl");
  object->geometry = g;
  ComputeBounds(object);
  return object;
}

void AddLights() {
  const Vec4 positions[3] = {{-80, -60, -90, 1}, {90, 30, -70, 1}, {0, 90, -120, 1}};
  for (const Vec4& p : positions) {
    Light* light = AddLight(LightGroups.current, 2, "lamp");
    light->position = p;
    light->colour[0] = 200;
    light->colour[1] = 180;
    light->colour[2] = 160;
    light->rangeSquared = 60 * 60;
    light->farRangeSquared = 260 * 260;
  }
}

void PrepareTextures() {
  for (Texture* t = Textures.first; t; t = t->next)
    if (t->pixels) EnsureTexture(t);
}

// DrawMeshObject of a 2000-face mesh (1066 vertices) lit by three point
// lights. With rasterise 0 the device is taken away after the geometry work,
// so the one flush at the end fails and only the renderer's own work is timed.
void BM_DrawMeshObject(benchmark::State& state) {
  const bool rasterise = state.range(0) != 0;
  HeadlessRenderDevice device;
  device.Create(640, 480);
  StartScene();
  SceneCamera(640, 480, Vec4{0, 0, -300, 1});
  Material* material = AddMaterial("bowl");
  material->baseColour[0] = material->baseColour[1] = material->baseColour[2] = 40;
  MeshObject* bowl = AddBowl(40, 25, 150, material);  // 2000 faces, 1066 vertices
  AddLights();
  UpdateCamera(Cameras.current);
  IDirect3DDevice2* d3dDevice = RenderDevice.device;
  device.BeginFrame();
  if (!rasterise) RenderDevice.device = nullptr;
  std::int64_t vertices = 0;
  for (auto _ : state) {
    DrawMeshObject(bowl);
    vertices += SlotCount;
  }
  RenderDevice.device = d3dDevice;
  RenderDevice.device->EndScene();
  state.counters["faces"] = bowl->geometry->faceCount;
  state.counters["vertices/s"] = benchmark::Counter(static_cast<double>(vertices), benchmark::Counter::kIsRate);
  EndTestScene();
  device.Destroy();
}
BENCHMARK(BM_DrawMeshObject)->Arg(0)->Arg(1)->ArgName("rasterise");

// The flares-and-billboards scene at 640 x 480: two lights with their flares,
// forty billboards, a textured wall and a lit bowl.
void BuildFlareScene() {
  SceneCamera(640, 480, Vec4{0, 0, -300, 1});
  Material* wall = AddMaterial("wall");
  wall->baseColour[0] = wall->baseColour[1] = wall->baseColour[2] = 30;
  wall->texture = LoadTexture("Textures\\wall.tga");
  MeshObject* bowl = AddBowl(32, 32, 300, wall);
  bowl->particle.position = Vec4{0, 0, 300, 1};
  AddLights();
  for (Light* light = LightGroups.current->firstLight; light; light = light->next) {
    light->flare = CloneSprite(LensFlareTemplate);
    light->flare->active = 1;
  }
  for (int i = 0; i < 40; ++i) {
    Sprite* s = AddSprite(SpriteBillboard);
    const float a = 0.45f * i;
    s->particle.position = Vec4{150 * std::cos(a), 100 * std::sin(a), -100.0f + 12.0f * i, 1};
    s->halfSize = 30.0f;
    s->materials[0] = LensFlareTemplate->materials[0];
    s->colour[0] = s->colour[1] = s->colour[2] = 200;
    s->active = 1;
  }
  PrepareTextures();
}

void BM_FlareSceneFrame(benchmark::State& state) {
  HeadlessRenderDevice device;
  device.Create(640, 480);
  StartScene();
  BuildFlareScene();
  for (auto _ : state) {
    device.BeginFrame();
    RenderFrame();
    RenderDevice.device->EndScene();
  }
  EndTestScene();
  device.Destroy();
}
BENCHMARK(BM_FlareSceneFrame)->Unit(benchmark::kMicrosecond);

// The same frame's device calls, logged once and replayed on their own: the
// rasteriser's share of the frame above.
void BM_FlareSceneRasteriserOnly(benchmark::State& state) {
  HeadlessRenderDevice device;
  device.Create(640, 480);
  StartScene();
  BuildFlareScene();
  std::vector<RenderCall> log;
  RenderCallLog = &log;
  device.BeginFrame();
  RenderFrame();
  RenderDevice.device->EndScene();
  RenderCallLog = nullptr;
  IDirect3DDevice2* d3dDevice = RenderDevice.device;
  for (auto _ : state) {
    device.BeginFrame();
    for (RenderCall& c : log) {
      switch (c.kind) {
        case RenderCallKind::SetRenderState:
          d3dDevice->SetRenderState(c.state, c.value);
          break;
        case RenderCallKind::BindTexture:
          BindTexture(const_cast<Texture*>(c.texture));
          break;
        case RenderCallKind::UnbindTexture:
          d3dDevice->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, 0);
          break;
        case RenderCallKind::DrawPrimitive:
          d3dDevice->DrawPrimitive(c.primitive, D3DVT_TLVERTEX, c.vertices.data(),
                                static_cast<DWORD>(c.vertices.size()), 0);
          break;
        case RenderCallKind::DrawIndexedPrimitive:
          d3dDevice->DrawIndexedPrimitive(c.primitive, D3DVT_TLVERTEX, c.vertices.data(),
                                       static_cast<DWORD>(c.vertices.size()), c.indices.data(),
                                       static_cast<DWORD>(c.indices.size()), 0);
          break;
      }
    }
    d3dDevice->EndScene();
  }
  state.counters["draws"] = static_cast<double>(log.size());
  EndTestScene();
  device.Destroy();
}
BENCHMARK(BM_FlareSceneRasteriserOnly)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
