// The rasteriser's rules on tiny targets, checked against pixels worked out by
// hand: coverage and the fill rule, depth, additive saturation, dithering,
// perspective, mip selection and clipping.
#include <cmath>
#include <random>

#include "dx_test_device.h"

namespace {

int CountLit(const TestDevice& d) {
  int n = 0;
  for (std::uint16_t p : d.Pixels()) n += p != 0;
  return n;
}

}  // namespace

TEST(Coverage, TopLeftRuleOnAWorkedTriangle) {
  TestDevice d(8, 8);
  // Centres exactly on the slanted edge x + y = 4 (a right edge) stay out; those
  // on the top edge y = 0 and the left edge x = 0 are in.
  ASSERT_EQ(d.Triangles({{0, 0, 0.5f, 1, Rgb(255, 255, 255), 0, 0, 0},
                         {4, 0, 0.5f, 1, Rgb(255, 255, 255), 0, 0, 0},
                         {0, 4, 0.5f, 1, Rgb(255, 255, 255), 0, 0, 0}}),
            D3D_OK);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(d.Pixel(x, y) != 0, x + y < 4) << x << "," << y;
}

TEST(Coverage, SharedEdgesOfAJitteredMeshAreDrawnOnce) {
  TestDevice d(16, 16);
  d.Additive(true);
  d.device->SetRenderState(D3DRENDERSTATE_ZENABLE, FALSE);
  // A 5 x 5 grid of points over the whole target, inner points moved off the
  // pixel grid; each cell split into two triangles, drawn adding red 8 (one
  // 5-bit step). A pixel drawn twice would show 2, a gap 0.
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> jitter(-1.3f, 1.3f);
  float px[5][5], py[5][5];
  for (int j = 0; j < 5; ++j)
    for (int i = 0; i < 5; ++i) {
      const bool inner = i > 0 && i < 4 && j > 0 && j < 4;
      px[j][i] = i * 4.0f + (inner ? jitter(rng) : 0);
      py[j][i] = j * 4.0f + (inner ? jitter(rng) : 0);
    }
  // Also a fan around an integer point, where four edges meet on a pixel centre.
  auto v = [&](int i, int j) { return D3DTLVERTEX{px[j][i], py[j][i], 0.5f, 1, Rgb(8, 0, 0), 0, 0, 0}; };
  for (int j = 0; j < 4; ++j)
    for (int i = 0; i < 4; ++i) {
      ASSERT_EQ(d.Triangles({v(i, j), v(i + 1, j), v(i + 1, j + 1)}), D3D_OK);
      ASSERT_EQ(d.Triangles({v(i, j), v(i + 1, j + 1), v(i, j + 1)}), D3D_OK);
    }
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) EXPECT_EQ(d.Pixel(x, y), 1 << 11) << x << "," << y;
}

TEST(Coverage, FanAroundAPixelCentreCoversTheSquareOnce) {
  TestDevice d(8, 8);
  d.Additive(true);
  const D3DCOLOR c = Rgb(8, 0, 0);
  D3DTLVERTEX fan[6] = {{4, 4, 0.5f, 1, c, 0, 0, 0}, {1, 1, 0.5f, 1, c, 0, 0, 0}, {7, 1, 0.5f, 1, c, 0, 0, 0},
                        {7, 7, 0.5f, 1, c, 0, 0, 0}, {1, 7, 0.5f, 1, c, 0, 0, 0}, {1, 1, 0.5f, 1, c, 0, 0, 0}};
  d.device->SetRenderState(D3DRENDERSTATE_ZENABLE, FALSE);
  ASSERT_EQ(d.device->DrawPrimitive(D3DPT_TRIANGLEFAN, D3DVT_TLVERTEX, fan, 6, 0), D3D_OK);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const bool inside = x >= 1 && x < 7 && y >= 1 && y < 7;
      EXPECT_EQ(d.Pixel(x, y), inside ? 1 << 11 : 0) << x << "," << y;
    }
}

TEST(Depth, LessTestAndSwitchableWrites) {
  TestDevice d(8, 8);
  ASSERT_EQ(d.Quad(0, 0, 8, 8, 0.5f, Rgb(255, 0, 0)), D3D_OK);
  EXPECT_EQ(d.Pixel(3, 3), 0xF800);
  EXPECT_EQ(d.Depth(3, 3), 32767);  // 0.5 x 65535, truncated
  // Equal depth fails LESS.
  ASSERT_EQ(d.Quad(0, 0, 8, 8, 0.5f, Rgb(0, 255, 0)), D3D_OK);
  EXPECT_EQ(d.Pixel(3, 3), 0xF800);
  // Nearer without depth writes: drawn, depth kept.
  d.device->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, FALSE);
  ASSERT_EQ(d.Quad(0, 0, 4, 8, 0.25f, Rgb(0, 0, 255)), D3D_OK);
  EXPECT_EQ(d.Pixel(1, 1), 0x001F);
  EXPECT_EQ(d.Depth(1, 1), 32767);
  d.device->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, TRUE);
  // So something between the two still lands on the blue part.
  ASSERT_EQ(d.Quad(0, 0, 8, 8, 0.4f, Rgb(0, 255, 0)), D3D_OK);
  EXPECT_EQ(d.Pixel(1, 1), 0x07E0);
  EXPECT_EQ(d.Pixel(6, 6), 0x07E0);
  EXPECT_EQ(d.Depth(6, 6), static_cast<std::uint16_t>(0.4 * 65535));
  // Without a depth test everything lands.
  d.device->SetRenderState(D3DRENDERSTATE_ZENABLE, FALSE);
  ASSERT_EQ(d.Quad(0, 0, 8, 8, 0.9f, Rgb(255, 255, 255)), D3D_OK);
  EXPECT_EQ(d.Pixel(6, 6), 0xFFFF);
  EXPECT_EQ(d.Depth(6, 6), static_cast<std::uint16_t>(0.4 * 65535));
}

TEST(Blending, AdditiveSaturatesAndAddingBlackChangesNothing) {
  TestDevice d(8, 8);
  d.device->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, FALSE);
  ASSERT_EQ(d.Quad(0, 0, 8, 8, 0.5f, Rgb(100, 60, 20)), D3D_OK);
  const std::uint16_t base = d.Pixel(2, 2);
  EXPECT_EQ(base, (100 >> 3) << 11 | (60 >> 2) << 5 | (20 >> 3));
  d.Additive(true);
  d.device->SetRenderState(D3DRENDERSTATE_DITHERENABLE, TRUE);
  ASSERT_EQ(d.Quad(0, 0, 8, 8, 0.5f, Rgb(0, 0, 0)), D3D_OK);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(d.Pixel(x, y), base);
  d.device->SetRenderState(D3DRENDERSTATE_DITHERENABLE, FALSE);
  ASSERT_EQ(d.Quad(0, 0, 8, 8, 0.5f, Rgb(200, 200, 200)), D3D_OK);
  ASSERT_EQ(d.Quad(0, 0, 8, 8, 0.5f, Rgb(200, 200, 200)), D3D_OK);
  EXPECT_EQ(d.Pixel(5, 5), 0xFFFF);
  // Blending switched off again replaces.
  d.Additive(false);
  ASSERT_EQ(d.Quad(0, 0, 8, 8, 0.5f, Rgb(8, 4, 8)), D3D_OK);
  EXPECT_EQ(d.Pixel(5, 5), 1 << 11 | 1 << 5 | 1);
}

TEST(Dither, FlatColoursFollowTheOrderedMatrix) {
  TestDevice d(8, 8);
  d.device->SetRenderState(D3DRENDERSTATE_DITHERENABLE, TRUE);
  // Red 4 is half of one 5-bit step, green 2 half of one 6-bit step: exactly the
  // thresholds 8..15 of the 4 x 4 matrix round up, a checkerboard.
  ASSERT_EQ(d.Quad(0, 0, 8, 8, 0.5f, Rgb(4, 2, 0)), D3D_OK);
  const int expected[4][4] = {{0, 1, 0, 1}, {1, 0, 1, 0}, {0, 1, 0, 1}, {1, 0, 1, 0}};
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(Red5(d.Pixel(x, y)), expected[y & 3][x & 3]) << x << "," << y;
      EXPECT_EQ(Green6(d.Pixel(x, y)), expected[y & 3][x & 3]) << x << "," << y;
    }
  // A quarter step rounds up on four of sixteen pixels, three quarters on twelve.
  for (int red : {2, 6}) {
    d.Clear();
    ASSERT_EQ(d.Quad(0, 0, 8, 8, 0.5f, Rgb(red, 0, 0)), D3D_OK);
    int ones = 0;
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) ones += Red5(d.Pixel(x, y));
    EXPECT_EQ(ones, red * 2) << red;
  }
  // Full white and black stay flat; without dithering the value is truncated.
  d.Clear();
  ASSERT_EQ(d.Quad(0, 0, 4, 8, 0.5f, Rgb(255, 255, 255)), D3D_OK);
  d.device->SetRenderState(D3DRENDERSTATE_DITHERENABLE, FALSE);
  ASSERT_EQ(d.Quad(4, 0, 8, 8, 0.5f, Rgb(7, 3, 7)), D3D_OK);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(d.Pixel(x, y), x < 4 ? 0xFFFF : 0) << x << "," << y;
}

TEST(Texturing, PerspectiveCorrectAcrossAQuadSeenAtAnAngle) {
  TestDevice d(64, 8);
  // Black left half, white right half, no mip levels.
  const D3DTEXTUREHANDLE h = d.MakeTexture(64, 1, [](int, int x, int) { return x < 32 ? 0x8000 : 0xFFFF; });
  d.device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, h);
  // Near edge at x = 0 (rhw 1), far edge at x = 64 (rhw 0.25): u = 0.5 lies at
  // t = 0.5 / (0.5 + 0.5 * 0.25 ... ) = 0.8 of the way, x = 51.2, not 32.
  const D3DCOLOR w = Rgb(255, 255, 255);
  D3DTLVERTEX v[4] = {{0, 0, 0.2f, 1, w, 0, 0, 0},
                      {64, 0, 0.8f, 0.25f, w, 0, 1, 0},
                      {64, 8, 0.8f, 0.25f, w, 0, 1, 1},
                      {0, 8, 0.2f, 1, w, 0, 0, 1}};
  ASSERT_EQ(d.device->DrawPrimitive(D3DPT_TRIANGLEFAN, D3DVT_TLVERTEX, v, 4, 0), D3D_OK);
  for (int y = 0; y < 8; ++y) {
    int firstBright = -1;
    for (int x = 0; x < 64 && firstBright < 0; ++x)
      if (Red5(d.Pixel(x, y)) >= 16) firstBright = x;
    EXPECT_GE(firstBright, 50) << y;
    EXPECT_LE(firstBright, 52) << y;
    EXPECT_EQ(d.Pixel(10, y), 0);
    EXPECT_EQ(d.Pixel(60, y), 0xFFFF);
  }
}

TEST(Texturing, NearestMipLevelForAMinifiedQuad) {
  TestDevice d(32, 32);
  d.device->SetRenderState(D3DRENDERSTATE_ZENABLE, FALSE);
  // A 16 x 16 texture whose five levels are flat red, green, blue, white, grey.
  const std::uint16_t colours[5] = {0xFC00, 0x83E0, 0x801F, 0xFFFF, 0xC210};
  const D3DTEXTUREHANDLE h = d.MakeTexture(16, 5, [&](int level, int, int) { return colours[level]; });
  d.device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, h);
  struct Case {
    float side;
    std::uint16_t expected;
  } cases[] = {{32, 0xF800}, {16, 0xF800}, {11, 0x07E0}, {8, 0x07E0}, {4, 0x001F}, {2, 0xFFFF}, {1, 0x8430}};
  for (const Case& c : cases) {
    d.Clear();
    ASSERT_EQ(d.Quad(0, 0, c.side, c.side, 0.5f, Rgb(255, 255, 255)), D3D_OK);
    EXPECT_EQ(d.Pixel(0, 0), c.expected) << "side " << c.side;
  }
}

TEST(Texturing, WrapsAndModulatesWithTheVertexColour) {
  TestDevice d(8, 8);
  // 2 x 2 texels: white except one red; sampled at texel centres with tu up to 4.
  const D3DTEXTUREHANDLE h =
      d.MakeTexture(2, 1, [](int, int x, int y) -> std::uint16_t { return x == 0 && y == 0 ? 0xFC00 : 0xFFFF; });
  d.device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, h);
  const D3DCOLOR half = Rgb(128, 128, 128);
  // Pixel x samples u = (x + 0.25) / 2 ... texel centres land on x even/odd.
  D3DTLVERTEX v[4] = {{-0.5f, -0.5f, 0.5f, 1, half, 0, 0, 0},
                      {7.5f, -0.5f, 0.5f, 1, half, 0, 4, 0},
                      {7.5f, 7.5f, 0.5f, 1, half, 0, 4, 4},
                      {-0.5f, 7.5f, 0.5f, 1, half, 0, 0, 4}};
  ASSERT_EQ(d.device->DrawPrimitive(D3DPT_TRIANGLEFAN, D3DVT_TLVERTEX, v, 4, 0), D3D_OK);
  // Red texel times grey 128: red 255 * 129 / 256 = 128 -> 16 of 31.
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const bool red = x % 2 == 0 && y % 2 == 0;
      EXPECT_EQ(d.Pixel(x, y), red ? 16 << 11 : (16 << 11 | 32 << 5 | 16)) << x << "," << y;
    }
}

TEST(Clipping, AVertexBehindTheEyeDoesNotWrap) {
  TestDevice d(32, 32);
  // Camera at the origin looking down +z, near plane z = 1: sx = 16 + 16 x / z,
  // sz = 1 - 1 / z. Two vertices at z = 2, one behind the eye at z = -2. Only the
  // part with z >= 1 shows: from row 16 (the front edge) to row 18 (the near
  // plane); the naive projection of the third vertex would sit at row 12.
  auto project = [](float x, float y, float z) {
    return D3DTLVERTEX{16 + 16 * x / z, 16 + 16 * y / z, 1 - 1 / z, 1 / z, Rgb(255, 255, 255), 0, 0, 0};
  };
  ASSERT_EQ(d.Triangles({project(-1, 0, 2), project(1, 0, 2), project(0, 0.5f, -2)}), D3D_OK);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      if (y < 16 || y > 18) {
        EXPECT_EQ(d.Pixel(x, y), 0) << x << "," << y;
      }
  EXPECT_NE(d.Pixel(16, 16), 0);
  EXPECT_NE(d.Pixel(7, 17), 0);  // wider than the front edge towards the near plane
  EXPECT_NE(d.Pixel(25, 17), 0);
  // Entirely behind the eye, or beyond the far plane: nothing.
  d.Clear();
  ASSERT_EQ(d.Triangles({project(-1, 0, -2), project(1, 0, -2), project(0, 1, -3)}), D3D_OK);
  ASSERT_EQ(d.Triangles({{0, 0, 1.5f, 1, Rgb(255, 0, 0), 0, 0, 0},
                         {30, 0, 1.2f, 1, Rgb(255, 0, 0), 0, 0, 0},
                         {0, 30, 1.1f, 1, Rgb(255, 0, 0), 0, 0, 0}}),
            D3D_OK);
  EXPECT_EQ(CountLit(d), 0);
}

TEST(Clipping, PartlyOffScreenAndOutsideTheViewport) {
  TestDevice d(16, 16);
  d.SetViewport(2, 3, 10, 8);
  // A large triangle reaching far outside the target on three sides.
  ASSERT_EQ(d.Triangles({{-300.3f, -150.7f, 0.5f, 1, Rgb(255, 255, 255), 0, 0, 0},
                         {900.2f, 463.5f, 0.5f, 1, Rgb(255, 255, 255), 0, 0, 0},
                         {3.1f, 5000.6f, 0.5f, 1, Rgb(255, 255, 255), 0, 0, 0}}),
            D3D_OK);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const bool inViewport = x >= 2 && x < 12 && y >= 3 && y < 11;
      // Inside the triangle where the viewport is: below its top edge, which
      // crosses the viewport (the other two edges are far away).
      const double top = -150.7 + (x + 300.3) * (463.5 + 150.7) / (900.2 + 300.3);
      if (std::fabs(y - top) < 0.1) continue;  // vertices snap to 1/16 pixel
      EXPECT_EQ(d.Pixel(x, y) != 0, inViewport && y > top) << x << "," << y;
    }
}

TEST(Clipping, CornersNoPlaneCutsKeepTheirPlaceOnSharedEdges) {
  // Two rows of points across the target, at random places and with random
  // 1/w. Above the first row a fan to a point behind the eye and far beyond the
  // guard band, below the second a fan to a point beyond the far plane and the
  // guard band, and quads between the rows: the fans are clipped (the planes
  // cross them far outside the target), the quads are not, and they share the
  // rows' points. The rows end far outside on both sides, so the whole target
  // is covered. Drawn adding red 8 (one 5-bit step), a shared corner that
  // moved would leave a 0 or a 2.
  constexpr int kWidth = 64, kHeight = 48, kPoints = 34;
  TestDevice d(kWidth, kHeight, false);
  d.Additive(true);
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  auto vertex = [&](float x, float y, float z) {
    return D3DTLVERTEX{x, y, z, 0.3f + 2.7f * unit(rng), Rgb(8, 0, 0), 0, 0, 0};
  };
  int wrong = 0;
  for (int trial = 0; trial < 100 && wrong == 0; ++trial) {
    d.Clear();
    // Both rows take the same columns, so that every quad is convex. Points
    // lie halfway between 1/16-pixel steps, where being a float step off
    // moves the snapped corner.
    auto halfway = [](float v) { return (std::floor(v * 16) + 0.5f) / 16; };
    float columns[kPoints] = {-2600.5f};
    columns[kPoints - 1] = kWidth + 2600.5f;
    for (int i = 1; i + 1 < kPoints; ++i) columns[i] = halfway((i - 1 + unit(rng)) * kWidth / (kPoints - 3.0f));
    D3DTLVERTEX rows[2][kPoints];
    for (int r = 0; r < 2; ++r)
      for (int i = 0; i < kPoints; ++i)
        rows[r][i] = vertex(columns[i], halfway(kHeight * (r + 1) / 3.0f + (unit(rng) - 0.5f) * kHeight / 6.0f),
                            0.2f + 0.6f * unit(rng));
    const D3DTLVERTEX behind = vertex(kWidth / 2.0f, -3000.25f, -0.05f);
    const D3DTLVERTEX beyond = vertex(kWidth / 2.0f, kHeight + 3000.25f, 1.05f);
    for (int i = 0; i + 1 < kPoints; ++i) {
      ASSERT_EQ(d.Triangles({behind, rows[0][i], rows[0][i + 1]}), D3D_OK);
      ASSERT_EQ(d.Triangles({rows[0][i], rows[0][i + 1], rows[1][i + 1]}), D3D_OK);
      ASSERT_EQ(d.Triangles({rows[0][i], rows[1][i + 1], rows[1][i]}), D3D_OK);
      ASSERT_EQ(d.Triangles({rows[1][i], rows[1][i + 1], beyond}), D3D_OK);
    }
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        if (d.Pixel(x, y) == 1 << 11) continue;
        ++wrong;
        ADD_FAILURE() << "trial " << trial << " pixel " << x << "," << y << ": " << d.Pixel(x, y);
      }
  }
}

TEST(Clipping, NonFiniteVerticesAreSkipped) {
  TestDevice d(8, 8);
  const float inf = INFINITY, nan = NAN;
  ASSERT_EQ(d.Triangles({{0, 0, 0.5f, inf, Rgb(255, 0, 0), 0, 0, 0},
                         {8, 0, 0.5f, 1, Rgb(255, 0, 0), 0, 0, 0},
                         {0, 8, 0.5f, 1, Rgb(255, 0, 0), 0, 0, 0},
                         {nan, 0, 0.5f, 1, Rgb(255, 0, 0), 0, 0, 0},
                         {8, 0, 0.5f, 1, Rgb(255, 0, 0), 0, 0, 0},
                         {0, 8, 0.5f, 1, Rgb(255, 0, 0), 0, 0, 0},
                         {0, 0, 0.5f, 0, Rgb(255, 0, 0), 0, 0, 0},
                         {8, 0, 0.5f, 0, Rgb(255, 0, 0), 0, 0, 0},
                         {0, 8, 0.5f, 0, Rgb(255, 0, 0), 0, 0, 0}}),
            D3D_OK);
  EXPECT_EQ(CountLit(d), 0);
}

TEST(Primitives, StripsFansIndexedAndCulling) {
  TestDevice d(8, 8);
  const D3DCOLOR c = Rgb(255, 255, 255);
  D3DTLVERTEX v[4] = {{0, 0, 0.5f, 1, c, 0, 0, 0}, {8, 0, 0.5f, 1, c, 0, 0, 0},
                      {0, 8, 0.5f, 1, c, 0, 0, 0}, {8, 8, 0.5f, 1, c, 0, 0, 0}};
  ASSERT_EQ(d.device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DVT_TLVERTEX, v, 4, 0), D3D_OK);
  EXPECT_EQ(CountLit(d), 64);
  // A strip keeps one winding: culling clockwise triangles removes both halves.
  d.Clear();
  d.device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_CW);
  ASSERT_EQ(d.device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DVT_TLVERTEX, v, 4, 0), D3D_OK);
  EXPECT_EQ(CountLit(d), 0);
  d.device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_CCW);
  ASSERT_EQ(d.device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DVT_TLVERTEX, v, 4, 0), D3D_OK);
  EXPECT_EQ(CountLit(d), 64);
  d.device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
  // Indexed list: one triangle, then an index out of range refuses the call.
  d.Clear();
  WORD idx[3] = {0, 1, 2};
  ASSERT_EQ(d.device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DVT_TLVERTEX, v, 4, idx, 3, 0), D3D_OK);
  EXPECT_EQ(CountLit(d), 36);  // 8 + 7 + ... + 1 with the diagonal excluded
  WORD bad[3] = {0, 1, 4};
  EXPECT_EQ(d.device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DVT_TLVERTEX, v, 4, bad, 3, 0),
            DDERR_INVALIDPARAMS);
  EXPECT_EQ(d.device->DrawPrimitive(D3DPT_LINELIST, D3DVT_TLVERTEX, v, 4, 0), D3DERR_INVALIDPRIMITIVETYPE);
  EXPECT_EQ(d.device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DVT_LVERTEX, v, 3, 0), D3DERR_INVALIDVERTEXTYPE);
  // Outside a scene nothing is drawn.
  d.device->EndScene();
  EXPECT_EQ(d.device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DVT_TLVERTEX, v, 3, 0), D3DERR_SCENE_NOT_IN_SCENE);
  d.device->BeginScene();
}
