// Lens flares: the template every light's flare sprite is copied from, with
// its four lens textures and materials.
#pragma once

// Loads "Textures\lens1.tga" .. "lens4.tga", adds the materials
// "lenz_flare_material0" .. "3" with them and appends the template sprite
// (kind 0, half size 60, white, inactive). False when a record could not be
// made; a lens texture that cannot be read leaves its material untextured.
bool CreateLensFlareTemplate();
