// Sprite drawing: lens flares (four quads along the line from the light
// towards the view axis) and billboards (one quad), depth-sorted and added to
// the frame back to front.
#pragma once

struct Sprite;

// Draws every active sprite of kind 0 or 3, farthest first. Always true.
bool DrawSprites();
// Draws one sprite with the current camera at the depth DrawSprites last gave
// it; false when a device call or a texture selection failed.
bool DrawSprite(Sprite* sprite);
// Releases the sort array kept between frames (end of a scene).
void FreeSpriteOrder();
