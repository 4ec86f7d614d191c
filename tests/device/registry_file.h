// A registry file of its own for each test, removed afterwards, and reading
// values back from what was written to disk.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "device/settings.h"
#include "platform/registry/winreg.h"
#include "support/process_folder.h"

struct StoredValue {
  bool found = false;
  DWORD type = 0;
  std::vector<BYTE> data;
};

class TempRegistry {
 public:
  TempRegistry() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = (ProcessFolder("registry") / (std::string(info->test_suite_name()) + "-" + info->name() + ".reg"))
                .string();
    RegistrySetFile(path_);
  }
  ~TempRegistry() {
    std::filesystem::remove(path_);
    RegistrySetFile(path_ + ".unused");
  }
  const std::string& path() const { return path_; }

  // The file's text, and a value as the file holds it (read afresh from disk).
  std::string Text() const {
    std::ifstream in(path_);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  StoredValue Read(const char* name) const {
    RegistrySetFile(path_);
    StoredValue v;
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        &disposition) != ERROR_SUCCESS)
      return v;
    v.data.resize(1024);
    DWORD size = 1024;
    v.found = RegQueryValueExA(key, name, nullptr, &v.type, v.data.data(), &size) == ERROR_SUCCESS;
    v.data.resize(v.found ? size : 0);
    RegCloseKey(key);
    return v;
  }
  void Write(const char* name, DWORD type, std::vector<BYTE> data) const {
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              &disposition),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
    RegCloseKey(key);
  }
  // A 255-byte text value as the program writes it.
  static std::vector<BYTE> Text255(const std::string& text) {
    std::vector<BYTE> bytes(255, 0);
    std::copy(text.begin(), text.end(), bytes.begin());
    return bytes;
  }

 private:
  std::string path_;
};
