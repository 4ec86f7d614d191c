// A 5 x 7 pixel font for the 3D greeting letters, the sign texture and the banner.
#pragma once

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;

// True where the glyph of c has a pixel (row 0 at the top); unknown characters are blank.
bool GlyphPixel(char c, int x, int y);
