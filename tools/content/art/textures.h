// The demo's textures: the particle and lens-flare pictures the program loads
// by name, and the maps the scene files' materials name.
#pragma once

#include <string>
#include <vector>

#include "tools/content/art/image.h"

struct TextureDef {
  std::string file;  // name under Textures/, as the program or a material names it
  int size;          // square side, a power of two up to 256
  Image (*paint)(int size);
};

const std::vector<TextureDef>& TextureList();
