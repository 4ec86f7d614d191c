// The generated data directory shared by the content tests.
#include "art_output.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/process_folder.h"
#include "tools/content/content.h"

const std::string& ArtDir() {
  static const std::string dir = [] {
    const std::filesystem::path d = ProcessFolder("test-art");
    EXPECT_TRUE(WriteArt(d.string()));
    return d.string();
  }();
  return dir;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
