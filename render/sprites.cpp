// Lens flares and billboards: screen-aligned quads built in a small local
// array per element and submitted at once; no culling, the device clips.
#include "render/sprites.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "render/device_calls.h"
#include "scene/scene.h"

namespace {

// Reused between frames so that drawing allocates nothing once warm.
std::vector<Sprite*> SpriteOrder;

constexpr float FlareDepthScale = 0.95f;  // on the translation term only
constexpr float FlareZScale = 0.9f;
constexpr float FlareSpreadFactor = 0.15f;
// Where each flare element sits along the line from the light towards the
// view axis, in units of the spread.
constexpr float FlareOffsets[4] = {0.0f, 0.8f, 0.55f, -0.3f};
constexpr float ColourFactor = 0.003921f;
constexpr double HalfPi = 1.5707963267948966;

bool Drawable(const Sprite* sprite) {
  return sprite->kind == SpriteLensFlare || sprite->kind == SpriteBillboard;
}

// Sort key: a depth that is not a number sorts as nearest, keeping the order strict.
float SortDepth(const Sprite* sprite) { return std::isnan(sprite->depth) ? -INFINITY : sprite->depth; }

std::uint32_t SpriteColour(const std::uint8_t* colour) {
  std::uint32_t bytes[3];
  for (int i = 0; i < 3; ++i) bytes[i] = static_cast<std::uint32_t>(colour[i] * ColourFactor * 255.0f);
  return bytes[0] << 16 | bytes[1] << 8 | bytes[2];
}

// What every corner of one sprite shares: its view position, the quad's turn,
// the projection depth and the colour.
struct SpriteFrame {
  const Camera* cam;
  float vx, vy;
  float sa, ca;
  float rhw, sz;
  float halfSize;
  std::uint32_t colour;
};

// A quad corner at offset (X, Y) from the centre, turned and projected, then
// moved by the element offset (ox, oy) in pixels.
D3DTLVERTEX Corner(const SpriteFrame& s, float X, float Y, float ox, float oy, float tu, float tv) {
  const float rx = X * s.ca + Y * s.sa + s.vx;
  const float ry = Y * s.ca - X * s.sa + s.vy;
  D3DTLVERTEX v{};
  v.sx = rx * s.cam->scaleX * s.rhw + s.cam->halfWidth + ox;
  v.sy = ry * s.cam->scaleY * s.rhw + s.cam->halfHeight + oy;
  v.sz = s.sz;
  v.rhw = s.rhw;
  v.color = s.colour;
  v.specular = 0;
  v.tu = tu;
  v.tv = tv;
  return v;
}

void SetDepth(SpriteFrame& s, float z) {
  s.rhw = 1.0f / z;
  s.sz = (1.0f - s.cam->nearZ * s.rhw) * s.cam->zScale;
}

Texture* MaterialTexture(const Material* material) { return material ? material->texture : nullptr; }

bool DrawFlare(Sprite* sprite, SpriteFrame& s, float ux, float uy, float spread) {
  const float h = s.halfSize;
  SetDepth(s, sprite->depth * FlareZScale);
  for (int i = 0; i < 4; ++i) {
    if (!SelectTexture(MaterialTexture(sprite->materials[i]))) return false;
    const float ox = ux * FlareOffsets[i] * spread;
    const float oy = uy * FlareOffsets[i] * spread;
    D3DTLVERTEX first[3] = {Corner(s, -h, -h, ox, oy, 0, 0), Corner(s, h, -h, ox, oy, 1, 0),
                            Corner(s, -h, h, ox, oy, 0, 1)};
    if (!DeviceDrawPrimitive(D3DPT_TRIANGLELIST, first, 3)) return false;
    D3DTLVERTEX second[3] = {Corner(s, h, -h, ox, oy, 1, 0), Corner(s, h, h, ox, oy, 1, 1),
                             Corner(s, -h, h, ox, oy, 0, 1)};
    if (!DeviceDrawPrimitive(D3DPT_TRIANGLELIST, second, 3)) return false;
  }
  return true;
}

bool DrawBillboard(Sprite* sprite, SpriteFrame& s) {
  const float h = s.halfSize;
  if (!SelectTexture(MaterialTexture(sprite->materials[0]))) return false;
  SetDepth(s, sprite->depth);
  D3DTLVERTEX fan[4] = {Corner(s, -h, -h, 0, 0, 0, 0), Corner(s, h, -h, 0, 0, 1, 0),
                        Corner(s, h, h, 0, 0, 1, 1), Corner(s, -h, h, 0, 0, 0, 1)};
  return DeviceDrawPrimitive(D3DPT_TRIANGLEFAN, fan, 4);
}

}  // namespace

bool DrawSprites() {
  const Camera* cam = Cameras.current;
  if (!cam) return true;
  const Matrix& v = cam->view;
  std::size_t active = 0;
  for (const Sprite* s = Sprites.first; s; s = s->next) active += s->active ? 1 : 0;
  SpriteOrder.clear();
  SpriteOrder.reserve(active);
  for (Sprite* s = Sprites.first; s; s = s->next) {
    if (!s->active || !Drawable(s)) continue;
    const Vec4& p = s->particle.position;
    const float k = s->kind == SpriteLensFlare ? FlareDepthScale : 1.0f;
    s->depth = p.x * v[2] + p.y * v[6] + p.z * v[10] + v[14] * k;
    SpriteOrder.push_back(s);
  }
  // Farthest first, so that nearer sprites are added last.
  std::sort(SpriteOrder.begin(), SpriteOrder.end(),
            [](const Sprite* a, const Sprite* b) { return SortDepth(a) > SortDepth(b); });
  for (Sprite* s : SpriteOrder) DrawSprite(s);
  return true;
}

bool DrawSprite(Sprite* sprite) {
  const Camera* cam = Cameras.current;
  if (!cam || !sprite || !Drawable(sprite)) return true;
  const Matrix& v = cam->view;
  const Vec4& p = sprite->particle.position;
  SpriteFrame s{};
  s.cam = cam;
  s.vx = p.x * v[0] + p.y * v[4] + p.z * v[8] + v[12];
  s.vy = p.x * v[1] + p.y * v[5] + p.z * v[9] + v[13];
  sprite->viewX = s.vx;
  sprite->viewY = s.vy;

  // Towards the view axis.
  const float dx = 0.0f - s.vx;
  const float dy = 0.0f - s.vy;
  const float len = static_cast<float>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
  const float ux = len != 0.0f ? dx / len : 0.0f;
  const float uy = len != 0.0f ? dy / len : 0.0f;
  const float spread = len * FlareSpreadFactor;

  // The arc tangent of the ratio (not the two-argument form), so the quad
  // turns with the line but not with its direction. Straight above or below
  // the axis the ratio is infinite (+-90 degrees); on the axis it is
  // undefined and the quad is not turned.
  double a = 0.0;
  if (dx != 0.0f) {
    a = std::atan(static_cast<double>(dy / dx));
  } else if (dy != 0.0f) {
    a = dy > 0.0f ? HalfPi : -HalfPi;
  }
  s.sa = static_cast<float>(std::sin(a));
  s.ca = static_cast<float>(std::cos(a));
  s.halfSize = sprite->halfSize;
  s.colour = SpriteColour(sprite->colour);

  if (sprite->kind == SpriteLensFlare) return DrawFlare(sprite, s, ux, uy, spread);
  return DrawBillboard(sprite, s);
}

void FreeSpriteOrder() {
  SpriteOrder.clear();
  SpriteOrder.shrink_to_fit();
}
