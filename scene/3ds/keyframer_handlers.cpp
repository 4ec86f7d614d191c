// Handlers for the keyframer section: every track is read whole and listed;
// the only thing kept is the last key of a scale track, which becomes the
// scale of the object its node names.
#include "scene/3ds/chunk_handlers.h"
#include "scene/3ds/load3ds.h"
#include "scene/scene.h"

namespace {

enum class TrackValue { Position, Rotation, Scale, Fov, Roll, Morph };

// Five header words, the key count and one further word, all listed.
bool ReadTrackHeader(std::FILE* stream, int indent, const char* countLabel, std::uint16_t& count) {
  std::FILE* out = Listing();
  for (int n = 0; n < 5; ++n) {
    std::uint16_t word;
    if (!ReadU16(stream, word)) return false;
    std::fprintf(out, "%*sUnknown #%d: 0x%x\n", indent, "", n, word);
  }
  if (!ReadU16(stream, count)) return false;
  std::fprintf(out, "%*s%s: %d\n", indent, "", countLabel, count);
  std::uint16_t further;
  if (!ReadU16(stream, further)) return false;
  std::fprintf(out, "%*sUnknown: 0x%x\n", indent, "", further);
  return true;
}

// One float follows the key header for every spline flag set among bits 0-15
// (tension, continuity, bias, ease to, ease from, ...); they are dropped.
bool ReadSplineExtras(std::FILE* stream, std::uint16_t flags) {
  for (int bit = 0; bit < 16; ++bit) {
    float extra;
    if ((flags & (1u << bit)) && !ReadFloat(stream, extra)) return false;
  }
  return true;
}

bool ReadVector(std::FILE* stream, float value[3]) {
  return ReadFloat(stream, value[0]) && ReadFloat(stream, value[1]) && ReadFloat(stream, value[2]);
}

// Reads and lists one key's value; the last scale read is left in `scale`.
bool ReadKeyValue(std::FILE* stream, int indent, TrackValue kind, float scale[3]) {
  std::FILE* out = Listing();
  float v[4];
  switch (kind) {
    case TrackValue::Position:
      if (!ReadVector(stream, v)) return false;
      std::fprintf(out, "%*s\t\tX: %f, Y: %f, Z: %f\n", indent, "", v[0], v[1], v[2]);
      return true;
    case TrackValue::Rotation: {
      if (!ReadFloat(stream, v[3]) || !ReadVector(stream, v)) return false;
      // The degree figure is kept as a float, with this value of pi.
      float degrees = static_cast<float>(v[3] * 180 / 3.141592687);
      std::fprintf(out, "%*s\t\tAngle: %f\247, X: %f, Y: %f, Z: %f\n", indent, "", degrees, v[0], v[1], v[2]);
      return true;
    }
    case TrackValue::Scale:
      if (!ReadVector(stream, v)) return false;
      std::fprintf(out, "%*s\t       X: %f, Y: %f, Z: %f\n", indent, "", v[0], v[1], v[2]);
      for (int i = 0; i < 3; ++i) scale[i] = v[i];
      return true;
    case TrackValue::Fov:
      if (!ReadFloat(stream, v[0])) return false;
      std::fprintf(out, "%*s\t       FOV: %f\n", indent, "", v[0]);
      return true;
    case TrackValue::Roll:
      if (!ReadFloat(stream, v[0])) return false;
      std::fprintf(out, "%*s\t       Roll: %f\n", indent, "", v[0]);
      return true;
    case TrackValue::Morph:
      std::fprintf(out, "%*s\t\tObject name: \"", indent, "");
      ReadName(stream);
      return true;
  }
  return false;
}

void ReadKeyTrack(std::FILE* stream, int indent, TrackValue kind, const char* countLabel) {
  std::uint16_t count;
  if (!ReadTrackHeader(stream, indent, countLabel, count)) return;
  float scale[3] = {};
  for (int key = 0; key < count; ++key) {
    std::uint16_t frame, word, flags;
    if (!ReadU16(stream, frame) || !ReadU16(stream, word) || !ReadU16(stream, flags)) return;
    std::fprintf(Listing(), "%*s  Frame %3d: Flags 0x%X\n", indent, "", frame, flags);
    if (!ReadSplineExtras(stream, flags)) return;
    if (!ReadKeyValue(stream, indent, kind, scale)) return;
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

void HandleFrames(std::FILE* stream, int, long) {
  unsigned char frames[8];
  ReadBytes(stream, frames, sizeof frames);
}

void HandleTrackObjectName(std::FILE* stream, int, long) {
  ReadName(stream);
  unsigned char flags[4];
  std::uint16_t parent;
  if (ReadBytes(stream, flags, sizeof flags)) ReadU16(stream, parent);
}

void HandlePivotPoint(std::FILE* stream, int, long) {
  float pivot[3];
  ReadVector(stream, pivot);
}

void HandlePositionKeys(std::FILE* stream, int indent, long) {
  ReadKeyTrack(stream, indent, TrackValue::Position, "Position keys");
}

void HandleRotationKeys(std::FILE* stream, int indent, long) {
  ReadKeyTrack(stream, indent, TrackValue::Rotation, "Rotation keys");
}

void HandleScaleKeys(std::FILE* stream, int indent, long) {
  ReadKeyTrack(stream, indent, TrackValue::Scale, "Scale keys");
}

void HandleFovKeys(std::FILE* stream, int indent, long) {
  ReadKeyTrack(stream, indent, TrackValue::Fov, "FOV keys");
}

void HandleRollKeys(std::FILE* stream, int indent, long) {
  ReadKeyTrack(stream, indent, TrackValue::Roll, "Roll keys");
}

void HandleMorphKeys(std::FILE* stream, int indent, long) {
  ReadKeyTrack(stream, indent, TrackValue::Morph, "Morph keys");
}

void HandleHideKeys(std::FILE* stream, int indent, long) {
  std::uint16_t count;
  if (!ReadTrackHeader(stream, indent, "Hide keys", count)) return;
  std::FILE* out = Listing();
  indent += 2;
  for (int key = 0; key < count; ++key) {
    std::uint16_t frame;
    if (!ReadU16(stream, frame)) return;
    std::fprintf(out, "%*sFrame: %d\n", indent, "", frame);
    for (int n = 0; n < 2; ++n) {
      std::uint16_t word;
      if (!ReadU16(stream, word)) return;
      std::fprintf(out, "%*s  Unknown #%d: 0x%x\n", indent, "", n, word);
    }
  }
}

void HandleObjectNumber(std::FILE* stream, int indent, long) {
  std::uint16_t number;
  if (!ReadU16(stream, number)) return;
  std::fprintf(Listing(), "%*sObject number: %d\n", indent, "", number);
}
