// 3D Studio chunk trees built in memory for the loader and scene tests, on the
// content tool's chunk writer: the same calls, chained, plus a header whose
// length is made up (for files that lie about their chunks).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "tools/content/art/chunk_writer.h"

class Chunks {
 public:
  // Begin opens a chunk; End closes the last one open and patches its length.
  Chunks& Begin(std::uint16_t id) {
    writer_.Begin(id);
    return *this;
  }
  Chunks& End() {
    writer_.End();
    return *this;
  }
  // A header with a length of our choosing and no End.
  Chunks& Header(std::uint16_t id, std::uint32_t length) { return U16(id).U32(length); }
  Chunks& U8(std::uint8_t v) {
    writer_.U8(v);
    return *this;
  }
  Chunks& U16(std::uint16_t v) {
    writer_.U16(v);
    return *this;
  }
  Chunks& U32(std::uint32_t v) {
    writer_.U32(v);
    return *this;
  }
  Chunks& F32(float v) {
    writer_.Float(v);
    return *this;
  }
  Chunks& Name(const std::string& s) {  // NUL-terminated
    writer_.Name(s);
    return *this;
  }
  // One chunk holding the given floats.
  Chunks& Floats(std::uint16_t id, std::initializer_list<float> values) {
    Begin(id);
    for (float f : values) F32(f);
    return End();
  }
  const std::vector<std::uint8_t>& bytes() const { return writer_.bytes; }

 private:
  ChunkWriter writer_;
};
