// Reading the dialog's bitmap resources from Windows BMP files: uncompressed
// 8-bit palette pictures (the banner has 256 colours) and 24-bit ones.
#include <cstdio>
#include <limits>

#include "platform/dialog/dialog_internal.h"
#include "platform/files/files.h"

namespace {

std::uint32_t Le32(const std::vector<std::uint8_t>& f, size_t at) {
  return f[at] | (f[at + 1] << 8) | (f[at + 2] << 16) | (static_cast<std::uint32_t>(f[at + 3]) << 24);
}
std::uint16_t Le16(const std::vector<std::uint8_t>& f, size_t at) {
  return static_cast<std::uint16_t>(f[at] | (f[at + 1] << 8));
}

bool Fail(std::string* error, const char* reason) {
  if (error) *error = reason;
  return false;
}

}  // namespace

bool DialogReadBitmap(const std::vector<std::uint8_t>& file, DialogBitmap* bitmap, std::string* error) {
  constexpr size_t kFileHeader = 14;
  if (file.size() < kFileHeader + 40 || file[0] != 'B' || file[1] != 'M') return Fail(error, "not a BMP file");
  const std::uint32_t pixelOffset = Le32(file, 10);
  const std::uint32_t infoSize = Le32(file, 14);
  if (infoSize < 40 || infoSize > file.size() - kFileHeader) return Fail(error, "unsupported BMP header");
  const std::int32_t width = static_cast<std::int32_t>(Le32(file, 18));
  const std::int32_t rawHeight = static_cast<std::int32_t>(Le32(file, 22));
  const std::uint16_t bits = Le16(file, 28);
  const std::uint32_t compression = Le32(file, 30);
  std::uint32_t colours = Le32(file, 46);
  // A height of INT_MIN has no positive counterpart.
  if (width <= 0 || width > 4096 || rawHeight == 0 || rawHeight == std::numeric_limits<std::int32_t>::min() ||
      rawHeight > 4096 || rawHeight < -4096)
    return Fail(error, "bad BMP size");
  if (compression != 0) return Fail(error, "compressed BMP");
  if (bits != 8 && bits != 24) return Fail(error, "only 8-bit and 24-bit BMP files are read");
  const bool topDown = rawHeight < 0;
  const int height = topDown ? -rawHeight : rawHeight;

  const size_t paletteAt = kFileHeader + infoSize;
  if (bits == 8) {
    if (colours == 0) colours = 256;
    if (colours > 256 || paletteAt + colours * 4 > file.size()) return Fail(error, "bad BMP palette");
  }
  // Rows are padded to four bytes.
  const size_t rowBytes = ((static_cast<size_t>(width) * bits / 8) + 3) & ~size_t{3};
  if (pixelOffset > file.size() || rowBytes * height > file.size() - pixelOffset) return Fail(error, "BMP file too short");

  bitmap->width = width;
  bitmap->height = height;
  bitmap->rgba.assign(static_cast<size_t>(width) * height * 4, 255);
  for (int y = 0; y < height; ++y) {
    const size_t row = pixelOffset + rowBytes * static_cast<size_t>(topDown ? y : height - 1 - y);
    std::uint8_t* out = &bitmap->rgba[static_cast<size_t>(y) * width * 4];
    for (int x = 0; x < width; ++x, out += 4) {
      size_t bgr = row + static_cast<size_t>(x) * 3;
      if (bits == 8) {
        const std::uint8_t index = file[row + x];
        // An index past the palette shows black.
        if (index >= colours) {
          out[0] = out[1] = out[2] = 0;
          continue;
        }
        bgr = paletteAt + index * 4u;
      }
      out[0] = file[bgr + 2];
      out[1] = file[bgr + 1];
      out[2] = file[bgr];
    }
  }
  return true;
}

bool DialogLoadBitmapResource(int id, DialogBitmap* bitmap, std::string* error) {
  const std::string* name = BitmapResourceFile(id);
  if (!name) return Fail(error, "no such bitmap resource");
  FILE* f = OpenDataFile(name->c_str(), "rb");
  if (!f) return Fail(error, "cannot open the bitmap file");
  std::vector<std::uint8_t> data;
  std::uint8_t chunk[4096];
  size_t n;
  // Anything larger than a 4096 x 4096 24-bit picture is not a banner.
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0 && data.size() < (64u << 20)) data.insert(data.end(), chunk, chunk + n);
  std::fclose(f);
  return DialogReadBitmap(data, bitmap, error);
}
