// libFuzzer target: any byte string as a model file. Besides surviving the
// load, every face the loader leaves must have three corners inside its
// geometry's vertex array and a material.
#include <cstdlib>

#include "fuzz_support.h"
#include "loaders/load3ds.h"
#include "scene/scene.h"

namespace {

void CheckGeometry(const MeshGeometry* g) {
  for (std::int32_t i = 0; i < g->faceCount; ++i) {
    const Face& face = g->faces[i];
    if (!face.material) std::abort();
    for (const Vertex* corner : face.vertices) {
      if (corner < g->vertices || corner >= g->vertices + g->vertexCount) std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const char* path = WriteInput(data, size);
  BeginScene();
  Load3ds(path);
  // A second file in the same scene sees what the first one left in the loader's state.
  Load3ds(path);
  for (const MeshGeometry* g = Geometries.first; g; g = g->next) CheckGeometry(g);
  EndScene();
  return 0;
}
