// libFuzzer target: any byte string as the settings file. The reader either
// takes the file or reports it damaged. A damaged file is never written over,
// though values set during the run are kept in memory. A file it takes, written
// back by the writer, reads back to the same keys and values, and every value
// it holds can be queried.
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/registry/winreg.h"

namespace {

struct SettingsFuzz {
  std::string folder;
  std::string file;
};
SettingsFuzz fuzz;

// The message reaches the terminal when a saved input is run again by hand
// (the fuzzing runs discard the target's stderr).
[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "settings fuzzer: %s\n", what);
  std::abort();
}

void MakeFolder() {
  // In memory where possible: the writer syncs every file it writes.
  const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  std::string pattern = std::string(base) + "/kavret-settings-fuzz-XXXXXX";
  if (!mkdtemp(pattern.data())) std::abort();
  fuzz.folder = pattern;
  fuzz.file = fuzz.folder + "/registry.reg";
  std::atexit([] { std::filesystem::remove_all(fuzz.folder); });
}

void WriteFile(const std::uint8_t* data, std::size_t size) {
  std::FILE* f = std::fopen(fuzz.file.c_str(), "wb");
  if (!f || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0) std::abort();
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Names are looked up without regard to case and up to the first NUL byte.
bool SameName(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

// Whether a lookup of this name can only find this one entry.
template <typename T, typename NameOf>
bool Unique(const std::vector<T>& list, const std::string& name, NameOf nameOf) {
  if (name.find('\0') != std::string::npos) return false;
  int matches = 0;
  for (const T& item : list) matches += SameName(nameOf(item), name);
  return matches == 1;
}

void CheckQuery(HKEY key, const RegistryValueCopy& value) {
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, value.name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    Fail("a value that was read cannot be queried");
  }
  if (type != value.type || size != value.data.size()) Fail("a query reports the wrong type or size");
  // One byte more than needed, so that a value of no bytes still has a buffer.
  std::vector<BYTE> data(size + 1);
  if (size > 0) {
    DWORD small = size - 1;
    if (RegQueryValueExA(key, value.name.c_str(), nullptr, nullptr, data.data(), &small) != ERROR_MORE_DATA ||
        small != size) {
      Fail("a query into a short buffer does not ask for more");
    }
  }
  DWORD full = static_cast<DWORD>(data.size());
  if (RegQueryValueExA(key, value.name.c_str(), nullptr, nullptr, data.data(), &full) != ERROR_SUCCESS ||
      full != size || !std::equal(value.data.begin(), value.data.end(), data.begin())) {
    Fail("a query returns other bytes than were read");
  }
}

// Every value whose key and name a lookup can reach unambiguously.
void CheckQueries(const std::vector<RegistryKeyCopy>& keys) {
  auto keyPath = [](const RegistryKeyCopy& k) -> const std::string& { return k.path; };
  auto valueName = [](const RegistryValueCopy& v) -> const std::string& { return v.name; };
  for (const RegistryKeyCopy& k : keys) {
    if (!Unique(keys, k.path, keyPath)) continue;
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, k.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, &disposition) != ERROR_SUCCESS ||
        disposition != REG_OPENED_EXISTING_KEY) {
      Fail("a key that was read cannot be opened");
    }
    for (const RegistryValueCopy& v : k.values) {
      if (Unique(k.values, v.name, valueName)) CheckQuery(key, v);
    }
    RegCloseKey(key);
  }
}

// A key the file does not have: creating it makes the writer save the file
// with nothing else changed.
std::string NewKeyPath(const std::vector<RegistryKeyCopy>& keys) {
  std::string path = "Fuzz";
  for (;;) {
    bool taken = false;
    for (const RegistryKeyCopy& k : keys) taken = taken || SameName(k.path, path);
    if (!taken) return path;
    path += '_';
  }
}

void CheckDamagedFileIsKept(const std::uint8_t* data, std::size_t size) {
  if (!RegistryContents().empty()) Fail("a damaged file left values behind");
  const DWORD one = 1;
  if (RegSetValueExA(HKEY_CURRENT_USER, "Probe", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one) !=
      ERROR_SUCCESS) {
    Fail("a value cannot be set over a damaged file");
  }
  if (ReadFile(fuzz.file) != std::string(reinterpret_cast<const char*>(data), size)) {
    Fail("a damaged file was written over");
  }
  if (std::filesystem::exists(fuzz.file + ".tmp")) Fail("a temporary file was left behind");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (fuzz.folder.empty()) MakeFolder();
  WriteFile(data, size);
  RegistrySetFile(fuzz.file);
  if (RegistryFileDamaged()) {
    CheckDamagedFileIsKept(data, size);
    return 0;
  }
  std::vector<RegistryKeyCopy> expected = RegistryContents();
  CheckQueries(expected);

  const std::string added = NewKeyPath(expected);
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, added.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                      &key, &disposition) != ERROR_SUCCESS ||
      disposition != REG_CREATED_NEW_KEY) {
    Fail("a new key cannot be created");
  }
  RegCloseKey(key);
  expected.push_back(RegistryKeyCopy{added, {}});

  RegistrySetFile(fuzz.file);
  if (RegistryFileDamaged()) Fail("the file the writer wrote cannot be read back");
  if (RegistryContents() != expected) Fail("the file the writer wrote reads back to other values");
  return 0;
}
