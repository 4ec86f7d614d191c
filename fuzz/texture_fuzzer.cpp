// libFuzzer target: any byte string as a Targa file. A texture that loads must
// have every texel of its chain readable; a refused one leaves no pixels.
#include <cstdlib>

#include "fuzz_support.h"
#include "loaders/texture_file.h"
#include "scene/scene.h"

// Reads of the chain go here, so that none of them is optimised away.
volatile unsigned TexelSink;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const char* path = WriteInput(data, size);
  BeginScene();
  Texture* texture = LoadTexture(path);
  if (texture) {
    std::size_t texels = 0;
    for (int level = 0, side = texture->width; level < texture->mipLevels; ++level, side /= 2) {
      texels += static_cast<std::size_t>(side) * side;
    }
    unsigned sum = 0;
    for (std::size_t i = 0; i < texels * 4 + 40; ++i) sum += texture->pixels[i];
    TexelSink = sum;
    if (texture->width != texture->height) std::abort();
  } else if (Textures.last && Textures.last->pixels) {
    std::abort();
  }
  EndScene();
  return 0;
}
