// The generated data directory shared by the content tests.
#include "art_output.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "tools/content/content.h"

const std::string& ArtDir() {
  static const std::string dir = [] {
    namespace fs = std::filesystem;
    const fs::path d = fs::path(KAVRET_BINARY_DIR) / ("test-art-" + std::to_string(getpid()));
    fs::remove_all(d);
    fs::create_directories(d);
    EXPECT_TRUE(WriteArt(d.string()));
    // Removed again when the test program ends.
    static struct Cleanup {
      fs::path path;
      ~Cleanup() {
        std::error_code ec;
        fs::remove_all(path, ec);
      }
    } cleanup{d};
    return d.string();
  }();
  return dir;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
