// Data-file paths: backslash separators and case-insensitive component matching,
// so that names written for a case-insensitive file system find our files.
#include "platform/files/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

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

// Components between separators; both '/' and '\\' separate.
std::vector<std::string> SplitComponents(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (c == '/' || c == '\\') {
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

bool DataNameStaysInside(const char* name) {
  if (!name || !*name || name[0] == '/' || name[0] == '\\') return false;
  for (const std::string& part : SplitComponents(name)) {
    if (part == "..") return false;
  }
  return true;
}

FILE* OpenRegularFile(const std::string& path, bool* notRegular) {
  if (notRegular) *notRegular = false;
  // A look first, so that a FIFO or device is normally not opened at all...
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return nullptr;
  if (!S_ISREG(st.st_mode)) {
    if (notRegular) *notRegular = true;
    return nullptr;
  }
  // ...and the check that counts on what was opened, since the name may be
  // replaced in between: O_NONBLOCK keeps the open of a FIFO from waiting for
  // a writer, and fstat tells what the descriptor really is.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (notRegular) *notRegular = true;
    ::close(fd);
    return nullptr;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return nullptr;
  }
  FILE* file = ::fdopen(fd, "rb");
  if (!file) ::close(fd);
  return file;
}

FILE* OpenDataFile(const char* path, const char* mode) {
  if (!path || !mode || mode[0] != 'r' || std::strchr(mode, '+')) return nullptr;
  // The engine names its data relative to the data directory; nothing it
  // reads lies above it.
  for (const std::string& part : SplitComponents(path)) {
    if (part == "..") {
      std::fprintf(stderr, "kavret: %s leads outside the data folder; not read\n", path);
      return nullptr;
    }
  }
  const std::string resolved = ResolveDataPath(path);
  bool notRegular = false;
  FILE* file = OpenRegularFile(resolved, &notRegular);
  if (notRegular) std::fprintf(stderr, "kavret: %s is not a regular file; not read\n", resolved.c_str());
  return file;
}
