// The data directory's lookup order, for a build tree and an installed tree.
#include "app/data_dir.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

bool HoldsDemoData(const std::string& dir) {
  std::error_code ec;
  return fs::is_directory(fs::path(dir) / "Objects", ec) || fs::is_directory(fs::path(dir) / "objects", ec);
}

std::vector<std::string> DataCandidates(const DataSearch& search) {
  std::vector<std::string> candidates = {search.workingDir};
  if (search.executable.empty()) return candidates;
  const fs::path exeDir = fs::path(search.executable).parent_path();
  for (const std::string* relative : {&search.installedFromExe, &search.buildFromExe}) {
    if (!relative->empty()) candidates.push_back((exeDir / *relative).lexically_normal().string());
  }
  return candidates;
}

std::string FindDataDirectory(const DataSearch& search) {
  for (const std::string& candidate : DataCandidates(search)) {
    if (HoldsDemoData(candidate)) return candidate;
  }
  return std::string();
}

std::string ExecutablePath() {
  // readlink does not terminate the name; a name that fills the buffer may be cut.
  char buffer[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
  if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buffer) return std::string();
  return std::string(buffer, static_cast<std::size_t>(n));
}
