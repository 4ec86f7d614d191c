// Handlers for material names and texture maps, and for the chunks that are
// read only to be dropped.
#include <cstdio>

#include "loaders/chunk_handlers.h"
#include "loaders/load3ds.h"
#include "loaders/texture_file.h"
#include "platform/files/files.h"
#include "scene/scene.h"

namespace {

// Room for "Textures\\" and the file name, as the path buffer always had.
constexpr int TexturePathSize = 516;

}  // namespace

void HandleMaterialName(std::FILE* stream, int, long chunkEnd) {
  ReadName(stream, chunkEnd);
  LoadTargets.currentMaterial = AddMaterial(LoadState.nameBuffer);
}

// Every map of a material ends here, so the last one named wins. The path
// holds two backslashes, as the files were always named. The name comes from
// the file: one that climbs out of the Textures folder or starts at the root
// is refused, and the material is left without a texture.
void HandleMapFilename(std::FILE* stream, int, long chunkEnd) {
  ReadName(stream, chunkEnd);
  Material* material = LoadTargets.currentMaterial;
  if (!material) return;
  if (!DataNameStaysInside(LoadState.nameBuffer)) {
    std::fprintf(stderr, "kavret: texture name \"%s\" is not a file name inside the Textures folder; "
                 "the material gets no texture\n", LoadState.nameBuffer);
    material->texture = nullptr;
    return;
  }
  char path[TexturePathSize];
  int length = std::snprintf(path, sizeof path, "Textures\\\\%s", LoadState.nameBuffer);
  // A name too long for the path buffer is refused rather than cut.
  if (length < 0 || length >= TexturePathSize) return;
  material->texture = LoadTexture(path);
}

void HandleEmpty(std::FILE*, int, long) {}

void HandleWord(std::FILE* stream, int, long) {
  std::uint16_t word;
  ReadU16(stream, word);
}

void HandleTwoBytes(std::FILE* stream, int, long) {
  unsigned char bytes[2];
  ReadBytes(stream, bytes, sizeof bytes);
}
