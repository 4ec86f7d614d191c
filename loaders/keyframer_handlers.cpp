// Handlers for the keyframer section: every track is read whole and listed;
// the only thing kept is the last key of a scale track, which becomes the
// scale of the object its node names.
#include "loaders/chunk_handlers.h"
#include "loaders/load3ds.h"
#include "scene/scene.h"

namespace {

enum class TrackValue { Position, Rotation, Scale, Fov, Roll, Morph };

// What is left of a track chunk. Reads stop at the chunk's end as they would
// at the end of the file, so a key count larger than the chunk holds ends the
// track there: the chunks behind it are never read as keys, and the work done
// for a track stays within its own bytes.
struct TrackData {
  std::FILE* stream;
  long chunkEnd;
  long left;
};

TrackData BeginTrack(std::FILE* stream, long chunkEnd) { return {stream, chunkEnd, ChunkBytesLeft(stream, chunkEnd)}; }

bool Take(TrackData& track, long bytes) {
  if (track.left < bytes) return false;
  track.left -= bytes;
  return true;
}

bool ReadWord(TrackData& track, std::uint16_t& value) { return Take(track, 2) && ReadU16(track.stream, value); }

bool ReadFloat(TrackData& track, float& value) { return Take(track, 4) && ReadFloat(track.stream, value); }

bool ReadVector(TrackData& track, float value[3]) {
  return ReadFloat(track, value[0]) && ReadFloat(track, value[1]) && ReadFloat(track, value[2]);
}

// Five header words, the key count and one further word, all listed.
bool ReadTrackHeader(TrackData& track, int indent, const char* countLabel, std::uint16_t& count) {
  std::FILE* out = Listing();
  for (int n = 0; n < 5; ++n) {
    std::uint16_t word;
    if (!ReadWord(track, word)) return false;
    std::fprintf(out, "%*sUnknown #%d: 0x%x\n", indent, "", n, word);
  }
  if (!ReadWord(track, count)) return false;
  std::fprintf(out, "%*s%s: %d\n", indent, "", countLabel, count);
  std::uint16_t further;
  if (!ReadWord(track, further)) return false;
  std::fprintf(out, "%*sUnknown: 0x%x\n", indent, "", further);
  return true;
}

// One float follows the key header for every spline flag set among bits 0-15
// (tension, continuity, bias, ease to, ease from, ...); they are dropped.
bool ReadSplineExtras(TrackData& track, std::uint16_t flags) {
  for (int bit = 0; bit < 16; ++bit) {
    float extra;
    if ((flags & (1u << bit)) && !ReadFloat(track, extra)) return false;
  }
  return true;
}

// Reads and lists one key's value; the last scale read is left in `scale`.
bool ReadKeyValue(TrackData& track, int indent, TrackValue kind, float scale[3]) {
  std::FILE* out = Listing();
  float v[4];
  switch (kind) {
    case TrackValue::Position:
      if (!ReadVector(track, v)) return false;
      std::fprintf(out, "%*s\t\tX: %f, Y: %f, Z: %f\n", indent, "", v[0], v[1], v[2]);
      return true;
    case TrackValue::Rotation: {
      if (!ReadFloat(track, v[3]) || !ReadVector(track, v)) return false;
      // The degree figure is kept as a float, with this value of pi.
      float degrees = static_cast<float>(v[3] * 180 / 3.141592687);
      std::fprintf(out, "%*s\t\tAngle: %f\247, X: %f, Y: %f, Z: %f\n", indent, "", degrees, v[0], v[1], v[2]);
      return true;
    }
    case TrackValue::Scale:
      if (!ReadVector(track, v)) return false;
      std::fprintf(out, "%*s\t       X: %f, Y: %f, Z: %f\n", indent, "", v[0], v[1], v[2]);
      for (int i = 0; i < 3; ++i) scale[i] = v[i];
      return true;
    case TrackValue::Fov:
      if (!ReadFloat(track, v[0])) return false;
      std::fprintf(out, "%*s\t       FOV: %f\n", indent, "", v[0]);
      return true;
    case TrackValue::Roll:
      if (!ReadFloat(track, v[0])) return false;
      std::fprintf(out, "%*s\t       Roll: %f\n", indent, "", v[0]);
      return true;
    case TrackValue::Morph:
      std::fprintf(out, "%*s\t\tObject name: \"", indent, "");
      ReadName(track.stream, track.chunkEnd);
      track.left = ChunkBytesLeft(track.stream, track.chunkEnd);
      return true;
  }
  return false;
}

void ReadKeyTrack(std::FILE* stream, int indent, long chunkEnd, TrackValue kind, const char* countLabel) {
  TrackData track = BeginTrack(stream, chunkEnd);
  std::uint16_t count;
  if (!ReadTrackHeader(track, indent, countLabel, count)) return;
  float scale[3] = {};
  for (int key = 0; key < count; ++key) {
    std::uint16_t frame, word, flags;
    if (!ReadWord(track, frame) || !ReadWord(track, word) || !ReadWord(track, flags)) return;
    std::fprintf(Listing(), "%*s  Frame %3d: Flags 0x%X\n", indent, "", frame, flags);
    if (!ReadSplineExtras(track, flags)) return;
    if (!ReadKeyValue(track, indent, kind, scale)) return;
  }
  // The node's "Track Obj. Name" is still in the name buffer.
  if (kind != TrackValue::Scale || count == 0) return;
  if (MeshObject* object = FindMeshObject(LoadState.nameBuffer)) {
    object->scale.x = scale[0];
    object->scale.y = scale[1];
    object->scale.z = scale[2];
  }
}

}  // namespace

void HandleFrames(std::FILE* stream, int, long chunkEnd) {
  unsigned char frames[8];
  if (ChunkHolds(stream, chunkEnd, sizeof frames)) ReadBytes(stream, frames, sizeof frames);
}

void HandleTrackObjectName(std::FILE* stream, int, long chunkEnd) {
  ReadName(stream, chunkEnd);
  // Two flag words and the parent's number, read and dropped.
  TrackData rest = BeginTrack(stream, chunkEnd);
  std::uint16_t flags0, flags1, parent;
  if (ReadWord(rest, flags0) && ReadWord(rest, flags1)) ReadWord(rest, parent);
}

void HandlePivotPoint(std::FILE* stream, int, long chunkEnd) {
  TrackData data = BeginTrack(stream, chunkEnd);
  float pivot[3];
  ReadVector(data, pivot);
}

void HandlePositionKeys(std::FILE* stream, int indent, long chunkEnd) {
  ReadKeyTrack(stream, indent, chunkEnd, TrackValue::Position, "Position keys");
}

void HandleRotationKeys(std::FILE* stream, int indent, long chunkEnd) {
  ReadKeyTrack(stream, indent, chunkEnd, TrackValue::Rotation, "Rotation keys");
}

void HandleScaleKeys(std::FILE* stream, int indent, long chunkEnd) {
  ReadKeyTrack(stream, indent, chunkEnd, TrackValue::Scale, "Scale keys");
}

void HandleFovKeys(std::FILE* stream, int indent, long chunkEnd) {
  ReadKeyTrack(stream, indent, chunkEnd, TrackValue::Fov, "FOV keys");
}

void HandleRollKeys(std::FILE* stream, int indent, long chunkEnd) {
  ReadKeyTrack(stream, indent, chunkEnd, TrackValue::Roll, "Roll keys");
}

void HandleMorphKeys(std::FILE* stream, int indent, long chunkEnd) {
  ReadKeyTrack(stream, indent, chunkEnd, TrackValue::Morph, "Morph keys");
}

void HandleHideKeys(std::FILE* stream, int indent, long chunkEnd) {
  TrackData track = BeginTrack(stream, chunkEnd);
  std::uint16_t count;
  if (!ReadTrackHeader(track, indent, "Hide keys", count)) return;
  std::FILE* out = Listing();
  indent += 2;
  for (int key = 0; key < count; ++key) {
    std::uint16_t frame;
    if (!ReadWord(track, frame)) return;
    std::fprintf(out, "%*sFrame: %d\n", indent, "", frame);
    for (int n = 0; n < 2; ++n) {
      std::uint16_t word;
      if (!ReadWord(track, word)) return;
      std::fprintf(out, "%*s  Unknown #%d: 0x%x\n", indent, "", n, word);
    }
  }
}

void HandleObjectNumber(std::FILE* stream, int indent, long chunkEnd) {
  std::uint16_t number;
  if (!ChunkHolds(stream, chunkEnd, 2) || !ReadU16(stream, number)) return;
  std::fprintf(Listing(), "%*sObject number: %d\n", indent, "", number);
}
