// The scene renderer: draws the current scene through the current camera.
#pragma once

// Allocates the draw buffers and builds the lens-flare template (start of a scene).
bool InitRenderer();
// Frees the draw buffers (end of a scene).
void FreeRenderer();
// Draws the scene: sky objects, meshes, then lens flares and billboards.
bool RenderFrame();
