// Loading of 3D Studio model files (.3ds): the chunk walker, its table of chunk
// types and the state its handlers share while they fill the scene registries.
// While a file loads, a listing of its chunks goes to standard output.
#pragma once

#include <cstdint>
#include <cstdio>

struct MeshObject;
struct Material;
struct Light;

// Reads a model file (a data path such as "Objects\x.3ds") into the scene
// registries. A missing file loads nothing, silently; a path that is not a
// regular file inside the data folder loads nothing, with a warning on stderr.
void Load3ds(const char* path);

// Every handler gets the stream just behind the chunk's 6-byte header, the
// indent of its listing lines and the offset of the first byte behind the chunk.
using ChunkHandler = void (*)(std::FILE* stream, int indent, long chunkEnd);

struct ChunkType {
  std::uint16_t id;
  const char* name;      // as printed in the listing
  ChunkHandler handler;  // null: a container, walked
};

inline constexpr int ChunkTypeCount = 98;
extern const ChunkType ChunkTypes[ChunkTypeCount];

// Row of the first table entry with that id, or -1.
int FindChunkType(std::uint16_t id);

// Walks the chunks from the stream's position up to the offset `end`.
void ReadChunks(std::FILE* stream, int indent, long end);

// Reads a NUL-terminated name into LoadState.nameBuffer, echoing it to the
// listing. The name ends at its NUL or at chunkEnd, whichever comes first.
void ReadName(std::FILE* stream, long chunkEnd);

enum ChunkKind : std::int32_t {
  ChunkKindNone = 0,
  ChunkKindMesh = 1,
  ChunkKindLight = 2,
  ChunkKindCamera = 3,
  ChunkKindCameraTrack = 4,
  ChunkKindCameraTargetTrack = 5,
};

// Longest name kept; the rest of a longer name is read and dropped.
inline constexpr int NameBufferSize = 1040;
// Deepest chunk nesting walked; anything below it is skipped.
inline constexpr int MaxChunkDepth = 64;

// The loader's state, shared by the walker and every handler. It is never
// reset between files: what one file leaves, the next one sees. The records
// being filled in are kept with the scene (LoadTargets), where removing a
// record forgets it.
struct LoadStateRecord {
  char nameBuffer[NameBufferSize];
  std::int32_t chunkKind;   // a ChunkKind
  std::int32_t rangeState;  // which light range the next float chunk sets (1, 2) or none (0)
  // Where the listing goes; null means standard output.
  std::FILE* listing;
  // Nesting depth of the walk in progress.
  int depth;
  // Faces the mesh handlers have walked over (re-pointing their corners,
  // giving them the default material): the part of a file's cost that does
  // not show in the bytes read.
  long long faceVisits;
};

extern LoadStateRecord LoadState;
