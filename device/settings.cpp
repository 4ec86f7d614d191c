// Loading and saving DemoSettings under HKEY_CURRENT_USER. The flags are one-byte
// REG_DWORD values and the texts 255-byte REG_SZ values, as earlier versions of
// the program wrote them; registry errors are not reported.
#include "device/settings.h"

#include "platform/registry/winreg.h"

DemoSettingsRecord DemoSettings;

namespace {

void WriteAll(HKEY key) {
  RegSetValueExA(key, "IsLooping", 0, REG_DWORD, &DemoSettings.isLooping, 1);
  RegSetValueExA(key, "UseSound", 0, REG_DWORD, &DemoSettings.useSound, 1);
  RegSetValueExA(key, "Driver Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(DemoSettings.driverName), 255);
  RegSetValueExA(key, "Resolution", 0, REG_SZ, reinterpret_cast<const BYTE*>(DemoSettings.resolution), 255);
}

// A value that is missing or larger than its buffer leaves the field as it is.
// A text read replaces the whole text: a shorter value leaves no old characters
// behind it.
void ReadValue(HKEY key, const char* name, BYTE* field, DWORD size, bool text) {
  BYTE buffer[256] = {};
  DWORD length = size;
  DWORD type = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, buffer, &length) != ERROR_SUCCESS) return;
  for (DWORD i = 0; i < size; ++i) {
    if (i < length || text) field[i] = buffer[i];
  }
}

}  // namespace

void LoadSettings() {
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                      nullptr, &key, &disposition) != ERROR_SUCCESS) {
    return;
  }
  if (disposition == REG_CREATED_NEW_KEY) {
    DemoSettings.isLooping = 1;
    DemoSettings.useSound = 1;
    WriteAll(key);
  } else {
    ReadValue(key, "IsLooping", &DemoSettings.isLooping, 1, false);
    ReadValue(key, "UseSound", &DemoSettings.useSound, 1, false);
    ReadValue(key, "Driver Name", reinterpret_cast<BYTE*>(DemoSettings.driverName), 255, true);
    ReadValue(key, "Resolution", reinterpret_cast<BYTE*>(DemoSettings.resolution), 255, true);
  }
  RegCloseKey(key);
}

void SaveSettings() {
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                      nullptr, &key, &disposition) != ERROR_SUCCESS) {
    return;
  }
  WriteAll(key);
  RegCloseKey(key);
}
