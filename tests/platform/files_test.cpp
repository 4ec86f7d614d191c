// Data-file paths: backslashes and case as the original file system took them.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/files/files.h"

namespace fs = std::filesystem;

class DataFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("kavret-files-" + std::to_string(::getpid()));
    fs::create_directories(dir / "Objects");
    fs::create_directories(dir / "textures");
    std::ofstream(dir / "Objects" / "rocketscene01.3ds") << "rocket";
    std::ofstream(dir / "textures" / "fire002.tga") << "fire";
    SetDataDirectory(dir.string());
  }
  void TearDown() override {
    SetDataDirectory(".");
    fs::remove_all(dir);
  }
  std::string Read(const char* path) {
    FILE* f = OpenDataFile(path, "rb");
    if (!f) return "<missing>";
    char buf[64] = {};
    const size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    return std::string(buf, n);
  }
  fs::path dir;
};

TEST_F(DataFiles, BackslashesAndCaseFindTheFile) {
  EXPECT_EQ(Read("Objects\\rocketscene01.3ds"), "rocket");
  EXPECT_EQ(Read("OBJECTS\\ROCKETSCENE01.3DS"), "rocket");
  EXPECT_EQ(Read("Textures\\\\FIRE002.TGA"), "fire");
  EXPECT_EQ(Read("Textures/fire002.tga"), "fire");
}

TEST_F(DataFiles, MissingFilesAreNotFound) {
  EXPECT_EQ(Read("Objects\\nothere.3ds"), "<missing>");
  EXPECT_EQ(Read("Nowhere\\fire002.tga"), "<missing>");
  EXPECT_EQ(OpenDataFile(nullptr, "rb"), nullptr);
  // A name that is only a prefix of an existing one does not match it.
  EXPECT_EQ(Read("Textures\\fire002"), "<missing>");
}

TEST_F(DataFiles, ResolvedPathsStayInsideTheDataDirectory) {
  EXPECT_EQ(ResolveDataPath("objects\\ROCKETSCENE01.3ds"), (dir / "Objects" / "rocketscene01.3ds").string());
}
