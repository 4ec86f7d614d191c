// The lens-flare template, rebuilt at the start of every scene before the
// scene's model files load, so that each light they hold gets a copy.
#include <cstdio>

#include "loaders/texture_file.h"
#include "render/flares.h"
#include "scene/scene.h"

namespace {

constexpr float TemplateHalfSize = 60.0f;

const char* const LensTextures[4] = {"Textures\\lens1.tga", "Textures\\lens2.tga", "Textures\\lens3.tga",
                                     "Textures\\lens4.tga"};
const char* const LensMaterials[4] = {"lenz_flare_material0", "lenz_flare_material1", "lenz_flare_material2",
                                      "lenz_flare_material3"};

}  // namespace

bool CreateLensFlareTemplate() {
  LensFlareTemplate = nullptr;
  Texture* textures[4];
  for (int i = 0; i < 4; ++i) {
    textures[i] = LoadTexture(LensTextures[i]);
    if (!textures[i]) std::fprintf(stderr, "kavret: cannot read the lens texture %s\n", LensTextures[i]);
  }
  Material* materials[4];
  for (int i = 0; i < 4; ++i) {
    materials[i] = AddMaterial(LensMaterials[i]);
    if (!materials[i]) return false;
    materials[i]->texture = textures[i];
  }
  Sprite* flare = AddSprite(SpriteLensFlare);
  if (!flare) return false;
  for (int i = 0; i < 4; ++i) flare->materials[i] = materials[i];
  flare->halfSize = TemplateHalfSize;
  flare->colour[0] = 255;
  flare->colour[1] = 255;
  flare->colour[2] = 255;
  flare->colour[3] = 0;
  // The template itself is never drawn; its copies are made active.
  flare->active = 0;
  LensFlareTemplate = flare;
  return true;
}
