// Per-process folders for the files tests write (see process_folder.h).
#include "support/process_folder.h"

#include <unistd.h>

#include <cstdio>
#include <system_error>

std::filesystem::path ProcessFolder(const std::string& name) {
  namespace fs = std::filesystem;
  static struct Made {
    std::vector<fs::path> folders;
    ~Made() {
      std::error_code ec;
      for (const fs::path& folder : folders) fs::remove_all(folder, ec);
    }
  } made;
  const fs::path folder = fs::path(KAVRET_BINARY_DIR) / (name + "-" + std::to_string(::getpid()));
  std::error_code ec;
  fs::remove_all(folder, ec);
  fs::create_directories(folder, ec);
  made.folders.push_back(folder);
  return folder;
}

bool WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool wrote = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && wrote;
}
