// The generated content read through the program's own loaders: every scene
// file with every chunk recognised, every name the scene scripts look up
// found, every material textured; every texture with its full mip chain.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "app/sequencer.h"
#include "art_output.h"
#include "loaders/load3ds.h"
#include "loaders/texture_file.h"
#include "platform/files/files.h"
#include "scene/scene.h"
#include "tools/content/art/scene_file.h"
#include "tools/content/art/textures.h"

namespace {

// Chunks real files carry that the program has no row for: the file and mesh
// versions, the master scale and the keyframer header.
bool KnownUnlisted(std::uint16_t id) { return id == 0x0002 || id == 0x3D3E || id == 0x0100 || id == 0xB00A; }

// Walks a file's chunk tree as the editor wrote it, counting the chunks the
// program's table recognises and reporting any other id.
void WalkChunks(const std::vector<std::uint8_t>& b, std::size_t at, std::size_t end, int& listed,
                std::vector<std::uint16_t>& unknown) {
  while (at + 6 <= end) {
    const std::uint16_t id = static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
    std::uint32_t length;
    std::memcpy(&length, &b[at + 2], 4);
    ASSERT_GE(length, 6u);
    ASSERT_LE(at + length, end);
    if (FindChunkType(id) >= 0) {
      ++listed;
    } else if (!KnownUnlisted(id)) {
      unknown.push_back(id);
    }
    std::size_t body = at + 6;
    bool container = false;
    switch (id) {
      case 0x4D4D: case 0x3D3D: case 0xAFFF: case 0xA010: case 0xA020: case 0xA030: case 0xA200:
      case 0x4100: case 0xB000: case 0xB002: case 0xB003: case 0xB004: case 0xB005: case 0xB006: case 0xB007:
        container = true;
        break;
      case 0x4000:  // a name, then sub-chunks
        while (b[body] != 0) ++body;
        ++body;
        container = true;
        break;
      case 0x4120: {  // faces, then sub-chunks
        const std::size_t count = b[body] | b[body + 1] << 8;
        body += 2 + count * 8;
        container = true;
        break;
      }
      case 0x4600:  // a position, then sub-chunks
        body += 12;
        container = true;
        break;
      default:
        break;
    }
    if (container) WalkChunks(b, body, at + length, listed, unknown);
    at += length;
  }
}

int CountOccurrences(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

int CountListedChunks(const std::string& listing) { return CountOccurrences(listing, "Chunk type \""); }

// The file with its keyframer section cut out of the main chunk.
std::vector<std::uint8_t> WithoutKeyframer(std::vector<std::uint8_t> b) {
  std::size_t at = 6;
  while (at + 6 <= b.size()) {
    std::uint32_t length;
    std::memcpy(&length, &b[at + 2], 4);
    if ((b[at] | b[at + 1] << 8) == 0xB000) {
      b.erase(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + length));
      const auto total = static_cast<std::uint32_t>(b.size());
      std::memcpy(&b[2], &total, 4);
      break;
    }
    at += length;
  }
  return b;
}

// Every field a loaded file sets in the object, light and camera records,
// floats in hex so that any change shows.
std::string DescribeRecords() {
  std::string out;
  char line[512];
  auto vec = [&](const char* what, const Vec4& v) {
    std::snprintf(line, sizeof line, " %s(%a %a %a %a)", what, v.x, v.y, v.z, v.w);
    out += line;
  };
  for (MeshObject* o = MeshObjects.first; o; o = o->next) {
    std::snprintf(line, sizeof line, "object %s v=%d f=%d", o->name, o->geometry ? o->geometry->vertexCount : -1,
                  o->geometry ? o->geometry->faceCount : -1);
    out += line;
    vec("at", o->particle.position);
    vec("rot", o->particle.rotation);
    vec("scale", o->scale);
    if (o->geometry && o->geometry->vertexCount > 0) vec("v0", o->geometry->vertices[0].position);
    out += "\n";
  }
  for (Light* l = LightGroups.current->firstLight; l; l = l->next) {
    std::snprintf(line, sizeof line, "light %s %a %a %a %a %a flare=%d", l->name, l->rangeSquared,
                  l->farRangeSquared, l->colour[0], l->colour[1], l->colour[2], l->flare ? 1 : 0);
    out += line;
    vec("at", l->position);
    out += "\n";
  }
  vec("eye", Cameras.current->eye);
  vec("target", Cameras.current->target);
  return out;
}

// What each scene script looks up by name after loading its file.
struct Lookups {
  const char* scene;
  std::vector<const char*> objects;
  std::vector<const char*> lights;
};
const Lookups kLookups[] = {
    {"rocket", {"rocket69", "skysphere"}, {"rocket_lig"}},
    {"sphere", {"skysphere"}, {}},
    {"swarm", {"skysphere"}, {"light1", "light2", "light3"}},
    {"egypt", {"ossik_sign", "skysphere"}, {}},
    {"exp", {"sphere1"}, {}},
    {"cross", {"skysphere"}, {}},
    {"dante", {"ground_noz", "osphere", "skysphere"}, {"redlight", "sun"}},
    {"outro", {"greet1", "greetf1", "greet2", "greetf2", "skysphere"}, {"sun"}},
};

class OurLoaders : public ::testing::Test {
 protected:
  void SetUp() override {
    SetDataDirectory(ArtDir());
    InitAllRegistries();
    listing_ = std::tmpfile();
    LoadState.listing = listing_;
  }
  void TearDown() override {
    LoadState.listing = nullptr;
    if (listing_) std::fclose(listing_);
    FreeAllRegistries();
    SetDataDirectory(".");
  }
  // Loads one scene the way its script does (a camera made current first)
  // and returns the listing written while it loaded.
  std::string LoadScene(const std::string& name) {
    FreeAllRegistries();
    InitAllRegistries();
    Camera* camera = AddCamera();
    SetCurrentCamera(camera);
    std::rewind(listing_);
    const long before = std::ftell(listing_);
    Load3ds(("Objects\\" + name + "scene01.3ds").c_str());
    std::fflush(listing_);
    const long after = std::ftell(listing_);
    std::string text(static_cast<std::size_t>(after - before), '\0');
    std::fseek(listing_, before, SEEK_SET);
    const std::size_t got = std::fread(text.data(), 1, text.size(), listing_);
    text.resize(got);
    std::rewind(listing_);
    return text;
  }
  std::FILE* listing_ = nullptr;
};

TEST_F(OurLoaders, EverySceneFileLoadsWithEveryChunkRecognised) {
  for (const SceneFile& scene : BuildScenes()) {
    SCOPED_TRACE(scene.name);
    const std::vector<std::uint8_t> bytes = ReadBytes(ArtDir() + "/Objects/" + scene.name + "scene01.3ds");
    int expected = 0;
    std::vector<std::uint16_t> unknown;
    WalkChunks(bytes, 0, bytes.size(), expected, unknown);
    EXPECT_GT(expected, 100);
    EXPECT_TRUE(unknown.empty()) << "first unknown chunk 0x" << std::hex << (unknown.empty() ? 0 : unknown[0]);
    // A chunk the walker lists more or fewer than we count means the walk
    // went out of step with the file.
    EXPECT_EQ(CountListedChunks(LoadScene(scene.name)), expected);

    int objects = 0;
    for (MeshObject* o = MeshObjects.first; o; o = o->next) ++objects;
    EXPECT_EQ(objects, static_cast<int>(scene.meshes.size() + scene.lights.size() + (scene.camera ? 1 : 0)));
    for (const Mesh& want : scene.meshes) {
      MeshObject* got = FindMeshObject(want.name.c_str());
      ASSERT_NE(got, nullptr) << want.name;
      ASSERT_EQ(got->geometry->vertexCount, static_cast<int>(want.vertices.size()));
      ASSERT_EQ(got->geometry->faceCount, static_cast<int>(want.faces.size()));
      EXPECT_FLOAT_EQ(got->particle.position.x, want.pivot.x);
      EXPECT_FLOAT_EQ(got->particle.position.z, want.pivot.z);
      EXPECT_FLOAT_EQ(got->scale.x, 1);
      // Vertices come out in the object's frame: world minus pivot.
      EXPECT_NEAR(got->geometry->vertices[0].position.y, want.vertices[0].p.y - want.pivot.y, 1e-2);
      for (int i = 0; i < got->geometry->faceCount; ++i) {
        ASSERT_NE(got->geometry->faces[i].material, nullptr);
        ASSERT_NE(got->geometry->faces[i].material, LoadTargets.defaultMaterial) << want.name << " face " << i;
      }
    }
  }
}

// The keyframer only lists its tracks, apart from an object's scale: the
// nodes of lights and cameras, named like the objects their blocks create,
// must leave every record as the file's mesh data made it.
TEST_F(OurLoaders, TheKeyframerNodesChangeNoRecord) {
  for (const SceneFile& scene : BuildScenes()) {
    SCOPED_TRACE(scene.name);
    const std::string listing = LoadScene(scene.name);
    EXPECT_EQ(CountOccurrences(listing, "Chunk type \"Track info\""), static_cast<int>(scene.meshes.size()));
    EXPECT_EQ(CountOccurrences(listing, "Chunk type \"Pointlight track\""), static_cast<int>(scene.lights.size()));
    EXPECT_EQ(CountOccurrences(listing, "Chunk type \"Camera track\""), scene.camera ? 1 : 0);
    EXPECT_EQ(CountOccurrences(listing, "Chunk type \"Camera target track\""), scene.camera ? 1 : 0);
    const std::string withNodes = DescribeRecords();

    const std::string bare = "Objects/" + scene.name + "barescene01.3ds";
    const std::vector<std::uint8_t> bytes =
        WithoutKeyframer(ReadBytes(ArtDir() + "/Objects/" + scene.name + "scene01.3ds"));
    {
      std::ofstream out(ArtDir() + "/" + bare, std::ios::binary);
      out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    EXPECT_EQ(CountOccurrences(LoadScene(scene.name + "bare"), "Keyframer"), 0);
    EXPECT_EQ(DescribeRecords(), withNodes);
    std::filesystem::remove(ArtDir() + "/" + bare);
  }
}

TEST_F(OurLoaders, TheScriptsFindTheirObjectsLightsAndCamera) {
  for (const Lookups& l : kLookups) {
    SCOPED_TRACE(l.scene);
    LoadScene(l.scene);
    for (const char* name : l.objects) EXPECT_NE(FindMeshObject(name), nullptr) << name;
    for (const char* name : l.lights) {
      Light* light = FindLight(LightGroups.current, name);
      ASSERT_NE(light, nullptr) << name;
      EXPECT_NE(light->flare, nullptr) << name;
    }
    const SceneFile* scene = nullptr;
    static const std::vector<SceneFile> scenes = BuildScenes();
    for (const SceneFile& s : scenes) {
      if (s.name == l.scene) scene = &s;
    }
    ASSERT_NE(scene, nullptr);
    // Light order and both ranges, as the renderer uses them.
    const Light* light = LightGroups.current->firstLight;
    for (const LightDef& want : scene->lights) {
      ASSERT_NE(light, nullptr);
      EXPECT_STREQ(light->name, want.name.c_str());
      EXPECT_NEAR(std::sqrt(light->rangeSquared), want.range, 0.01);
      EXPECT_NEAR(std::sqrt(light->farRangeSquared), want.farRange, 0.05);
      EXPECT_NEAR(light->colour[0], want.red * 255, 0.01);
      light = light->next;
    }
    if (scene->camera) {
      EXPECT_FLOAT_EQ(Cameras.current->eye.x, scene->camera->eye.x);
      EXPECT_FLOAT_EQ(Cameras.current->target.y, scene->camera->target.y);
    }
  }
}

TEST_F(OurLoaders, EveryMaterialGetsItsTexture) {
  for (const SceneFile& scene : BuildScenes()) {
    SCOPED_TRACE(scene.name);
    LoadScene(scene.name);
    for (const MaterialDef& want : scene.materials) {
      Material* m = FindMaterial(want.name.c_str());
      ASSERT_NE(m, nullptr) << want.name;
      ASSERT_NE(m->texture, nullptr) << want.name << " " << want.map;
      EXPECT_EQ(m->texture->mipMapped, 1);
    }
  }
}

TEST_F(OurLoaders, EveryTextureLoadsWithItsFullMipChain) {
  for (const TextureDef& t : TextureList()) {
    SCOPED_TRACE(t.file);
    Texture* tex = LoadTexture(("Textures\\" + t.file).c_str());
    ASSERT_NE(tex, nullptr);
    EXPECT_EQ(tex->width, t.size);
    EXPECT_EQ(tex->height, t.size);
    EXPECT_EQ(tex->mipLevels, static_cast<int>(std::log2(t.size)) + 1);
    // The top-left texel as painted (row 0 of the picture is row 0 of the texture).
    const Image img = t.paint(t.size);
    EXPECT_EQ(tex->pixels[0], img.rgb[0]);
    EXPECT_EQ(tex->pixels[2], img.rgb[2]);
  }
  // The scripts name these in lower case, the way they were written.
  for (const char* path : {"Textures\\fire002.tga", "Textures\\lens1.tga", "Textures\\lens2.tga",
                           "Textures\\lens3.tga", "Textures\\lens4.tga", "Textures\\lens5.tga"}) {
    EXPECT_NE(LoadTexture(path), nullptr) << path;
  }
}

}  // namespace
