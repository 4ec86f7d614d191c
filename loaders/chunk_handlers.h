// The handlers the chunk table points at, and the little-endian readers they
// share. Internal to the model loader.
#pragma once

#include <cstdint>
#include <cstdio>

// Readers: false on a short read (the caller then ends its handler).
bool ReadBytes(std::FILE* stream, void* buffer, std::size_t count);
bool ReadU16(std::FILE* stream, std::uint16_t& value);
bool ReadU32(std::FILE* stream, std::uint32_t& value);
bool ReadFloat(std::FILE* stream, float& value);
// Bytes between the stream's position and chunkEnd (0 when past it).
long ChunkBytesLeft(std::FILE* stream, long chunkEnd);
// True when the chunk still holds `bytes` bytes. A body its chunk is too short
// for counts as a short read: the handler ends rather than take its values
// from the chunks behind it.
bool ChunkHolds(std::FILE* stream, long chunkEnd, long bytes);
// The stream the chunk listing is written to.
std::FILE* Listing();

// Geometry (mesh_handlers.cpp).
void HandleObjectBlock(std::FILE* stream, int indent, long chunkEnd);
void HandleVertexList(std::FILE* stream, int indent, long chunkEnd);
void HandleFaceList(std::FILE* stream, int indent, long chunkEnd);
void HandleFaceMaterial(std::FILE* stream, int indent, long chunkEnd);
void HandleMappingsList(std::FILE* stream, int indent, long chunkEnd);
void HandleSmoothings(std::FILE* stream, int indent, long chunkEnd);
void HandleMatrix(std::FILE* stream, int indent, long chunkEnd);
// Brings the faces of the object read last up to its vertex lists; the walk
// calls it when it ends.
void FinishVertexLists();

// Lights, colours and the camera (light_handlers.cpp).
void HandleLight(std::FILE* stream, int indent, long chunkEnd);
void HandleSpotlight(std::FILE* stream, int indent, long chunkEnd);
void HandleColourFloat(std::FILE* stream, int indent, long chunkEnd);
void HandleColourByte(std::FILE* stream, int indent, long chunkEnd);
void HandleFloat(std::FILE* stream, int indent, long chunkEnd);
void HandleCamera(std::FILE* stream, int indent, long chunkEnd);

// Materials and the chunks read only to be dropped (material_handlers.cpp).
void HandleMaterialName(std::FILE* stream, int indent, long chunkEnd);
void HandleMapFilename(std::FILE* stream, int indent, long chunkEnd);
void HandleEmpty(std::FILE* stream, int indent, long chunkEnd);
void HandleWord(std::FILE* stream, int indent, long chunkEnd);
void HandleTwoBytes(std::FILE* stream, int indent, long chunkEnd);

// Keyframer (keyframer_handlers.cpp).
void HandleFrames(std::FILE* stream, int indent, long chunkEnd);
void HandleTrackObjectName(std::FILE* stream, int indent, long chunkEnd);
void HandlePivotPoint(std::FILE* stream, int indent, long chunkEnd);
void HandlePositionKeys(std::FILE* stream, int indent, long chunkEnd);
void HandleRotationKeys(std::FILE* stream, int indent, long chunkEnd);
void HandleScaleKeys(std::FILE* stream, int indent, long chunkEnd);
void HandleFovKeys(std::FILE* stream, int indent, long chunkEnd);
void HandleRollKeys(std::FILE* stream, int indent, long chunkEnd);
void HandleMorphKeys(std::FILE* stream, int indent, long chunkEnd);
void HandleHideKeys(std::FILE* stream, int indent, long chunkEnd);
void HandleObjectNumber(std::FILE* stream, int indent, long chunkEnd);

// The default material, created on first use in a scene; null if it cannot be made.
struct Material;
Material* DefaultMaterial();
