// The registry calls the settings use, on HKEY_CURRENT_USER, kept in a
// REGEDIT4-style text file. Each value keeps its type and its exact bytes.
#pragma once

#include <string>
#include <vector>

#include "platform/win/win32.h"

struct RegistryKeyRecord;
using HKEY = RegistryKeyRecord*;
using REGSAM = DWORD;

extern const HKEY HKEY_CURRENT_USER;

constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_MORE_DATA = 234;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options, REGSAM access,
                     void* security, HKEY* result, DWORD* disposition);
LONG RegQueryValueExA(HKEY key, LPCSTR valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize);
LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD dataSize);
LONG RegCloseKey(HKEY key);

// The file the values live in: $XDG_CONFIG_HOME/kavret/registry.reg (or
// ~/.config/...) unless set. Setting it drops what was read before.
void RegistrySetFile(const std::string& path);
// The file as read could not be understood: it is left untouched and the
// values live in memory only for this run.
bool RegistryFileDamaged();
// Read-only: the file is read but never written or created; keys and values
// set meanwhile live in memory for this run only. Runs that nobody watches
// (headless, captures) use it so that they never change a person's choices.
// Kept across RegistrySetFile.
void RegistrySetReadOnly(bool readOnly);

// A copy of everything the registry holds, key by key in file order, for
// checks that what the writer wrote reads back the same.
struct RegistryValueCopy {
  std::string name;
  DWORD type;
  std::vector<BYTE> data;
  bool operator==(const RegistryValueCopy&) const = default;
};
struct RegistryKeyCopy {
  std::string path;
  std::vector<RegistryValueCopy> values;
  bool operator==(const RegistryKeyCopy&) const = default;
};
std::vector<RegistryKeyCopy> RegistryContents();
