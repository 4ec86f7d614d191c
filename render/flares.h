// Lens flares: the template every light's flare is copied from.
#pragma once

struct Sprite;

// Made by the renderer's start-up; null until then, and lights loaded while it
// is null get no flare.
extern Sprite* LensFlareTemplate;
