// PNG files through libpng's simplified API.
#include "platform/capture/png_write.h"

#include <png.h>

#include <cstdio>
#include <cstring>

bool WritePngRgb(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb) {
  if (width <= 0 || height <= 0 || rgb.size() < static_cast<size_t>(width) * static_cast<size_t>(height) * 3) {
    std::fprintf(stderr, "kavret: not writing %s: no picture\n", path.c_str());
    return false;
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  // Captures write thousands of frames: fast compression over small files.
  image.flags = PNG_IMAGE_FLAG_FAST;
  if (!png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), width * 3, nullptr)) {
    std::fprintf(stderr, "kavret: cannot write %s: %s\n", path.c_str(), image.message);
    return false;
  }
  return true;
}

bool ReadPngRgb(const std::string& path, int* width, int* height, std::vector<std::uint8_t>& rgb) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  *width = static_cast<int>(image.width);
  *height = static_cast<int>(image.height);
  return true;
}
