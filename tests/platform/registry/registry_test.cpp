// The registry file: values keep their type and exact bytes across runs, and a
// damaged file is reported and left alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "support/fifo_watch.h"
#include "platform/registry/winreg.h"
#include "support/process_folder.h"

namespace fs = std::filesystem;

class RegistryFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file = ProcessFolder("registry") / "settings.reg";
    RegistrySetFile(file.string());
  }
  void TearDown() override {
    RegistrySetReadOnly(false);
  }
  std::string Contents() {
    std::ifstream in(file);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  HKEY Open(DWORD* disposition = nullptr) {
    HKEY key = nullptr;
    DWORD d = 0;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Test Key", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, &d),
              ERROR_SUCCESS);
    if (disposition) *disposition = d;
    return key;
  }
  fs::path file;
};

TEST_F(RegistryFileTest, ValuesKeepTypeAndBytesAcrossReload) {
  DWORD disposition = 0;
  HKEY key = Open(&disposition);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  const BYTE one = 1;
  const DWORD four = 0x01020304;
  char text[255] = "Desktop \"window\" \\ x";
  ASSERT_EQ(RegSetValueExA(key, "Flag", 0, REG_DWORD, &one, 1), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "Wide", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&four), 4), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "Padded", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 255), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "Plain", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 4), ERROR_SUCCESS);
  RegCloseKey(key);

  RegistrySetFile(file.string());  // read the file afresh
  key = Open(&disposition);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  BYTE buffer[300];
  DWORD type = 0, size = sizeof buffer;
  ASSERT_EQ(RegQueryValueExA(key, "flag", nullptr, &type, buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(size, 1u);
  EXPECT_EQ(buffer[0], 1);
  size = sizeof buffer;
  ASSERT_EQ(RegQueryValueExA(key, "Wide", nullptr, &type, buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(std::memcmp(buffer, &four, 4), 0);
  size = sizeof buffer;
  ASSERT_EQ(RegQueryValueExA(key, "Padded", nullptr, &type, buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 255u);
  EXPECT_EQ(std::memcmp(buffer, text, 255), 0);
  // A buffer too small for the value is refused and told the size.
  size = 2;
  EXPECT_EQ(RegQueryValueExA(key, "Wide", nullptr, &type, buffer, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 4u);
  size = sizeof buffer;
  EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, &type, buffer, &size), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);

  EXPECT_NE(Contents().find("\"Plain\"=\"abc\""), std::string::npos);
  EXPECT_NE(Contents().find("\"Flag\"=hex(4):01"), std::string::npos);
  EXPECT_NE(Contents().find("\"Wide\"=dword:01020304"), std::string::npos);
}

TEST_F(RegistryFileTest, DamagedFileIsReportedAndNeverOverwritten) {
  const std::string damaged = "REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Test Key]\n\"Flag\"=what is this\n";
  std::ofstream(file) << damaged;
  RegistrySetFile(file.string());
  testing::internal::CaptureStderr();
  EXPECT_TRUE(RegistryFileDamaged());
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("cannot be read (line 4)"), std::string::npos) << err;

  HKEY key = Open();
  const BYTE one = 1;
  EXPECT_EQ(RegSetValueExA(key, "Flag", 0, REG_DWORD, &one, 1), ERROR_SUCCESS);
  BYTE back = 0;
  DWORD size = 1;
  EXPECT_EQ(RegQueryValueExA(key, "Flag", nullptr, nullptr, &back, &size), ERROR_SUCCESS);
  EXPECT_EQ(back, 1);
  RegCloseKey(key);
  EXPECT_EQ(Contents(), damaged);
}

TEST_F(RegistryFileTest, ReadOnlyRunsReadTheFileAndNeverWriteIt) {
  HKEY key = Open();
  const BYTE one = 1, zero = 0;
  ASSERT_EQ(RegSetValueExA(key, "Flag", 0, REG_DWORD, &one, 1), ERROR_SUCCESS);
  RegCloseKey(key);
  const std::string stored = Contents();

  // Values set meanwhile are seen for the rest of the run, and the file keeps
  // its bytes, whatever file the run is pointed at afterwards.
  RegistrySetReadOnly(true);
  RegistrySetFile(file.string());
  key = Open();
  BYTE back = 0;
  DWORD size = 1;
  ASSERT_EQ(RegQueryValueExA(key, "Flag", nullptr, nullptr, &back, &size), ERROR_SUCCESS);
  EXPECT_EQ(back, 1);
  EXPECT_EQ(RegSetValueExA(key, "Flag", 0, REG_DWORD, &zero, 1), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(key, "Other", 0, REG_DWORD, &one, 1), ERROR_SUCCESS);
  size = 1;
  ASSERT_EQ(RegQueryValueExA(key, "Flag", nullptr, nullptr, &back, &size), ERROR_SUCCESS);
  EXPECT_EQ(back, 0);
  RegCloseKey(key);
  EXPECT_EQ(Contents(), stored);

  // A first run creates no file: neither the key nor the values set.
  const fs::path fresh = file.string() + ".fresh";
  fs::remove(fresh);
  RegistrySetFile(fresh.string());
  key = Open();
  EXPECT_EQ(RegSetValueExA(key, "Flag", 0, REG_DWORD, &one, 1), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_FALSE(fs::exists(fresh));

  RegistrySetReadOnly(false);
  RegistrySetFile(file.string());
  key = Open();
  ASSERT_EQ(RegSetValueExA(key, "Flag", 0, REG_DWORD, &zero, 1), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_NE(Contents().find("\"Flag\"=hex(4):00"), std::string::npos);
}

// A FIFO in place of the settings file is neither waited on nor replaced: it
// is reported, and the run keeps its settings to itself.
TEST_F(RegistryFileTest, SettingsFileThatIsNoRegularFileIsLeftAlone) {
  FifoWatch fifo(file.string());
  ASSERT_TRUE(fifo.made());
  RegistrySetFile(file.string());
  testing::internal::CaptureStderr();
  EXPECT_TRUE(RegistryFileDamaged());
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("is not a regular file"), std::string::npos) << err;

  HKEY key = Open();
  const BYTE one = 1;
  EXPECT_EQ(RegSetValueExA(key, "Flag", 0, REG_DWORD, &one, 1), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_FALSE(fifo.readerWaited());
  EXPECT_TRUE(fs::is_fifo(file));
}

TEST_F(RegistryFileTest, HexListOverManyLinesReadsWhole) {
  // 300,000 continuation lines, all kept in order. (Joining them by copying
  // what came before took seconds; the fuzzer's per-input limit catches that.)
  const int lines = 300000;
  std::string text = "REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Test Key]\n\"Long\"=hex:ab,\\\n";
  for (int i = 0; i < lines; ++i) text += "  cd,\\\n";
  text += "  ef\n";
  std::ofstream(file) << text;
  RegistrySetFile(file.string());
  EXPECT_FALSE(RegistryFileDamaged());

  HKEY key = Open();
  std::vector<BYTE> data(lines + 2);
  DWORD size = static_cast<DWORD>(data.size());
  ASSERT_EQ(RegQueryValueExA(key, "Long", nullptr, nullptr, data.data(), &size), ERROR_SUCCESS);
  RegCloseKey(key);
  ASSERT_EQ(size, static_cast<DWORD>(lines + 2));
  EXPECT_EQ(data.front(), 0xab);
  EXPECT_EQ(std::count(data.begin(), data.end(), 0xcd), lines);
  EXPECT_EQ(data.back(), 0xef);
}

TEST_F(RegistryFileTest, ContentsListEveryKeyAndValueAsRead) {
  std::ofstream(file) << "REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Test Key]\n\"Text\"=\"a\\\"b\"\n"
                         "\"Flag\"=hex(4):01\n@=dword:00000102\n\n[HKEY_CURRENT_USER\\Empty]\n";
  RegistrySetFile(file.string());
  const std::vector<RegistryKeyCopy> expected = {
      {"SOFTWARE\\Test Key",
       {{"Text", REG_SZ, {'a', '"', 'b', 0}}, {"Flag", REG_DWORD, {1}}, {"", REG_DWORD, {2, 1, 0, 0}}}},
      {"Empty", {}},
  };
  EXPECT_EQ(RegistryContents(), expected);
}
