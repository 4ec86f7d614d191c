// One small hand-made scene through the whole device (perspective floor,
// intersecting lit triangles, additive glows, dithering), drawn by the
// reference path so that speed work on the fast path cannot move it, compared
// pixel for pixel with a committed PNG. On a difference the actual picture is
// written into the build tree as golden_failed/platform/dx/scene.actual.png.
#include <cmath>
#include <string>

#include "dx_test_device.h"
#include "support/golden.h"

namespace {

void DrawScene(TestDevice& d) {
  d.device->SetRenderState(D3DRENDERSTATE_DITHERENABLE, TRUE);
  // A checked floor of two colours, mip-mapped.
  const D3DTEXTUREHANDLE floor = d.MakeTexture(16, 5, [](int level, int x, int y) -> std::uint16_t {
    if (level >= 3) return 0xA94A;  // the average of the two
    const int cell = 4 >> level;
    return ((x / cell + y / cell) & 1) ? 0xFF18 : 0x8C63;
  });
  // A soft round glow, black at the rim.
  const D3DTEXTUREHANDLE glow = d.MakeTexture(16, 1, [](int, int x, int y) -> std::uint16_t {
    const double dx = x - 7.5, dy = y - 7.5;
    const int v = std::max(0, static_cast<int>(31 * (1 - std::sqrt(dx * dx + dy * dy) / 8)));
    return static_cast<std::uint16_t>((v ? 0x8000 : 0) | v << 10 | (v * 3 / 4) << 5 | v / 3);
  });

  // Floor: near edge at the bottom (rhw 1), far edge at the horizon (rhw 0.2).
  d.device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, floor);
  const D3DTLVERTEX ground[4] = {{-40, 30, 0.9f, 0.2f, Rgb(90, 90, 110), 0, 0, 0},
                                 {136, 30, 0.9f, 0.2f, Rgb(90, 90, 110), 0, 6, 0},
                                 {96, 72, 0.3f, 1.0f, Rgb(255, 240, 220), 0, 6, 6},
                                 {0, 72, 0.3f, 1.0f, Rgb(255, 240, 220), 0, 0, 6}};
  ASSERT_EQ(d.device->DrawPrimitive(D3DPT_TRIANGLEFAN, D3DVT_TLVERTEX, const_cast<D3DTLVERTEX*>(ground), 4, 0),
            D3D_OK);

  // Two lit, untextured triangles cutting through each other.
  d.device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, 0);
  ASSERT_EQ(d.Triangles({{20.5f, 8.25f, 0.2f, 1, Rgb(255, 40, 20), 0, 0, 0},
                         {70.75f, 20.5f, 0.6f, 1, Rgb(120, 10, 10), 0, 0, 0},
                         {28.25f, 60.5f, 0.4f, 1, Rgb(255, 160, 40), 0, 0, 0}}),
            D3D_OK);
  ASSERT_EQ(d.Triangles({{76.5f, 6.5f, 0.2f, 1, Rgb(20, 60, 255), 0, 0, 0},
                         {80.25f, 58.75f, 0.25f, 1, Rgb(40, 200, 255), 0, 0, 0},
                         {14.5f, 36.5f, 0.55f, 1, Rgb(10, 20, 90), 0, 0, 0}}),
            D3D_OK);

  // Additive glows, no depth writes, one over the triangles and one overlapping it.
  d.device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, glow);
  d.device->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, FALSE);
  d.Additive(true);
  ASSERT_EQ(d.Quad(34, 14, 66, 46, 0.1f, Rgb(255, 255, 255)), D3D_OK);
  ASSERT_EQ(d.Quad(52, 26, 76, 50, 0.1f, Rgb(160, 255, 200)), D3D_OK);
  // One partly behind the red triangle: the depth test still applies.
  ASSERT_EQ(d.Quad(8, 24, 40, 56, 0.5f, Rgb(255, 255, 255)), D3D_OK);
}

}  // namespace

TEST(Golden, SmallSceneMatchesTheReferencePicture) {
  TestDevice d(96, 72);
  DxUseReferenceRasterizer(true);
  DrawScene(d);
  DxUseReferenceRasterizer(false);
  std::vector<std::uint8_t> actual;
  int w = 0, h = 0;
  ASSERT_TRUE(DxSurfaceToRgb888(d.target, actual, &w, &h));

  const std::string message = CompareWithGolden("platform/dx", "scene", actual, w, h);
  EXPECT_TRUE(message.empty()) << message;
}
