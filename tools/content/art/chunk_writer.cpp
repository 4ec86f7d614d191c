// The 3DS chunk writer.
#include "tools/content/art/chunk_writer.h"

#include <cstring>

void ChunkWriter::Begin(std::uint16_t id) {
  open.push_back(bytes.size());
  U16(id);
  U32(0);  // the length, patched by End
}

void ChunkWriter::End() {
  const std::size_t start = open.back();
  open.pop_back();
  const auto length = static_cast<std::uint32_t>(bytes.size() - start);
  for (int i = 0; i < 4; ++i) bytes[start + 2 + i] = static_cast<std::uint8_t>(length >> (8 * i));
}

void ChunkWriter::U16(std::uint16_t v) {
  U8(static_cast<std::uint8_t>(v));
  U8(static_cast<std::uint8_t>(v >> 8));
}

void ChunkWriter::U32(std::uint32_t v) {
  U16(static_cast<std::uint16_t>(v));
  U16(static_cast<std::uint16_t>(v >> 16));
}

void ChunkWriter::Float(float v) {
  std::uint32_t bits;
  std::memcpy(&bits, &v, 4);
  U32(bits);
}

void ChunkWriter::Name(const std::string& s) {
  bytes.insert(bytes.end(), s.begin(), s.end());
  U8(0);
}
