// Texture files: uncompressed 24-bit Targa images, square, with power-of-two
// sides from 1 to 256, read into a new texture record together with their
// whole mip chain.
#pragma once

struct Texture;

// Adds a texture record and reads the file (a data path such as
// "Textures\fire002.tga") into it. On failure returns null and leaves the
// record in the registry with no pixels and mipMapped 0.
Texture* LoadTexture(const char* path);

// Fills every smaller level of the chain from the top level: each texel is the
// truncated average of the four texels above it, per channel.
void BuildMipChain(Texture* texture);
