// kavret-content OUTDIR: writes the demo's data directory, deterministically,
// and a manifest of what it wrote. kavret-content --icons DIR: writes the
// program's icons into DIR as a hicolor icon theme lays them out.
#include <cstdio>
#include <filesystem>
#include <string>

#include "tools/content/content.h"
#include "tools/content/manifest.h"

int main(int argc, char** argv) {
  const bool icons = argc == 3 && std::string(argv[1]) == "--icons";
  if ((argc != 2 || argv[1][0] == '-') && !icons) {
    std::fprintf(stderr, "usage: kavret-content OUTDIR\n       kavret-content --icons DIR\n");
    return 2;
  }
  if (icons) return WriteIcons(argv[2]) ? 0 : 1;
  const std::string out = argv[1];
  std::error_code ec;
  std::filesystem::create_directories(out, ec);
  if (ec) {
    std::fprintf(stderr, "kavret-content: cannot create %s: %s\n", out.c_str(), ec.message().c_str());
    return 1;
  }
  if (!WriteArt(out) || !WriteMusic(out)) {
    std::fprintf(stderr, "kavret-content: writing the content failed\n");
    return 1;
  }
  if (!WriteManifest(out)) {
    std::fprintf(stderr, "kavret-content: cannot write %s/manifest.txt\n", out.c_str());
    return 1;
  }
  return 0;
}
