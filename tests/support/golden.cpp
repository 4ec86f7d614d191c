// Golden-image comparison (see golden.h).
#include "support/golden.h"

#include <cstdlib>
#include <filesystem>

#include "platform/capture/png_write.h"

std::string CompareWithGolden(const std::string& folder, const std::string& name,
                              const std::vector<std::uint8_t>& rgb, int width, int height) {
  const std::string reference = std::string(KAVRET_SOURCE_DIR) + "/tests/" + folder + "/golden/" + name + ".png";
  const char* update = std::getenv("KAVRET_UPDATE_GOLDEN");
  if (update && std::string(update) == "1") {
    WritePngRgb(reference, width, height, rgb);
    return "";
  }
  std::vector<std::uint8_t> expected;
  int w = 0, h = 0;
  const bool found = ReadPngRgb(reference, &w, &h, expected);
  if (found && w == width && h == height && expected == rgb) return "";
  const std::string failed = std::string(KAVRET_BINARY_DIR) + "/golden_failed/" + folder;
  std::filesystem::create_directories(failed);
  const std::string actual = failed + "/" + name + ".actual.png";
  WritePngRgb(actual, width, height, rgb);
  std::size_t differing = 0;
  if (found && w == width && h == height) {
    for (std::size_t i = 0; i < rgb.size(); i += 3) {
      if (rgb[i] != expected[i] || rgb[i + 1] != expected[i + 1] || rgb[i + 2] != expected[i + 2]) ++differing;
    }
  }
  return (found ? "differs from " : "no reference ") + reference + " (" + std::to_string(differing) +
         " pixels differ); the frame is in " + actual;
}
