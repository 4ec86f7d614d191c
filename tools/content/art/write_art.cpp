// WriteArt: the demo's scene files, textures and banner into a data directory;
// WriteIcons: the program's icons for the desktop.
#include <cstdio>
#include <filesystem>

#include "tools/content/art/banner.h"
#include "tools/content/art/icon.h"
#include "tools/content/art/scene_file.h"
#include "tools/content/art/textures.h"
#include "tools/content/content.h"

bool WriteArt(const std::string& outDir) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path objects = fs::path(outDir) / "Objects", textures = fs::path(outDir) / "Textures";
  fs::create_directories(objects, ec);
  if (!ec) fs::create_directories(textures, ec);
  if (ec) {
    std::fprintf(stderr, "kavret-content: cannot create the art folders in %s: %s\n", outDir.c_str(),
                 ec.message().c_str());
    return false;
  }
  for (const TextureDef& t : TextureList()) {
    const fs::path path = textures / t.file;
    if (!WriteFileBytes(path.string(), EncodeTarga(t.paint(t.size)))) {
      std::fprintf(stderr, "kavret-content: cannot write %s\n", path.c_str());
      return false;
    }
  }
  for (const SceneFile& s : BuildScenes()) {
    const fs::path path = objects / (s.name + "scene01.3ds");
    if (!WriteFileBytes(path.string(), Encode3ds(s))) {
      std::fprintf(stderr, "kavret-content: cannot write %s\n", path.c_str());
      return false;
    }
  }
  const fs::path banner = fs::path(outDir) / "banner.bmp";
  if (!WriteFileBytes(banner.string(), EncodeBanner())) {
    std::fprintf(stderr, "kavret-content: cannot write %s\n", banner.c_str());
    return false;
  }
  return true;
}

bool WriteIcons(const std::string& themeDir) {
  namespace fs = std::filesystem;
  for (const int size : kIconSizes) {
    const std::string name = std::to_string(size) + "x" + std::to_string(size);
    const fs::path dir = fs::path(themeDir) / name / "apps";
    std::error_code ec;
    fs::create_directories(dir, ec);
    const std::vector<std::uint8_t> png = EncodeIconPng(size);
    if (ec || png.empty() || !WriteFileBytes((dir / "kavret.png").string(), png)) {
      std::fprintf(stderr, "kavret-content: cannot write the %s icon in %s\n", name.c_str(), themeDir.c_str());
      return false;
    }
  }
  return true;
}
