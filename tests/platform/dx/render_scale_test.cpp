// The device at a render scale: callers keep their own units (surface
// descriptions, viewports, clears, blits, vertex positions) while the screen
// surfaces hold N x N pixels for each of theirs; shapes land where they did,
// to a fraction of a pixel, and mip levels and the dither follow the real pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "platform/dx/d3d.h"
#include "platform/dx/ddraw.h"
#include "platform/dx/dx_platform.h"
#include "support/headless_device.h"

namespace {

constexpr D3DCOLOR kWhite = 0xFFFFFFFF;

// A headless device of width x height screen pixels at a render scale,
// without a z-buffer, dithering off, in a scene.
struct ScaledDevice {
  HeadlessDevice d;
  int scale;
  ScaledDevice(int width, int height, int s) : scale(s) {
    EXPECT_TRUE(OpenHeadlessDevice(d, width, height, false, s));
    d.device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    d.device->SetRenderState(D3DRENDERSTATE_DITHERENABLE, FALSE);
    D3DRECT all{0, 0, width, height};
    EXPECT_EQ(d.viewport->Clear(1, &all, D3DCLEAR_TARGET), D3D_OK);
    EXPECT_EQ(d.device->BeginScene(), D3D_OK);
  }
  ~ScaledDevice() {
    d.device->EndScene();
    CloseHeadlessDevice(d);
  }
  // A pixel of the target, in its own (scaled) coordinates.
  std::uint16_t At(int x, int y) const {
    LONG pitch = 0;
    const std::uint8_t* memory = DxSurfaceMemory(d.target, &pitch);
    return reinterpret_cast<const std::uint16_t*>(memory + y * pitch)[x];
  }
  HRESULT Fan(std::vector<D3DTLVERTEX> v) {
    return d.device->DrawPrimitive(D3DPT_TRIANGLEFAN, D3DVT_TLVERTEX, v.data(), static_cast<DWORD>(v.size()), 0);
  }
  // Target pixels that are not black inside [x0, x1) x [y0, y1) of the target.
  int Lit(int x0, int y0, int x1, int y1) const {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += At(x, y) != 0;
    return n;
  }
};

D3DTLVERTEX At(double x, double y, D3DCOLOR colour = kWhite, float u = 0, float v = 0) {
  return D3DTLVERTEX{static_cast<float>(x), static_cast<float>(y), 0.5f, 1.0f, colour, 0, u, v};
}

struct Point {
  double x, y;
};

}  // namespace

TEST(RenderScale, ShapesCoverTheTargetPixelsWhoseCentresTheyContain) {
  // Target pixel (x, y) at scale S is centred on screen position
  // ((x - (S - 1) / 2) / S, (y - (S - 1) / 2) / S): inside a triangle it is
  // drawn, outside not, except within the vertex snapping (1/16 target pixel)
  // of an edge. Half a target pixel of shift, a slip between pixel-centre
  // conventions, moves everything by 1/6 screen pixel at scale 3 and fails
  // hundreds of pixels along every edge. Corners sit off the pixel centres;
  // the last triangle reaches far off the screen and is clipped.
  const std::vector<std::array<Point, 3>> triangles = {
      {{{20.3, 10.7}, {110.6, 30.2}, {50.1, 90.9}}},
      {{{100.25, 80.5}, {12.75, 70.125}, {60.4, 15.6}}},
      {{{5.5, 5.5}, {120.5, 5.5}, {5.5, 91.5}}},
      {{{-3000.3, 20.2}, {100.7, 50.5}, {60.1, 5000.9}}},
  };
  for (const int scale : {1, 2, 3, 4}) {
    for (const auto& t : triangles) {
      ScaledDevice device(128, 96, scale);
      ASSERT_EQ(device.Fan({At(t[0].x, t[0].y), At(t[1].x, t[1].y), At(t[2].x, t[2].y)}), D3D_OK);
      // Signed distances to the edges, positive inside whatever the winding.
      const double turn = (t[1].x - t[0].x) * (t[2].y - t[0].y) - (t[1].y - t[0].y) * (t[2].x - t[0].x);
      auto inside = [&](double px, double py) {
        double least = 1e30;
        for (int i = 0; i < 3; ++i) {
          const Point& a = t[i];
          const Point& b = t[(i + 1) % 3];
          const double length = std::hypot(b.x - a.x, b.y - a.y);
          const double d = ((b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x)) / length;
          least = std::min(least, turn > 0 ? d : -d);
        }
        return least;
      };
      const double margin = 1.0 / (8.0 * scale);
      int wrong = 0, lit = 0;
      for (int y = 0; y < 96 * scale; ++y)
        for (int x = 0; x < 128 * scale; ++x) {
          const double d = inside((x - (scale - 1) / 2.0) / scale, (y - (scale - 1) / 2.0) / scale);
          const bool drawn = device.At(x, y) != 0;
          lit += drawn;
          if ((d > margin && !drawn) || (d < -margin && drawn)) ++wrong;
        }
      EXPECT_EQ(wrong, 0) << "scale " << scale << ", triangle from " << t[0].x << ", " << t[0].y;
      EXPECT_GT(lit, 1000 * scale * scale);
    }
  }
}

namespace {

DDSURFACEDESC Desc() {
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof desc;
  return desc;
}

DDBLTFX Fill(DWORD colour) {
  DDBLTFX fx{};
  fx.dwSize = sizeof fx;
  fx.dwFillColor = colour;
  return fx;
}

struct PresentedSize {
  int width = 0, height = 0;
};
void RememberSize(const DxFrame& frame, void* user) {
  *static_cast<PresentedSize*>(user) = PresentedSize{frame.width, frame.height};
}

}  // namespace

TEST(RenderScale, ScreenSurfacesKeepTheirCallersUnits) {
  ScaledDevice device(64, 48, 3);
  HeadlessDevice& d = device.d;
  // Descriptions are the callers' size; a lock describes the memory it hands out.
  DDSURFACEDESC desc = Desc();
  ASSERT_EQ(d.target->GetSurfaceDesc(&desc), DD_OK);
  EXPECT_EQ(desc.dwWidth, 64u);
  EXPECT_EQ(desc.dwHeight, 48u);
  desc = Desc();
  ASSERT_EQ(d.target->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(desc.dwWidth, 192u);
  EXPECT_EQ(desc.dwHeight, 144u);
  EXPECT_GE(desc.lPitch, 384);
  auto* base = static_cast<std::uint8_t*>(desc.lpSurface);
  const LONG pitch = desc.lPitch;
  ASSERT_EQ(d.target->Unlock(nullptr), DD_OK);
  RECT part{10, 10, 20, 20};
  desc = Desc();
  ASSERT_EQ(d.target->Lock(&part, &desc, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(static_cast<std::uint8_t*>(desc.lpSurface), base + 30 * pitch + 60);
  ASSERT_EQ(d.target->Unlock(nullptr), DD_OK);
  RECT outside{60, 40, 65, 48};
  EXPECT_EQ(d.target->Lock(&outside, &desc, DDLOCK_WAIT, nullptr), DDERR_INVALIDRECT);

  // Viewports are checked against the callers' size.
  D3DVIEWPORT2 vp{};
  vp.dwSize = sizeof vp;
  vp.dwWidth = 65;
  vp.dwHeight = 48;
  EXPECT_EQ(d.viewport->SetViewport2(&vp), DDERR_INVALIDPARAMS);

  // A colour fill and a clear cover exactly their rectangle times the scale.
  DDBLTFX white = Fill(0xFFFF);
  ASSERT_EQ(d.target->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &white), DD_OK);
  EXPECT_EQ(device.Lit(0, 0, 192, 144), 192 * 144);
  D3DRECT clear{10, 5, 20, 15};
  ASSERT_EQ(d.viewport->Clear(1, &clear, D3DCLEAR_TARGET), D3D_OK);
  EXPECT_EQ(device.Lit(0, 0, 192, 144), 192 * 144 - 30 * 30);
  EXPECT_EQ(device.Lit(30, 15, 60, 45), 0);
  DDBLTFX black = Fill(0);
  ASSERT_EQ(d.target->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &black), DD_OK);
  RECT fill{1, 2, 3, 4};
  ASSERT_EQ(d.target->Blt(&fill, nullptr, nullptr, DDBLT_COLORFILL, &white), DD_OK);
  EXPECT_EQ(device.Lit(0, 0, 192, 144), 36);
  EXPECT_EQ(device.Lit(3, 6, 9, 12), 36);

  // Drawing is clipped to the viewport times the scale.
  ASSERT_EQ(d.target->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &black), DD_OK);
  vp.dwX = vp.dwY = 8;
  vp.dwWidth = vp.dwHeight = 16;
  ASSERT_EQ(d.viewport->SetViewport2(&vp), D3D_OK);
  ASSERT_EQ(device.Fan({At(-10, -10), At(100, -10), At(100, 100), At(-10, 100)}), D3D_OK);
  EXPECT_EQ(device.Lit(0, 0, 192, 144), 48 * 48);
  EXPECT_EQ(device.Lit(24, 24, 72, 72), 48 * 48);

  // An off-screen picture keeps its size and is stretched onto the screen;
  // a texture keeps its size too.
  DDSURFACEDESC plain = Desc();
  plain.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  plain.dwWidth = plain.dwHeight = 4;
  plain.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
  IDirectDrawSurface* picture = nullptr;
  ASSERT_EQ(d.directDraw2->CreateSurface(&plain, &picture, nullptr), DD_OK);
  desc = Desc();
  ASSERT_EQ(picture->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(desc.dwWidth, 4u);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      reinterpret_cast<std::uint16_t*>(static_cast<std::uint8_t*>(desc.lpSurface) + y * desc.lPitch)[x] =
          static_cast<std::uint16_t>(1 + y * 4 + x);
  ASSERT_EQ(picture->Unlock(nullptr), DD_OK);
  RECT corner{0, 0, 4, 4};
  ASSERT_EQ(d.target->Blt(&corner, picture, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) ASSERT_EQ(device.At(x, y), 1 + (y / 3) * 4 + x / 3) << x << ", " << y;
  EXPECT_EQ(device.At(12, 0), 0);
  picture->Release();

  DDSURFACEDESC texture = Desc();
  texture.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  texture.dwWidth = texture.dwHeight = 8;
  texture.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY;
  IDirectDrawSurface* surface = nullptr;
  ASSERT_EQ(d.directDraw2->CreateSurface(&texture, &surface, nullptr), DD_OK);
  desc = Desc();
  ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(desc.dwWidth, 8u);
  EXPECT_EQ(desc.dwHeight, 8u);
  surface->Unlock(nullptr);
  surface->Release();

  // What is presented is the picture at its real size.
  IDirectDrawSurface* primary = nullptr;
  DDSURFACEDESC screen = Desc();
  screen.dwFlags = DDSD_CAPS;
  screen.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  ASSERT_EQ(d.directDraw2->CreateSurface(&screen, &primary, nullptr), DD_OK);
  PresentedSize shown;
  DxSetFrameSink(RememberSize, &shown);
  ASSERT_EQ(primary->Blt(nullptr, d.target, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  DxSetFrameSink(nullptr, nullptr);
  EXPECT_EQ(shown.width, 192);
  EXPECT_EQ(shown.height, 144);
  EXPECT_EQ(DxRenderScaleOf(d.directDraw), 3);
  primary->Release();
}

TEST(RenderScale, MipLevelsAndDitherFollowTheRealPixels) {
  // A 64-texel texture whose first level is red and second green, across 32
  // screen pixels: shrunk by two at scale 1 (the green level), one to one at
  // scale 2 (the red level).
  for (const int scale : {1, 2}) {
    ScaledDevice device(64, 48, scale);
    DDSURFACEDESC desc = Desc();
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | DDSD_MIPMAPCOUNT;
    desc.dwWidth = desc.dwHeight = 64;
    desc.dwMipMapCount = 2;
    desc.ddpfPixelFormat = DDPIXELFORMAT{sizeof(DDPIXELFORMAT), DDPF_RGB, 0, {16}, 0x7C00, 0x03E0, 0x001F, 0};
    desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_MIPMAP | DDSCAPS_COMPLEX | DDSCAPS_SYSTEMMEMORY;
    IDirectDrawSurface* surface = nullptr;
    ASSERT_EQ(device.d.directDraw2->CreateSurface(&desc, &surface, nullptr), DD_OK);
    IDirectDrawSurface* level = surface;
    for (const std::uint16_t colour : {std::uint16_t{0x7C00}, std::uint16_t{0x03E0}}) {
      DDSURFACEDESC locked = Desc();
      ASSERT_EQ(level->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
      for (DWORD y = 0; y < locked.dwHeight; ++y)
        for (DWORD x = 0; x < locked.dwWidth; ++x)
          reinterpret_cast<std::uint16_t*>(static_cast<std::uint8_t*>(locked.lpSurface) + y * locked.lPitch)[x] = colour;
      level->Unlock(nullptr);
      level = DxNextInChain(level);
    }
    IDirect3DTexture2* texture = nullptr;
    ASSERT_EQ(surface->QueryInterface(IID_IDirect3DTexture2, reinterpret_cast<void**>(&texture)), DD_OK);
    D3DTEXTUREHANDLE handle = 0;
    ASSERT_EQ(texture->GetHandle(device.d.device, &handle), D3D_OK);
    texture->Release();
    device.d.device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, handle);
    ASSERT_EQ(device.Fan({At(8, 8, kWhite, 0, 0), At(40, 8, kWhite, 1, 0), At(40, 40, kWhite, 1, 1),
                          At(8, 40, kWhite, 0, 1)}),
              D3D_OK);
    const std::uint16_t middle = device.At(24 * scale, 24 * scale);
    if (scale == 1) EXPECT_EQ(middle, 0x07E0) << "the green level";
    else EXPECT_EQ(middle, 0xF800) << "the red level";
    surface->Release();
  }

  // The 4x4 ordered dither repeats every four target pixels, not every four
  // screen pixels: a grey between two 5-6-5 steps varies inside the 2 x 2
  // block of one screen pixel.
  ScaledDevice device(64, 48, 2);
  device.d.device->SetRenderState(D3DRENDERSTATE_DITHERENABLE, TRUE);
  const D3DCOLOR grey = 0xFF000000u | 100u << 16 | 100u << 8 | 100u;
  ASSERT_EQ(device.Fan({At(-1, -1, grey), At(70, -1, grey), At(70, 50, grey), At(-1, 50, grey)}), D3D_OK);
  for (int y = 0; y < 96; ++y)
    for (int x = 0; x < 128; ++x) ASSERT_EQ(device.At(x, y), device.At(x % 4, y % 4)) << x << ", " << y;
  EXPECT_TRUE(device.At(0, 0) != device.At(1, 0) || device.At(0, 0) != device.At(0, 1) ||
              device.At(0, 0) != device.At(1, 1));
}
