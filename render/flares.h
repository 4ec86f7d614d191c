// Lens flares: the template every light's flare sprite is copied from, with
// its four lens textures and materials.
#pragma once

struct Sprite;

// Made by the renderer's start-up at the beginning of every scene; null until
// then, and lights loaded while it is null get no flare.
extern Sprite* LensFlareTemplate;

// Loads "Textures\lens1.tga" .. "lens4.tga", adds the materials
// "lenz_flare_material0" .. "3" with them and appends the template sprite
// (kind 0, half size 60, white, inactive). False when a record could not be
// made; a lens texture that cannot be read leaves its material untextured.
bool CreateLensFlareTemplate();
