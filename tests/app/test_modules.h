// A data directory with tiny but valid XM modules, for tests of the music calls.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

inline std::vector<std::uint8_t> TinyXmModule() {
  std::vector<std::uint8_t> b;
  auto text = [&](const std::string& s, size_t n) {
    for (size_t i = 0; i < n; ++i) b.push_back(i < s.size() ? static_cast<std::uint8_t>(s[i]) : 0);
  };
  auto u16 = [&](unsigned v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
  };
  auto u32 = [&](unsigned v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  };
  text("Extended Module: ", 17);
  text("tiny", 20);
  b.push_back(0x1A);
  text("kavret tests", 20);
  u16(0x0104);
  u32(276);  // header size, counted from here
  u16(1);    // song length
  u16(0);    // restart position
  u16(2);    // channels
  u16(1);    // patterns
  u16(0);    // instruments
  u16(1);    // linear frequencies
  u16(6);    // tempo
  u16(125);  // bpm
  text("", 256);  // order table: pattern 0
  u32(9);    // pattern header size
  b.push_back(0);
  u16(64);   // rows
  u16(0);    // packed size: an empty pattern
  return b;
}

// Writes Midas/t1.xm .. t3.xm (those listed in `which`) under `dir`.
inline void WriteTinyModules(const std::filesystem::path& dir, const std::string& which = "123") {
  std::filesystem::create_directories(dir / "Midas");
  const auto bytes = TinyXmModule();
  for (char c : which) {
    std::ofstream out(dir / "Midas" / (std::string("t") + c + ".xm"), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
}
