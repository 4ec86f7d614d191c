// Placeholder until the renderer exists: draws nothing.
#include "render/renderer.h"
bool InitRenderer() { return true; }
void FreeRenderer() {}
bool RenderFrame() { return true; }
