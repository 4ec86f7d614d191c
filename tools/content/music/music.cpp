// Writes the demo's three music modules into OUTDIR/Midas.
#include <cstdio>
#include <filesystem>
#include <string>

#include "tools/content/content.h"
#include "tools/content/music/songs.h"
#include "tools/content/music/xm_writer.h"

namespace {

bool WriteModuleFile(const std::filesystem::path& path, const XmModule& module) {
  std::string why;
  if (!ValidateXm(module, &why)) {
    std::fprintf(stderr, "kavret-content: %s: %s\n", path.c_str(), why.c_str());
    return false;
  }
  const auto bytes = WriteXm(module);
  // Written beside the target and renamed, so a reader never sees half a file.
  const std::filesystem::path temp = path.string() + ".tmp";
  FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) {
    std::fprintf(stderr, "kavret-content: cannot write %s\n", temp.c_str());
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !written) {
    std::fprintf(stderr, "kavret-content: cannot write %s\n", temp.c_str());
    return false;
  }
  std::error_code ec;
  std::filesystem::rename(temp, path, ec);
  if (ec) std::fprintf(stderr, "kavret-content: cannot rename %s: %s\n", temp.c_str(), ec.message().c_str());
  return !ec;
}

}  // namespace

bool WriteMusic(const std::string& outDir) {
  const std::filesystem::path dir = std::filesystem::path(outDir) / "Midas";
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    std::fprintf(stderr, "kavret-content: cannot create %s: %s\n", dir.c_str(), ec.message().c_str());
    return false;
  }
  return WriteModuleFile(dir / "t1.xm", ComposeOutroTheme()) && WriteModuleFile(dir / "t2.xm", ComposeDarkTheme()) &&
         WriteModuleFile(dir / "t3.xm", ComposeMainTheme());
}
