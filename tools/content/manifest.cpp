// The manifest of the generated data directory: sizes and checksums, so that
// a change in the output is seen at once.
#include "tools/content/manifest.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

bool WriteManifest(const std::string& outDir) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(outDir, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    if (it->is_regular_file() && it->path().filename() != "manifest.txt") files.push_back(it->path());
  }
  if (ec) return false;
  std::sort(files.begin(), files.end());
  const fs::path target = fs::path(outDir) / "manifest.txt";
  const fs::path temp = fs::path(outDir) / "manifest.txt.tmp";
  FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) return false;
  for (const auto& p : files) {
    std::ifstream in(p, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::uint64_t h = 14695981039346656037ull;
    for (char c : bytes) {
      h ^= static_cast<unsigned char>(c);
      h *= 1099511628211ull;
    }
    std::fprintf(f, "%016" PRIx64 " %10zu %s\n", h, bytes.size(), fs::relative(p, outDir).generic_string().c_str());
  }
  const bool ok = std::fclose(f) == 0;
  if (!ok) return false;
  fs::rename(temp, target, ec);
  return !ec;
}
