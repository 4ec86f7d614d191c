// Data-file paths: backslash separators and case-insensitive component matching,
// so that names written for a case-insensitive file system find our files.
#include "platform/files/files.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <vector>

namespace {

struct FilesState {
  std::string dataDirectory;
};
FilesState files;

bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

// The entry of `dir` whose name equals `name` ignoring ASCII case; the
// alphabetically first one when several do, so that the choice is stable.
bool FindEntryIgnoringCase(const std::string& dir, const std::string& name, std::string* found) {
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return false;
  bool any = false;
  while (dirent* e = ::readdir(d)) {
    if (::strcasecmp(e->d_name, name.c_str()) == 0 && (!any || std::string(e->d_name) < *found)) {
      *found = e->d_name;
      any = true;
    }
  }
  ::closedir(d);
  return any;
}

std::vector<std::string> SplitComponents(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (c == '/') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

}  // namespace

void SetDataDirectory(const std::string& directory) {
  files.dataDirectory = (directory == ".") ? std::string() : directory;
}

const std::string& DataDirectory() { return files.dataDirectory; }

std::string ResolveDataPath(const char* path) {
  std::string relative = path ? path : "";
  for (char& c : relative) {
    if (c == '\\') c = '/';
  }
  const bool absolute = !relative.empty() && relative[0] == '/';
  std::string base = absolute ? std::string("/") : files.dataDirectory;
  std::string exact = base;
  if (!exact.empty() && exact.back() != '/') exact += '/';
  exact += absolute ? relative.substr(1) : relative;
  if (Exists(exact)) return exact;

  // Walk the components, taking each as it is when present and otherwise the
  // entry that matches it without regard to case.
  std::string current = base;
  for (const std::string& part : SplitComponents(relative)) {
    std::string candidate = current;
    if (!candidate.empty() && candidate.back() != '/') candidate += '/';
    if (part == "." || part == "..") {
      current = candidate + part;
      continue;
    }
    if (Exists(candidate + part)) {
      current = candidate + part;
      continue;
    }
    std::string found;
    if (!FindEntryIgnoringCase(current, part, &found)) return exact;
    current = candidate + found;
  }
  return current;
}

FILE* OpenDataFile(const char* path, const char* mode) {
  if (!path) return nullptr;
  return std::fopen(ResolveDataPath(path).c_str(), mode);
}
