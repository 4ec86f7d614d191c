// Drawing with several threads gives the pixels of one thread: scenes of every
// kind of triangle drawn at 1, 2, 3 and 8 threads and compared exactly, and
// what the device's callers see between draws (locks, texture changes, clears)
// in the order they asked for it.
#include <random>

#include "dx_test_device.h"

namespace {

struct Frame {
  std::vector<std::uint16_t> colour, depth;
  bool operator==(const Frame&) const = default;
};

// 1-5-5-5 texels of a pattern with sharp and smooth parts, a level's own tint.
std::uint16_t PatternTexel(int level, int x, int y) {
  return static_cast<std::uint16_t>(0x8000 | ((x * 7 + level * 5) & 31) << 10 | ((y * 3) & 31) << 5 | ((x ^ y) & 31));
}

// Random triangles in every state the device specialises for, from tiny ones
// inside one band of rows to ones larger than the target crossing all of them,
// with perspective, mip levels, depth tests and additive overdraw; the
// viewport's top and bottom are not on a band boundary. The bands' height
// follows the target's, which the render scale multiplies.
Frame DrawMixedScene(int threads, unsigned seed, int scale = 1) {
  DxSetRasterThreads(threads);
  TestDevice d(173, 131, true, scale);
  d.SetViewport(3, 5, 167, 119);
  d.Clear();
  const D3DTEXTUREHANDLE texture = d.MakeTexture(32, 6, PatternTexel);
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> unit(0, 1);
  std::uniform_int_distribution<int> channel(0, 255);
  for (int i = 0; i < 300; ++i) {
    const int kind = i % 5;
    d.device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, i % 3 ? texture : 0);
    d.device->SetRenderState(D3DRENDERSTATE_DITHERENABLE, i % 4 < 2);
    d.device->SetRenderState(D3DRENDERSTATE_ZFUNC, i % 7 ? D3DCMP_LESS : D3DCMP_ALWAYS);
    d.device->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, i % 6 != 0);
    d.Additive(i % 2);
    // Tiny, small, band-sized, screen-sized and far beyond the screen.
    const float size = kind == 0 ? 1.5f : kind == 1 ? 6 : kind == 2 ? 20 : kind == 3 ? 150 : 900;
    const float cx = unit(rng) * 173, cy = unit(rng) * 131;
    std::vector<D3DTLVERTEX> tri;
    for (int k = 0; k < 3; ++k)
      tri.push_back({cx + (unit(rng) - 0.5f) * size, cy + (unit(rng) - 0.5f) * size, 0.05f + 0.9f * unit(rng),
                     0.2f + 0.8f * unit(rng), Rgb(channel(rng), channel(rng), channel(rng)), 0,
                     (unit(rng) - 0.5f) * size / 8, (unit(rng) - 0.5f) * size / 8});
    EXPECT_EQ(d.Triangles(tri), D3D_OK);
  }
  Frame frame{d.All(d.target), d.All(d.z)};
  DxSetRasterThreads(1);
  return frame;
}

TEST(RasterThreads, EveryThreadCountGivesTheSamePixels) {
  for (unsigned seed = 1; seed <= 3; ++seed) {
    const Frame one = DrawMixedScene(1, seed);
    for (const int threads : {2, 3, 8}) {
      const Frame many = DrawMixedScene(threads, seed);
      EXPECT_TRUE(many.colour == one.colour) << threads << " threads, seed " << seed;
      EXPECT_TRUE(many.depth == one.depth) << threads << " threads, seed " << seed;
    }
  }
}

// More triangles than the queue holds, overlapping, each replacing what is
// under it, so that the queue fills and is drawn part way through; the last
// triangle drawn over a pixel must be the one that shows.
TEST(RasterThreads, EveryThreadCountGivesTheSamePixelsAtEveryScale) {
  for (const int scale : {2, 3, 5, 8}) {
    const Frame one = DrawMixedScene(1, 7, scale);
    for (const int threads : {2, 3, 8}) {
      const Frame many = DrawMixedScene(threads, 7, scale);
      EXPECT_TRUE(many.colour == one.colour) << threads << " threads, scale " << scale;
      EXPECT_TRUE(many.depth == one.depth) << threads << " threads, scale " << scale;
    }
  }
}

TEST(RasterThreads, AFullQueueKeepsTheOrder) {
  auto draw = [](int threads) {
    DxSetRasterThreads(threads);
    TestDevice d(64, 64);
    d.device->SetRenderState(D3DRENDERSTATE_ZFUNC, D3DCMP_ALWAYS);
    for (int i = 0; i < 6000; ++i) {
      const float x = static_cast<float>(i % 61), y = static_cast<float>((i * 7) % 61);
      const D3DCOLOR colour = Rgb(i & 0xF8, (i >> 3) & 0xFC, (i >> 9) << 3);
      EXPECT_EQ(d.Triangles({{x, y, 0.5f, 1, colour, 0, 0, 0},
                             {x + 9, y + 2, 0.5f, 1, colour, 0, 0, 0},
                             {x + 1, y + 21, 0.5f, 1, colour, 0, 0, 0}}),
                D3D_OK);
    }
    std::vector<std::uint16_t> pixels = d.Pixels();
    DxSetRasterThreads(1);
    return pixels;
  };
  EXPECT_TRUE(draw(3) == draw(1));
}

// Between draws, a lock sees what was drawn before it, a texture changed
// between two draws is seen only by the second, and a clear lands between them.
TEST(RasterThreads, CallersSeeDrawsInTheirOrder) {
  auto draw = [](int threads) {
    DxSetRasterThreads(threads);
    TestDevice d(48, 40);
    IDirectDrawSurface* surface = nullptr;
    const D3DTEXTUREHANDLE texture = d.MakeTexture(8, 1, [](int, int, int) { return std::uint16_t{0xFFFF}; }, &surface);
    d.device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, texture);
    EXPECT_EQ(d.Quad(0, 0, 48, 20, 0.5f, Rgb(255, 255, 255)), D3D_OK);
    // The drawn rows, read through a lock of the target.
    DDSURFACEDESC locked{};
    locked.dwSize = sizeof locked;
    EXPECT_EQ(d.target->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    const std::uint16_t seen = static_cast<const std::uint16_t*>(locked.lpSurface)[5 * locked.lPitch / 2 + 30];
    EXPECT_EQ(d.target->Unlock(nullptr), DD_OK);
    // The texture turns black, then the lower half is drawn with it.
    EXPECT_EQ(surface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    for (DWORD y = 0; y < locked.dwHeight; ++y)
      for (DWORD x = 0; x < locked.dwWidth; ++x)
        static_cast<std::uint16_t*>(locked.lpSurface)[y * locked.lPitch / 2 + x] = 0x8000;
    EXPECT_EQ(surface->Unlock(nullptr), DD_OK);
    EXPECT_EQ(d.Quad(0, 20, 48, 40, 0.5f, Rgb(255, 255, 255)), D3D_OK);
    // A clear of the middle rows after both, then the texture goes away.
    D3DRECT middle{0, 16, 48, 24};
    EXPECT_EQ(d.viewport->Clear(1, &middle, D3DCLEAR_TARGET), D3D_OK);
    surface->Release();
    std::vector<std::uint16_t> pixels = d.Pixels();
    pixels.push_back(seen);
    DxSetRasterThreads(1);
    return pixels;
  };
  const std::vector<std::uint16_t> one = draw(1);
  EXPECT_EQ(one.back(), 0xFFFF);    // the lock saw the white upper half
  EXPECT_EQ(one[30 * 48 + 10], 0);  // the lower half is black
  EXPECT_EQ(one[18 * 48 + 10], 0);  // cleared
  EXPECT_EQ(one[2 * 48 + 10], 0xFFFF);
  EXPECT_TRUE(draw(2) == one);
  EXPECT_TRUE(draw(8) == one);
}

TEST(RasterThreads, CountsAreClampedAndTheDefaultIsOne) {
  EXPECT_EQ(DxRasterThreads(), 1);
  DxSetRasterThreads(0);
  EXPECT_EQ(DxRasterThreads(), 1);
  DxSetRasterThreads(1000);
  EXPECT_EQ(DxRasterThreads(), 64);
  DxSetRasterThreads(1);
  EXPECT_GE(DxAvailableCores(), 1);
}

}  // namespace
