// A folder in the build tree that belongs to one test process: emptied when
// made, removed when the process ends. CTest runs the cases of one test
// binary as separate processes side by side, so a folder they shared would
// be rewritten under a case that is reading it.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

inline std::filesystem::path ProcessFolder(const std::string& name) {
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
