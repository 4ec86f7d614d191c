// The scene scripts' fixture: a small writer of model files (objects with a
// one-triangle mesh at a position, lights, a camera, materials) on the support
// library's chunk trees, and a fixture that gives each test a data directory
// of its own with tiny textures, a headless render device and the registries
// the sequencer would set up.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
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
#include "support/chunks.h"
#include "support/process_folder.h"
#include "support/render_scene.h"
#include "support/targa.h"

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
    c.Begin(0x4D4D).Begin(0x3D3D);
    for (const auto& m : materials_) {
      c.Begin(0xAFFF).Begin(0xA000).Name(m.name).End();
      if (!m.texture.empty()) c.Begin(0xA200).Begin(0xA300).Name(m.texture).End().End();
      c.End();
    }
    for (const auto& item : items_) WriteItem(c, item);
    c.End().End();
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
    c.Begin(0x4000).Name(item.name);
    const Vec4& p = item.a;
    switch (item.kind) {
      case Item::Mesh: {
        c.Begin(0x4100);
        // Corners in world coordinates, the frame an identity turn at p.
        c.Begin(0x4110).U16(3);
        const float corner[3][3] = {{-50, -50, 0}, {50, -50, 0}, {0, 50, 20}};
        for (const auto& k : corner) c.F32(p.x + k[0]).F32(p.y + k[1]).F32(p.z + k[2]);
        c.End();
        c.Begin(0x4120).U16(1).U16(0).U16(1).U16(2).U16(0);
        if (!item.material.empty()) c.Begin(0x4130).Name(item.material).U16(1).U16(0).End();
        c.End();
        c.Begin(0x4160);
        const float frame[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, p.x, p.y, p.z};
        for (float f : frame) c.F32(f);
        c.End();
        c.End();
        break;
      }
      case Item::Empty:
        break;
      case Item::Lamp:
        c.Begin(0x4600).F32(p.x).F32(p.y).F32(p.z);
        c.Begin(0x0010).F32(item.b.x).F32(item.b.y).F32(item.b.z).End();
        c.End();
        break;
      case Item::Eye:
        c.Begin(0x4700).F32(p.x).F32(p.y).F32(p.z).F32(item.b.x).F32(item.b.y).F32(item.b.z).F32(0).F32(45);
        c.End();
        break;
    }
    c.End();
  }

  struct MaterialEntry {
    std::string name;
    std::string texture;
  };
  std::vector<MaterialEntry> materials_;
  std::vector<Item> items_;
};

inline float Distance(const Vec4& a, const Vec4& b) { return VecLength(VecSub(a, b)); }

// Each test: its own data directory with the textures the scenes and the
// flares name, a headless device with the demo window's viewport, and the listing of model
// files kept off standard output.
class SceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ProcessFolder("scenes").string();
    SetDataDirectory(dir_);
    for (const char* name : {"lens1", "lens2", "lens3", "lens4", "lens5", "fire002"}) {
      WriteFile(std::string("Textures/") + name + ".tga", SolidTarga(2, 200, 100, 50));
    }
    ASSERT_TRUE(device_.Create(640, 480));
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
  }

  void WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    ASSERT_TRUE(WriteBytes(std::filesystem::path(dir_) / name, bytes));
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
  HeadlessRenderDevice device_;
};
