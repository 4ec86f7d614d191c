// The four choices that persist between runs in the registry: loop, music,
// display driver and resolution text.
#pragma once

#include <cstdint>

struct DemoSettingsRecord {
  std::uint8_t isLooping;
  std::uint8_t useSound;
  char driverName[256];
  char resolution[256];
};

extern DemoSettingsRecord DemoSettings;

// The key the values live under, below HKEY_CURRENT_USER.
inline constexpr const char* kSettingsKey = "SOFTWARE\\Quarn 3DFX Demo";

void LoadSettings();
void SaveSettings();
