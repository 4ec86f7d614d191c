// The loaders' fixture: empty scene records, a data directory of its own and
// the chunk listing captured into a string. Model files are built with the
// support library's Chunks, textures with its Targa files.
#pragma once

#include <gtest/gtest.h>
#include <strings.h>

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
#include "support/chunks.h"
#include "support/process_folder.h"
#include "support/scene_records.h"
#include "support/targa.h"

class LoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ProcessFolder("loaders").string();
    SetDataDirectory(dir_);
    InitSceneRecords();
    LoadState = {};
    listing_ = std::tmpfile();
    ASSERT_NE(listing_, nullptr);
    LoadState.listing = listing_;
  }
  void TearDown() override {
    LoadState.listing = nullptr;
    if (listing_) std::fclose(listing_);
    FreeSceneRecords();
    SetDataDirectory("");
  }

  // Writes bytes to a file under the data directory (relative name with '/').
  void WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const std::filesystem::path path = std::filesystem::path(dir_) / name;
    ASSERT_TRUE(WriteBytes(path, bytes)) << path;
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
  std::string Load(const Chunks& model) {
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
