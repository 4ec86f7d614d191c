// Test support for the scene scripts: a small writer of model files (objects
// with a one-triangle mesh at a position, lights, a camera, materials), tiny
// Targa textures, and a fixture that gives each test a data directory of its
// own and the registries the sequencer would set up.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/scenes/blocks.h"
#include "app/scenes/scene_state.h"
#include "app/scenes/scenes.h"
#include "app/sequencer.h"
#include "device/render_device.h"
#include "device/texture_surfaces.h"
#include "effects/random.h"
#include "loaders/load3ds.h"
#include "loaders/texture_file.h"
#include "platform/dx/d3d.h"
#include "platform/dx/ddraw.h"
#include "platform/dx/dx_platform.h"
#include "platform/files/files.h"
#include "render/flares.h"
#include "scene/scene.h"

// Little-endian chunks; Open/Close nest them and patch their lengths.
class Chunks {
 public:
  Chunks& Open(std::uint16_t id) {
    starts_.push_back(bytes_.size());
    U16(id);
    return U32(0);
  }
  Chunks& Close() {
    std::size_t start = starts_.back();
    starts_.pop_back();
    auto length = static_cast<std::uint32_t>(bytes_.size() - start);
    std::memcpy(&bytes_[start + 2], &length, 4);
    return *this;
  }
  Chunks& U8(std::uint8_t v) {
    bytes_.push_back(v);
    return *this;
  }
  Chunks& U16(std::uint16_t v) { return U8(v & 0xFF).U8(v >> 8); }
  Chunks& U32(std::uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
  Chunks& F32(float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return U32(bits);
  }
  Chunks& Text(const std::string& s) {
    for (char c : s) U8(static_cast<std::uint8_t>(c));
    return U8(0);
  }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
  std::vector<std::size_t> starts_;
};

// A scene file: materials first, then objects, lights and an optional camera,
// in the order they were added.
class ModelFile {
 public:
  // A material with an optional texture file name (as 3D Studio stores it).
  ModelFile& Material(const std::string& name, const std::string& texture = "") {
    materials_.push_back({name, texture});
    return *this;
  }
  // A one-triangle mesh around (x, y, z); empty `material` gives its face none.
  ModelFile& Object(const std::string& name, float x, float y, float z, const std::string& material = "") {
    items_.push_back({Item::Mesh, name, {x, y, z, 1.0f}, {}, material});
    return *this;
  }
  // An object block with no mesh chunks at all (no vertices, no faces).
  ModelFile& EmptyObject(const std::string& name) {
    items_.push_back({Item::Empty, name, {}, {}, ""});
    return *this;
  }
  ModelFile& Light(const std::string& name, float x, float y, float z, float red = 1.0f, float green = 1.0f,
                   float blue = 1.0f) {
    items_.push_back({Item::Lamp, name, {x, y, z, 1.0f}, {red, green, blue, 0.0f}, ""});
    return *this;
  }
  ModelFile& Camera(Vec4 eye, Vec4 target) {
    items_.push_back({Item::Eye, "camera01", eye, target, ""});
    return *this;
  }

  std::vector<std::uint8_t> Bytes() const {
    Chunks c;
    c.Open(0x4D4D).Open(0x3D3D);
    for (const auto& m : materials_) {
      c.Open(0xAFFF).Open(0xA000).Text(m.name).Close();
      if (!m.texture.empty()) c.Open(0xA200).Open(0xA300).Text(m.texture).Close().Close();
      c.Close();
    }
    for (const auto& item : items_) WriteItem(c, item);
    c.Close().Close();
    return c.bytes();
  }

 private:
  struct Item {
    enum Kind { Mesh, Empty, Lamp, Eye } kind;
    std::string name;
    Vec4 a;  // position or eye
    Vec4 b;  // colour or target
    std::string material;
  };

  static void WriteItem(Chunks& c, const Item& item) {
    c.Open(0x4000).Text(item.name);
    const Vec4& p = item.a;
    switch (item.kind) {
      case Item::Mesh: {
        c.Open(0x4100);
        // Corners in world coordinates, the frame an identity turn at p.
        c.Open(0x4110).U16(3);
        const float corner[3][3] = {{-50, -50, 0}, {50, -50, 0}, {0, 50, 20}};
        for (const auto& k : corner) c.F32(p.x + k[0]).F32(p.y + k[1]).F32(p.z + k[2]);
        c.Close();
        c.Open(0x4120).U16(1).U16(0).U16(1).U16(2).U16(0);
        if (!item.material.empty()) c.Open(0x4130).Text(item.material).U16(1).U16(0).Close();
        c.Close();
        c.Open(0x4160);
        const float frame[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, p.x, p.y, p.z};
        for (float f : frame) c.F32(f);
        c.Close();
        c.Close();
        break;
      }
      case Item::Empty:
        break;
      case Item::Lamp:
        c.Open(0x4600).F32(p.x).F32(p.y).F32(p.z);
        c.Open(0x0010).F32(item.b.x).F32(item.b.y).F32(item.b.z).Close();
        c.Close();
        break;
      case Item::Eye:
        c.Open(0x4700).F32(p.x).F32(p.y).F32(p.z).F32(item.b.x).F32(item.b.y).F32(item.b.z).F32(0).F32(45);
        c.Close();
        break;
    }
    c.Close();
  }

  struct MaterialEntry {
    std::string name;
    std::string texture;
  };
  std::vector<MaterialEntry> materials_;
  std::vector<Item> items_;
};

// A square 24-bit Targa image of one colour.
inline std::vector<std::uint8_t> SolidTarga(int side, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  std::vector<std::uint8_t> file(18, 0);
  file[2] = 2;
  file[12] = static_cast<std::uint8_t>(side);
  file[14] = static_cast<std::uint8_t>(side);
  file[16] = 24;
  for (int i = 0; i < side * side; ++i) {
    file.push_back(blue);
    file.push_back(green);
    file.push_back(red);
  }
  return file;
}

template <typename T>
int CountList(const T* first) {
  int n = 0;
  for (; first; first = first->next) ++n;
  return n;
}

inline float Distance(const Vec4& a, const Vec4& b) { return VecLength(VecSub(a, b)); }

// A headless DirectDraw/Direct3D device of 640 x 480 in RenderDevice, enough
// for the scripts' texture warm-up to give textures their device side.
class SceneDevice {
 public:
  bool Create() {
    DxResetForTests();
    DxSetDriverSet(DxDriverSet::Headless);
    RenderDevice = {};
    if (DirectDrawCreate(nullptr, &directDraw_, nullptr) != DD_OK) return false;
    IDirectDraw2* dd2 = nullptr;
    if (directDraw_->QueryInterface(IID_IDirectDraw2, reinterpret_cast<LPVOID*>(&dd2)) != DD_OK) return false;
    RenderDevice.directDraw = directDraw_;
    RenderDevice.directDraw2 = dd2;
    if (dd2->SetCooperativeLevel(nullptr, DDSCL_NORMAL) != DD_OK) return false;
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = 640;
    desc.dwHeight = 480;
    desc.ddsCaps.dwCaps = DDSCAPS_3DDEVICE | DDSCAPS_SYSTEMMEMORY;
    if (dd2->CreateSurface(&desc, &RenderDevice.backBuffer, nullptr) != DD_OK) return false;
    if (dd2->QueryInterface(IID_IDirect3D2, reinterpret_cast<LPVOID*>(&RenderDevice.direct3D)) != DD_OK) return false;
    if (RenderDevice.direct3D->CreateDevice(IID_IDirect3DRGBDevice, RenderDevice.backBuffer, &RenderDevice.device) !=
        D3D_OK)
      return false;
    RenderDevice.width = 640;
    RenderDevice.height = 480;
    RenderDevice.viewportRect = RECT{0, 0, 640, 480};
    RenderDevice.texturesInSystemMemory = true;
    return true;
  }
  void Destroy() {
    if (RenderDevice.device) RenderDevice.device->Release();
    if (RenderDevice.direct3D) RenderDevice.direct3D->Release();
    if (RenderDevice.backBuffer) RenderDevice.backBuffer->Release();
    if (RenderDevice.directDraw2) RenderDevice.directDraw2->Release();
    if (directDraw_) directDraw_->Release();
    directDraw_ = nullptr;
    RenderDevice = {};
    DxResetForTests();
  }

 private:
  IDirectDraw* directDraw_ = nullptr;
};

// Each test: its own data directory with the textures the scenes and the
// flares name, a headless device with the demo window's viewport, and the listing of model
// files kept off standard output.
class SceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kavret-scenes-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    SetDataDirectory(dir_);
    for (const char* name : {"lens1", "lens2", "lens3", "lens4", "lens5", "fire002"}) {
      WriteFile(std::string("Textures/") + name + ".tga", SolidTarga(2, 200, 100, 50));
    }
    ASSERT_TRUE(device_.Create());
    listing_ = std::tmpfile();
    ASSERT_NE(listing_, nullptr);
    LoadState.listing = listing_;
  }
  void TearDown() override {
    FreeAllRegistries();
    device_.Destroy();
    LoadState.listing = nullptr;
    if (listing_) std::fclose(listing_);
    SetDataDirectory("");
    std::filesystem::remove_all(dir_);
  }

  void WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::filesystem::path path = std::filesystem::path(dir_) / name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  void WriteModel(const std::string& file, const ModelFile& model) { WriteFile("Objects/" + file, model.Bytes()); }

  // What the sequencer's set-up step does: fresh registries, the set-up
  // routine, then the per-frame routine once.
  void StartScene(bool (*setup)(), bool (*frame)()) {
    FreeAllRegistries();
    InitAllRegistries();
    setup();
    frame();
  }
  static void RunFrames(bool (*frame)(), int count) {
    for (int i = 0; i < count; ++i) frame();
  }

  std::string dir_;
  std::FILE* listing_ = nullptr;
  SceneDevice device_;
};
