// The specialised span loops against the plain per-pixel reference path: the
// same coverage, depth within one step, and colours that differ only where the
// span loops interpolate (texture coordinates between perspective divisions).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <utility>

#include "dx_test_device.h"

namespace {

struct Frame {
  std::vector<std::uint16_t> colour, depth;
};

// Random triangles, some steep, some thin, some in perspective, in every state
// the device specialises for; drawn once by each path on fresh buffers.
Frame DrawRandomScene(bool reference, bool textured, bool additive, bool dither, unsigned seed) {
  TestDevice d(64, 48);
  D3DTEXTUREHANDLE texture = 0;
  if (textured) {
    // A smooth 32 x 32 texture with a full mip chain: every level samples the
    // same ramp up and down again (smooth where it wraps), so that a neighbouring
    // mip level gives nearly the same colour.
    texture = d.MakeTexture(32, 6, [](int level, int x, int y) {
      const int side = 32 >> level;
      auto ramp = [side](int t) {
        const double u = (t + 0.5) / side;
        return static_cast<int>(31 * (1 - std::fabs(2 * u - 1)) + 0.5);
      };
      return static_cast<std::uint16_t>(0x8000 | ramp(x) << 10 | ramp(y) << 5 | 16);
    });
  }
  d.device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, texture);
  d.device->SetRenderState(D3DRENDERSTATE_DITHERENABLE, dither);
  d.Additive(additive);
  DxUseReferenceRasterizer(reference);
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> px(-20, 84), py(-16, 64), depth(0.05f, 0.9f), q(0.6f, 1.0f), uv(-1, 2);
  std::uniform_int_distribution<int> channel(0, 255);
  for (int i = 0; i < 40; ++i) {
    std::vector<D3DTLVERTEX> tri;
    for (int k = 0; k < 3; ++k)
      tri.push_back({px(rng), py(rng), depth(rng), q(rng), Rgb(channel(rng), channel(rng), channel(rng)), 0, uv(rng),
                     uv(rng)});
    EXPECT_EQ(d.Triangles(tri), D3D_OK);
  }
  DxUseReferenceRasterizer(false);
  return Frame{d.Pixels(), d.Depths()};
}

void ExpectAgreement(bool textured, bool additive, bool dither) {
  for (unsigned seed = 1; seed <= 6; ++seed) {
    const Frame fast = DrawRandomScene(false, textured, additive, dither, seed);
    const Frame plain = DrawRandomScene(true, textured, additive, dither, seed);
    int depthOff = 0, colourOff = 0, covered = 0, worst = 0;
    for (size_t i = 0; i < fast.colour.size(); ++i) {
      covered += plain.depth[i] != 0xFFFF;
      if (std::abs(fast.depth[i] - plain.depth[i]) > 1) ++depthOff;
      const std::uint16_t a = fast.colour[i], b = plain.colour[i];
      const int off = std::max({std::abs(Red5(a) - Red5(b)), (std::abs(Green6(a) - Green6(b)) + 1) / 2,
                                std::abs(Blue5(a) - Blue5(b))});
      worst = std::max(worst, off);
      if (off > (textured ? 2 : 1)) {
        ++colourOff;
        if (getenv("KAVRET_DIFF"))
          std::printf("%zu,%zu: %d %d %d vs %d %d %d\n", i % 64, i / 64, Red5(a), Green6(a), Blue5(a), Red5(b),
                      Green6(b), Blue5(b));
      }
    }
    EXPECT_GT(covered, 500) << "seed " << seed;
    // Where two triangles meet at nearly the same depth, one step of depth
    // rounding may decide differently; allow a handful of such pixels.
    EXPECT_LE(depthOff, 4) << "seed " << seed;
    if (!textured) {
      EXPECT_LE(colourOff, 4) << "seed " << seed;
    } else {
      // Texture coordinates are linear between perspective divisions in the
      // span loops, within 1/16 texel of the divided ones, and each segment
      // keeps to one mip level: on a smooth texture that moves a pixel by at
      // most two steps (as measured: never more than two, most by none).
      EXPECT_EQ(colourOff, 0) << "seed " << seed;
      EXPECT_LE(worst, 2) << "seed " << seed;
    }
  }
}

}  // namespace

TEST(ReferencePath, GouraudOpaqueAgrees) { ExpectAgreement(false, false, false); }
TEST(ReferencePath, GouraudDitheredAdditiveAgrees) { ExpectAgreement(false, true, true); }
TEST(ReferencePath, TexturedOpaqueDitheredAgrees) { ExpectAgreement(true, false, true); }
TEST(ReferencePath, TexturedAdditiveAgrees) { ExpectAgreement(true, true, false); }

TEST(ReferencePath, IdenticalOnAScreenAlignedTexturedQuad) {
  // Without perspective the span loops interpolate exactly: every pixel equal.
  std::vector<std::uint16_t> result[2];
  for (int reference = 0; reference < 2; ++reference) {
    TestDevice d(32, 32);
    d.device->SetRenderState(D3DRENDERSTATE_DITHERENABLE, TRUE);
    const D3DTEXTUREHANDLE h = d.MakeTexture(8, 1, [](int, int x, int y) {
      return static_cast<std::uint16_t>(0x8000 | (x * 4) << 10 | (y * 4) << 5 | ((x ^ y) * 4));
    });
    d.device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, h);
    DxUseReferenceRasterizer(reference != 0);
    D3DTLVERTEX v[4] = {{1.3f, 2.1f, 0.5f, 1, Rgb(255, 200, 100), 0, 0, 0},
                        {30.2f, 2.1f, 0.5f, 1, Rgb(255, 255, 255), 0, 2, 0},
                        {30.2f, 29.7f, 0.5f, 1, Rgb(100, 200, 255), 0, 2, 2},
                        {1.3f, 29.7f, 0.5f, 1, Rgb(50, 50, 50), 0, 0, 2}};
    EXPECT_EQ(d.device->DrawPrimitive(D3DPT_TRIANGLEFAN, D3DVT_TLVERTEX, v, 4, 0), D3D_OK);
    DxUseReferenceRasterizer(false);
    result[reference] = d.Pixels();
  }
  int differing = 0;
  for (size_t i = 0; i < result[0].size(); ++i) differing += result[0][i] != result[1][i];
  EXPECT_LE(differing, 8);  // fixed-point rounding of the colour steps only
}

TEST(ReferencePath, RunsOfEveryLengthAndStartCoverExactlyTheirPixels) {
  // One-pixel-high strips, 1 to 40 pixels long, starting on every column
  // parity: the span loops draw pixels in pairs and runs of 16, so odd lengths,
  // odd starts and run ends are where a pair could spill over its span.
  constexpr int kW = 48, kH = 40;
  auto draw = [](bool reference, bool additive) {
    TestDevice d(kW, kH);
    d.device->SetRenderState(D3DRENDERSTATE_DITHERENABLE, TRUE);
    const D3DTEXTUREHANDLE h = d.MakeTexture(8, 1, [](int, int x, int y) {
      return static_cast<std::uint16_t>(0x8000 | (x * 3 + 4) << 10 | (y * 3 + 4) << 5 | 20);
    });
    d.device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, h);
    d.device->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, !additive);
    d.Additive(additive);
    DxUseReferenceRasterizer(reference);
    for (int y = 0; y < kH; ++y) {
      const float x0 = static_cast<float>(y % 4) - 0.5f, x1 = x0 + static_cast<float>(1 + y);
      const float top = static_cast<float>(y) - 0.5f, bottom = top + 1;
      const D3DTLVERTEX v[4] = {{x0, top, 0.5f, 1, Rgb(200, 180, 160), 0, 0, 0},
                                {x1, top, 0.5f, 1, Rgb(200, 180, 160), 0, 3, 0},
                                {x1, bottom, 0.5f, 1, Rgb(200, 180, 160), 0, 3, 1},
                                {x0, bottom, 0.5f, 1, Rgb(200, 180, 160), 0, 0, 1}};
      EXPECT_EQ(d.device->DrawPrimitive(D3DPT_TRIANGLEFAN, D3DVT_TLVERTEX, const_cast<D3DTLVERTEX*>(v), 4, 0), D3D_OK);
    }
    DxUseReferenceRasterizer(false);
    return Frame{d.Pixels(), d.Depths()};
  };
  for (const bool additive : {false, true}) {
    const Frame fast = draw(false, additive), plain = draw(true, additive);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        const size_t i = static_cast<size_t>(y * kW + x);
        const bool inside = x >= y % 4 && x < y % 4 + 1 + y;
        EXPECT_EQ(fast.colour[i] != 0, inside) << x << "," << y << (additive ? " additive" : "");
        EXPECT_EQ(plain.colour[i] != 0, inside) << x << "," << y << (additive ? " additive" : "");
        EXPECT_EQ(fast.depth[i], plain.depth[i]) << x << "," << y;
        // Flat colour without perspective: only the texture steps can round apart.
        EXPECT_LE(std::abs(Red5(fast.colour[i]) - Red5(plain.colour[i])), 1) << x << "," << y;
        EXPECT_LE(std::abs(Green6(fast.colour[i]) - Green6(plain.colour[i])), 1) << x << "," << y;
        EXPECT_LE(std::abs(Blue5(fast.colour[i]) - Blue5(plain.colour[i])), 1) << x << "," << y;
      }
  }
}

TEST(WideSpanLoops, MatchThePairLoopsPixelForPixel) {
  // Four pixels at a time where the processor allows it must give exactly
  // what two at a time give: random overlapping triangles in every state, in
  // perspective and not, with runs of every length.
#if defined(__x86_64__)
  if (!__builtin_cpu_supports("avx2")) GTEST_SKIP() << "no AVX2 here: only the pair loops run";
#else
  GTEST_SKIP() << "only the pair loops are built here";
#endif
  for (const bool textured : {false, true})
    for (const bool additive : {false, true})
      for (const bool dither : {false, true})
        for (unsigned seed = 1; seed <= 3; ++seed) {
          DxUseWideSpanLoops(false);
          const Frame pairs = DrawRandomScene(false, textured, additive, dither, seed);
          DxUseWideSpanLoops(true);
          const Frame quads = DrawRandomScene(false, textured, additive, dither, seed);
          EXPECT_EQ(pairs.colour, quads.colour) << textured << additive << dither << " seed " << seed;
          EXPECT_EQ(pairs.depth, quads.depth) << textured << additive << dither << " seed " << seed;
        }
}

TEST(ReferencePath, SteepPerspectiveCutsSegmentsToAnyLength) {
  // A strip seen nearly edge-on with a finely repeated texture and a steep
  // colour ramp: linear texture steps miss by more than 1/16 texel after a
  // few pixels, so segments of every length down to one pixel follow each
  // other along a row, and colour and depth must carry on exactly across them.
  constexpr int kW = 96, kH = 12;
  auto draw = [](bool reference, bool wide) {
    TestDevice d(kW, kH);
    const D3DTEXTUREHANDLE h = d.MakeTexture(16, 1, [](int, int x, int y) {
      return static_cast<std::uint16_t>(0x8000 | (x * 2) << 10 | (y * 2) << 5 | ((x + y) & 31));
    });
    d.device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, h);
    DxUseReferenceRasterizer(reference);
    DxUseWideSpanLoops(wide);
    const D3DTLVERTEX v[4] = {{-0.25f, -0.5f, 0.1f, 1.0f, Rgb(0, 255, 40), 0, 0, 0},
                              {95.5f, -0.5f, 0.95f, 0.004f, Rgb(255, 0, 220), 0, 0.02f, 0},
                              {95.5f, 11.5f, 0.95f, 0.004f, Rgb(255, 0, 220), 0, 0.02f, 3},
                              {-0.25f, 11.5f, 0.1f, 1.0f, Rgb(0, 255, 40), 0, 0, 3}};
    EXPECT_EQ(d.device->DrawPrimitive(D3DPT_TRIANGLEFAN, D3DVT_TLVERTEX, const_cast<D3DTLVERTEX*>(v), 4, 0), D3D_OK);
    DxUseReferenceRasterizer(false);
    DxUseWideSpanLoops(true);
    return Frame{d.Pixels(), d.Depths()};
  };
  const Frame plain = draw(true, false), pairs = draw(false, false), quads = draw(false, true);
  EXPECT_EQ(std::count(plain.depth.begin(), plain.depth.end(), 0xFFFF), 0);
  EXPECT_EQ(pairs.colour, quads.colour);
  EXPECT_EQ(pairs.depth, quads.depth);
  for (std::size_t i = 0; i < plain.colour.size(); ++i) {
    const std::uint16_t a = pairs.colour[i], b = plain.colour[i];
    EXPECT_LE(std::abs(pairs.depth[i] - plain.depth[i]), 1) << i % kW << "," << i / kW;
    EXPECT_LE(std::max({std::abs(Red5(a) - Red5(b)), (std::abs(Green6(a) - Green6(b)) + 1) / 2,
                        std::abs(Blue5(a) - Blue5(b))}),
              1)
        << i % kW << "," << i / kW;
  }
}

TEST(ReferencePath, BrightTexelsUnderDitherClampAtTheTop) {
  // A white texture under nearly white light: MODULATE leaves channels at or
  // just under 255, and the dither thresholds push them past it, where every
  // path must clamp (not wrap) before packing. Flat colour on a screen-aligned
  // quad, so that nothing is interpolated and all three paths agree exactly,
  // opaque and additive (over a half-bright target).
  constexpr int kW = 40, kH = 12;
  auto draw = [](bool reference, bool wide, bool additive) {
    TestDevice d(kW, kH);
    d.device->SetRenderState(D3DRENDERSTATE_DITHERENABLE, TRUE);
    const D3DTEXTUREHANDLE h = d.MakeTexture(8, 1, [](int, int x, int) {
      return static_cast<std::uint16_t>(x < 4 ? 0xFFFF : 0xFBDE);  // white, and 30 of 31 in every channel
    });
    d.device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, h);
    DxUseWideSpanLoops(wide);
    for (int band = 0; band < 3; ++band) {
      const float top = static_cast<float>(band * 4) - 0.5f, bottom = top + 4;
      const D3DCOLOR light = Rgb(255 - band, 255 - 2 * band, 250 + band);
      if (additive) {
        // First the half-bright target, then the bright quad added to it.
        d.Additive(false);
        DxUseReferenceRasterizer(false);
        std::vector<D3DTLVERTEX> under;
        for (const auto& [x, y] : {std::pair{-0.5f, top}, {kW - 0.5f, top}, {kW - 0.5f, bottom}, {-0.5f, top},
                                   {kW - 0.5f, bottom}, {-0.5f, bottom}})
          under.push_back({x, y, 0.6f, 1, Rgb(128, 128, 128), 0, 0, 0});
        d.device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, 0);
        EXPECT_EQ(d.Triangles(under), D3D_OK);
        d.device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, h);
        d.Additive(true);
      }
      DxUseReferenceRasterizer(reference);
      const D3DTLVERTEX v[4] = {{-0.5f, top, 0.5f, 1, light, 0, 0, 0},
                                {kW - 0.5f, top, 0.5f, 1, light, 0, kW / 8.0f, 0},
                                {kW - 0.5f, bottom, 0.5f, 1, light, 0, kW / 8.0f, 0.5f},
                                {-0.5f, bottom, 0.5f, 1, light, 0, 0, 0.5f}};
      EXPECT_EQ(d.device->DrawPrimitive(D3DPT_TRIANGLEFAN, D3DVT_TLVERTEX, const_cast<D3DTLVERTEX*>(v), 4, 0),
                D3D_OK);
    }
    DxUseReferenceRasterizer(false);
    DxUseWideSpanLoops(true);
    return d.Pixels();
  };
  for (const bool additive : {false, true}) {
    const std::vector<std::uint16_t> plain = draw(true, false, additive);
    EXPECT_EQ(draw(false, false, additive), plain) << (additive ? "additive" : "opaque");
    EXPECT_EQ(draw(false, true, additive), plain) << (additive ? "additive" : "opaque");
    // The clamp is reached: white pixels are there.
    EXPECT_GT(std::count(plain.begin(), plain.end(), 0xFFFF), kW) << (additive ? "additive" : "opaque");
  }
}
