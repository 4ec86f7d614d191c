// Writes the little-endian chunk tree of a 3D Studio file: a chunk is opened,
// filled with data and sub-chunks, and its length is patched in when it closes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ChunkWriter {
  std::vector<std::uint8_t> bytes;
  std::vector<std::size_t> open;  // offsets of the chunks not yet closed

  void Begin(std::uint16_t id);
  void End();
  void U8(std::uint8_t v) { bytes.push_back(v); }
  void U16(std::uint16_t v);
  void U32(std::uint32_t v);
  void Float(float v);
  void Name(const std::string& s);  // NUL-terminated
};
