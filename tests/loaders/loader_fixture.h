// Test support for the loaders: a small chunk writer that builds model files in
// memory, a Targa writer, and a fixture with fresh registries, a data directory
// of its own and the chunk listing captured into a string.
#pragma once

#include <gtest/gtest.h>
#include <strings.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "loaders/load3ds.h"
#include "platform/files/files.h"
#include "render/flares.h"
#include "scene/scene.h"

// Little-endian chunk builder: Begin/End nest chunks and patch their lengths.
class ChunkWriter {
 public:
  ChunkWriter& Begin(std::uint16_t id) {
    open_.push_back(bytes_.size());
    U16(id);
    U32(0);
    return *this;
  }
  ChunkWriter& End() {
    std::size_t start = open_.back();
    open_.pop_back();
    auto length = static_cast<std::uint32_t>(bytes_.size() - start);
    std::memcpy(&bytes_[start + 2], &length, 4);
    return *this;
  }
  // A header with a length of our choosing and no End.
  ChunkWriter& Header(std::uint16_t id, std::uint32_t length) { return U16(id).U32(length); }
  ChunkWriter& U8(std::uint8_t v) {
    bytes_.push_back(v);
    return *this;
  }
  ChunkWriter& U16(std::uint16_t v) { return U8(v & 0xFF).U8(v >> 8); }
  ChunkWriter& U32(std::uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
  ChunkWriter& F32(float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return U32(bits);
  }
  ChunkWriter& Name(const std::string& s) {
    for (char c : s) U8(static_cast<std::uint8_t>(c));
    return U8(0);
  }
  // One chunk holding three floats, or one float.
  ChunkWriter& Floats(std::uint16_t id, std::initializer_list<float> values) {
    Begin(id);
    for (float f : values) F32(f);
    return End();
  }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
  std::vector<std::size_t> open_;
};

// An uncompressed 24-bit Targa image; pixels given as red, green, blue.
inline std::vector<std::uint8_t> MakeTarga(int width, int height, const std::vector<std::uint8_t>& rgb = {}) {
  std::vector<std::uint8_t> file(18, 0);
  file[2] = 2;
  file[12] = width & 0xFF;
  file[13] = (width >> 8) & 0xFF;
  file[14] = height & 0xFF;
  file[15] = (height >> 8) & 0xFF;
  file[16] = 24;
  for (int i = 0; i < width * height; ++i) {
    std::size_t at = 3 * static_cast<std::size_t>(i);
    std::uint8_t r = at < rgb.size() ? rgb[at] : 0, g = at + 1 < rgb.size() ? rgb[at + 1] : 0,
                 b = at + 2 < rgb.size() ? rgb[at + 2] : 0;
    file.push_back(b);
    file.push_back(g);
    file.push_back(r);
  }
  return file;
}

template <typename T>
int CountRecords(const T* first) {
  int n = 0;
  for (; first; first = first->next) ++n;
  return n;
}

class LoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kavret-loaders-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    SetDataDirectory(dir_);
    InitScene();
    LoadState = {};
    listing_ = std::tmpfile();
    ASSERT_NE(listing_, nullptr);
    LoadState.listing = listing_;
  }
  void TearDown() override {
    LoadState.listing = nullptr;
    if (listing_) std::fclose(listing_);
    FreeScene();
    SetDataDirectory("");
    std::filesystem::remove_all(dir_);
  }

  // The registry sweeps that start and end a scene.
  static void InitScene() {
    InitGeometries();
    InitSprites();
    InitMeshObjects();
    InitTextures();
    InitMaterials();
    InitCameras();
    InitLightGroups();
  }
  static void FreeScene() {
    LensFlareTemplate = nullptr;
    FreeGeometries();
    FreeSprites();
    FreeMeshObjects();
    FreeTextures();
    FreeMaterials();
    FreeCameras();
    FreeLightGroups();
  }

  // Writes bytes to a file under the data directory (relative name with '/').
  void WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::filesystem::path path = std::filesystem::path(dir_) / name;
    std::filesystem::create_directories(path.parent_path());
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    SaveSeed(path, bytes);
  }

  // With KAVRET_SEED_DIR set, every file a test writes is also kept there
  // (under load3ds/ or texture/) as a seed for the fuzz targets.
  static void SaveSeed(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    const char* seeds = std::getenv("KAVRET_SEED_DIR");
    // Seeds longer than the fuzzers' input limit would only be cut short.
    if (!seeds || bytes.empty() || bytes.size() > 4096) return;
    static int serial = 0;
    const bool model = strcasecmp(path.extension().c_str(), ".3ds") == 0;
    std::filesystem::path dir = std::filesystem::path(seeds) / (model ? "load3ds" : "texture");
    std::filesystem::create_directories(dir);
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test ? test->name() : "seed") + "-" + std::to_string(++serial);
    std::FILE* f = std::fopen((dir / name).c_str(), "wb");
    if (!f) return;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }

  // Writes the model and loads it; returns the listing it produced.
  std::string Load(const ChunkWriter& model) {
    WriteFile("Objects/test.3ds", model.bytes());
    Load3ds("Objects\\test.3ds");
    return TakeListing();
  }

  std::string TakeListing() {
    std::fflush(listing_);
    std::string text;
    std::rewind(listing_);
    for (int c; (c = std::fgetc(listing_)) != EOF;) text += static_cast<char>(c);
    std::fclose(listing_);
    listing_ = std::tmpfile();
    LoadState.listing = listing_;
    return text;
  }

  std::string dir_;
  std::FILE* listing_ = nullptr;
};
