// The chunk walker of the model loader: opens the file, walks the chunk tree
// level by level against the chunk table, lists what it meets and hands each
// known chunk to its handler. Lengths from the file are never trusted: a chunk
// that is too short or reaches past its parent ends the walk of its level.
#include <cstring>

#include "loaders/chunk_handlers.h"
#include "loaders/load3ds.h"
#include "platform/files/files.h"
#include "scene/scene.h"

LoadStateRecord LoadState = {};

bool ReadBytes(std::FILE* stream, void* buffer, std::size_t count) {
  return std::fread(buffer, 1, count, stream) == count;
}

bool ReadU16(std::FILE* stream, std::uint16_t& value) {
  unsigned char b[2];
  if (!ReadBytes(stream, b, sizeof b)) return false;
  value = static_cast<std::uint16_t>(b[0] | (b[1] << 8));
  return true;
}

bool ReadU32(std::FILE* stream, std::uint32_t& value) {
  unsigned char b[4];
  if (!ReadBytes(stream, b, sizeof b)) return false;
  value = static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
          (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
  return true;
}

bool ReadFloat(std::FILE* stream, float& value) {
  std::uint32_t bits;
  if (!ReadU32(stream, bits)) return false;
  std::memcpy(&value, &bits, sizeof value);
  return true;
}

long ChunkBytesLeft(std::FILE* stream, long chunkEnd) {
  long position = std::ftell(stream);
  if (position < 0 || position >= chunkEnd) return 0;
  return chunkEnd - position;
}

bool ChunkHolds(std::FILE* stream, long chunkEnd, long bytes) { return ChunkBytesLeft(stream, chunkEnd) >= bytes; }

std::FILE* Listing() { return LoadState.listing ? LoadState.listing : stdout; }

void ReadName(std::FILE* stream, long chunkEnd) {
  std::FILE* out = Listing();
  // A name is part of its chunk: without a NUL it ends with the chunk rather
  // than running on through the chunks behind it.
  long left = ChunkBytesLeft(stream, chunkEnd);
  int length = 0;
  int c;
  while (left-- > 0 && (c = std::fgetc(stream)) != EOF && c != 0) {
    std::fputc(c, out);
    // Past the buffer the name is still read (and echoed) but not kept.
    if (length < NameBufferSize - 1) LoadState.nameBuffer[length++] = static_cast<char>(c);
  }
  LoadState.nameBuffer[length] = '\0';
}

namespace {

// The kind of chunk being read is set on entry to these five chunks and never
// restored on exit.
void SetChunkKind(const char* name) {
  static const struct {
    const char* name;
    ChunkKind kind;
  } kinds[] = {
      {"Tri-Mesh", ChunkKindMesh},
      {"Light", ChunkKindLight},
      {"Camera", ChunkKindCamera},
      {"Camera track", ChunkKindCameraTrack},
      {"Camera target track", ChunkKindCameraTargetTrack},
  };
  for (const auto& entry : kinds) {
    if (NamesEqual(name, entry.name)) {
      LoadState.chunkKind = entry.kind;
      return;
    }
  }
}

}  // namespace

void ReadChunks(std::FILE* stream, int indent, long end) {
  if (LoadState.depth >= MaxChunkDepth) return;
  ++LoadState.depth;
  for (;;) {
    long start = std::ftell(stream);
    if (start < 0 || start >= end) break;
    unsigned char header[6];
    if (!ReadBytes(stream, header, sizeof header)) break;
    std::uint16_t id = static_cast<std::uint16_t>(header[0] | (header[1] << 8));
    std::uint32_t length = static_cast<std::uint32_t>(header[2]) | (static_cast<std::uint32_t>(header[3]) << 8) |
                           (static_cast<std::uint32_t>(header[4]) << 16) |
                           (static_cast<std::uint32_t>(header[5]) << 24);
    // A chunk shorter than its header or reaching past its parent ends this
    // level, so that no walk runs backwards, forever or outside the file.
    if (length < 6 || length > static_cast<unsigned long>(end - start)) break;
    long chunkEnd = start + static_cast<long>(length);

    int row = FindChunkType(id);
    if (row >= 0) {
      const ChunkType& type = ChunkTypes[row];
      std::fprintf(Listing(), "%*sChunk type \"%s\", offset 0x%lX, size %d bytes\n", indent, "", type.name,
                   static_cast<unsigned long>(start), static_cast<int>(length));
      SetChunkKind(type.name);
      if (type.handler) {
        type.handler(stream, indent + 2, chunkEnd);
      } else {
        ReadChunks(stream, indent + 2, chunkEnd);
      }
    }
    // Whatever the handler read, the walk goes on behind the chunk.
    if (std::fseek(stream, chunkEnd, SEEK_SET) != 0) break;
    if (std::ferror(stream)) break;
  }
  if (--LoadState.depth == 0) FinishVertexLists();
}

void Load3ds(const char* path) {
  std::FILE* stream = OpenDataFile(path, "rb");
  if (!stream) return;
  long size = -1;
  if (std::fseek(stream, 0, SEEK_END) == 0) size = std::ftell(stream);
  if (size > 0 && std::fseek(stream, 0, SEEK_SET) == 0) {
    LoadState.depth = 0;
    ReadChunks(stream, 0, size);
  }
  std::fclose(stream);
}
