// Data-file paths: backslashes and case as the original file system took them.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "support/fifo_watch.h"
#include "platform/files/files.h"
#include "support/process_folder.h"

namespace fs = std::filesystem;

class DataFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = ProcessFolder("files");
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

// Nothing above the data directory is read, and only regular files are: a
// FIFO would block the reader, a directory or device would mislead it. A
// symbolic link to a regular file is still followed.
TEST_F(DataFiles, OnlyRegularFilesInsideTheDataDirectoryAreOpened) {
  const fs::path outside = dir.parent_path() / ("kavret-outside-" + std::to_string(::getpid()));
  std::ofstream(outside) << "secret";
  fs::create_directories(dir / "Midas" / "t1.xm");
  FifoWatch fifo((dir / "Midas" / "t2.xm").string());
  ASSERT_TRUE(fifo.made());
  fs::create_symlink(dir / "Objects" / "rocketscene01.3ds", dir / "Objects" / "link.3ds");

  testing::internal::CaptureStderr();
  const std::string up = "Objects\\..\\..\\" + outside.filename().string();
  EXPECT_EQ(Read(up.c_str()), "<missing>");
  EXPECT_EQ(Read("Midas\\t1.xm"), "<missing>");
  EXPECT_EQ(Read("Midas\\T2.XM"), "<missing>");
  EXPECT_EQ(Read("Objects\\link.3ds"), "rocket");
  EXPECT_EQ(OpenDataFile("Objects\\rocketscene01.3ds", "wb"), nullptr);
  const std::string err = testing::internal::GetCapturedStderr();
  fs::remove(outside);

  EXPECT_FALSE(fifo.readerWaited());
  EXPECT_NE(err.find(up + " leads outside the data folder; not read"), std::string::npos) << err;
  EXPECT_NE(err.find("Midas/t1.xm is not a regular file; not read"), std::string::npos) << err;
  EXPECT_NE(err.find("Midas/t2.xm is not a regular file; not read"), std::string::npos) << err;

  EXPECT_TRUE(DataNameStaysInside("FIRE002.TGA"));
  EXPECT_TRUE(DataNameStaysInside("maps\\a..b.tga"));
  EXPECT_FALSE(DataNameStaysInside("..\\x.tga"));
  EXPECT_FALSE(DataNameStaysInside("maps/../../x.tga"));
  EXPECT_FALSE(DataNameStaysInside("\\x.tga"));
  EXPECT_FALSE(DataNameStaysInside("/x.tga"));
  EXPECT_FALSE(DataNameStaysInside(""));
  EXPECT_FALSE(DataNameStaysInside(nullptr));
}
