// The lens-flare template, owned by the renderer.
#include "render/flares.h"

Sprite* LensFlareTemplate = nullptr;
