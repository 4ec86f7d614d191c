// Placeholder until the texture upload exists: textures never get surfaces.
#include "device/texture_surfaces.h"

bool EnsureTexture(Texture*) { return true; }
bool BindTexture(Texture*) { return false; }
void ReleaseTextureSurfaces(Texture*) {}
