// The engine side of the tests and benchmarks that draw: the demo's render
// device on a headless device, scenes started and ended as the sequencer does
// it, with tiny lens textures written on the fly, and small hand-made scene
// content (cameras, meshes, lights).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/math.h"
#include "render/device_calls.h"
#include "scene/scene.h"
#include "support/headless_device.h"
#include "support/scene_records.h"
#include "support/targa.h"

// The demo's render device (RenderDevice) on a headless device of width x
// height, with the default render states the demo's device gets and textures
// taken from system memory, as the software driver does; its surfaces hold
// `scale` x `scale` pixels per screen pixel.
struct HeadlessRenderDevice {
  bool Create(int width, int height, int scale = 1);
  void Destroy();
  // Clears colour and depth and begins the scene, as a frame starts.
  bool BeginFrame();
  void EndFrame();
  // The back buffer as packed RGB rows, at its real size.
  std::vector<std::uint8_t> ReadBack() const;
  // The render device's z-buffer, row after row, at its real size.
  std::vector<std::uint16_t> ReadDepth() const;
  HeadlessDevice parts;
  int width = 0;
  int height = 0;
};

// Starts a scene: the records, the renderer and the particle systems
// initialised, the renderer's lens textures read from the data directory
// given, by default a temporary one of tiny Targa files.
void StartTestScene(const std::string& dataDirectory = "");
// Ends it: everything freed and the renderer's buffers released.
void EndTestScene();
// The temporary data directory (created on first use) holding Textures/.
const std::string& TestDataDirectory();
// A square Targa painted by `texel`, written as Textures/<name> there.
void WriteTestTarga(const std::string& name, int side, TexelFunction texel);

// A camera at eye looking at target with the up hint (0, 1, 0), made current,
// on a width x height screen.
Camera* AddTestCamera(int width, int height, Vec4 eye, Vec4 target);
// A mesh object over a new geometry of the given vertices and faces (three
// vertex indices each, all with the one material), normals computed (flip 1)
// and bounds set.
struct TestVertex {
  float x, y, z, u, v;
};
MeshObject* AddTestMesh(const char* name, const std::vector<TestVertex>& vertices,
                        const std::vector<int>& corners, Material* material);
// A grid of (n x n) squares in the plane z = 0 spanning [-size, size] in x and
// y, u and v running 0..repeat, facing -z (towards a camera on the -z side).
MeshObject* AddTestGrid(const char* name, int n, float size, float repeat, Material* material);
// A point light in the current group at a world position.
Light* AddTestLight(const char* name, Vec4 position, float red, float green, float blue, float range,
                    float farRange);

// The draw calls of a call log.
std::vector<const RenderCall*> DrawCalls(const std::vector<RenderCall>& log);

// Gives every loaded texture its device surfaces, as a scene's first frame does.
void PrepareTextures();
