// Vertex lighting: the material's base colour plus every point light of the
// current group, with a smooth fall-off between the inner and outer range.
#include "render/lighting.h"

#include <initializer_list>

#include "render/renderer.h"
#include "scene/scene.h"

namespace {

constexpr std::int32_t PointLight = 2;
// Colour channels go to bytes through this factor, so a full 255.0 gives 254.
constexpr float ColourFactor = 0.003921f;

std::uint32_t ColourByte(float value) {
  // NaN and negative accumulators give 0; the upper clamp has been applied.
  if (!(value > 0.0f)) return 0;
  return static_cast<std::uint32_t>(value * ColourFactor * 255.0f);
}

}  // namespace

void LightVertex(const Vertex* vertex, TransformedVertex* transformed, const Light* light) {
  if (light->type != PointLight) return;
  const Vec4 d = VecSub(light->objectPosition, vertex->position);
  const float e = VecDot(d, vertex->normal) * light->lightScale;
  if (!(e > 0.0f)) return;
  const float q = VecDot(d, d);
  if (q > light->farRangeSquared) return;
  float f = 1.0f;
  if (q > light->rangeSquared) {
    const float t = (light->farRangeSquared - q) / (light->farRangeSquared - light->rangeSquared);
    f = t * t * (3.0f - 2.0f * t);
  }
  transformed->red += e * light->colour[0] * f;
  transformed->green += e * light->colour[1] * f;
  transformed->blue += e * light->colour[2] * f;
}

void PrepareLights(const Matrix& inverseWorld) {
  const LightGroup* group = LightGroups.current;
  if (!group) return;
  for (Light* light = group->firstLight; light; light = light->next) {
    light->objectPosition = VecTransform(inverseWorld, light->position);
    // One square root per light and object stands in for normalising the
    // light vector at every vertex. A light at the origin has no such scale
    // and adds nothing.
    const float length = VecLength(light->position);
    light->lightScale = length > 0.0f ? 1.0f / length : 0.0f;
  }
}

std::uint32_t VertexColour(const Vertex* vertex, TransformedVertex* transformed, const Material* material) {
  if (material->fullBright) return 0xFFFFFFFFu;
  transformed->red = material->baseColour[0];
  transformed->green = material->baseColour[1];
  transformed->blue = material->baseColour[2];
  transformed->alpha = material->baseColour[3];
  if (const LightGroup* group = LightGroups.current) {
    for (const Light* light = group->firstLight; light; light = light->next) {
      LightVertex(vertex, transformed, light);
    }
  }
  for (float* channel : {&transformed->red, &transformed->green, &transformed->blue, &transformed->alpha}) {
    if (*channel > 255.0f) *channel = 255.0f;
  }
  return ColourByte(transformed->red) << 16 | ColourByte(transformed->green) << 8 | ColourByte(transformed->blue);
}
