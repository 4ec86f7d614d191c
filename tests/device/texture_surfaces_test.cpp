// Texture surfaces: the texel conversion, the upload of a mip chain through a
// padded pitch, the choice of format, the system-memory and video-memory
// binding paths, and textures that get no usable surfaces.
#include <cstdlib>
#include <vector>

#include "device/texture_surfaces.h"
#include "device_fixture.h"
#include "scene/scene.h"

namespace {

// A square mip-mapped texture whose texel at level l, (x, y) is (x, y, l * 40).
Texture* MakeTexture(int side, int levels) {
  auto* t = static_cast<Texture*>(std::calloc(1, sizeof(Texture)));
  size_t count = 0;
  for (int l = 0, s = side; l < levels; ++l, s /= 2) count += static_cast<size_t>(s) * s;
  t->pixels = static_cast<std::uint8_t*>(std::calloc(count, 4));
  std::uint8_t* p = t->pixels;
  for (int l = 0, s = side; l < levels; ++l, s /= 2)
    for (int y = 0; y < s; ++y)
      for (int x = 0; x < s; ++x, p += 4) {
        p[0] = static_cast<std::uint8_t>(x * 30);
        p[1] = static_cast<std::uint8_t>(y * 30);
        p[2] = static_cast<std::uint8_t>(l * 40 + 9);
        p[3] = 0xAB;  // plays no part
      }
  t->width = t->height = side;
  t->mipMapped = levels > 1;
  t->mipLevels = levels;
  return t;
}

void FreeTexture(Texture* t) {
  if (t->surfaces) ReleaseTextureSurfaces(t);
  std::free(t->pixels);
  std::free(t);
}

std::uint16_t Texel(IDirectDrawSurface* s, int x, int y) {
  DDSURFACEDESC d{};
  d.dwSize = sizeof d;
  EXPECT_EQ(s->Lock(nullptr, &d, 0, nullptr), DD_OK);
  const std::uint16_t v = reinterpret_cast<std::uint16_t*>(static_cast<std::uint8_t*>(d.lpSurface) + y * d.lPitch)[x];
  s->Unlock(nullptr);
  return v;
}

std::uint16_t Expected(int x, int y, int level) {
  const std::uint8_t texel[4] = {static_cast<std::uint8_t>(x * 30), static_cast<std::uint8_t>(y * 30),
                                 static_cast<std::uint8_t>(level * 40 + 9), 0};
  return ConvertTexel(texel);
}

}  // namespace

TEST(TexelConversion, WorkedValues) {
  const std::uint8_t grey8[4] = {8, 8, 8, 255}, red9[4] = {9, 0, 0, 0}, white[4] = {255, 255, 255, 0};
  const std::uint8_t almost[4] = {254, 0, 0, 0}, mixed[4] = {0, 9, 255, 0};
  EXPECT_EQ(ConvertTexel(grey8), 0x0000);  // transparent black
  EXPECT_EQ(ConvertTexel(red9), 0x8400);
  EXPECT_EQ(ConvertTexel(white), 0xFFFF);
  EXPECT_EQ(ConvertTexel(almost), 0x8000 | 30 << 10);  // 31 only for 255
  EXPECT_EQ(ConvertTexel(mixed), 0x8000 | 1 << 5 | 31);
  // Every value v gives floor(v * 31 / 255).
  for (int v = 0; v < 256; ++v) {
    const std::uint8_t t[4] = {static_cast<std::uint8_t>(v), 0, 0, 0};
    EXPECT_EQ((ConvertTexel(t) >> 10) & 31, v * 31 / 255) << v;
  }
}

TEST_F(DeviceTest, FormatSearchTakesTheLastMatch) {
  ASSERT_TRUE(SetupDisplay());
  const DDPIXELFORMAT f = FindTextureFormat(16);
  // The device lists an A1B5G5R5 format before A1R5G5B5: the last one wins.
  EXPECT_EQ(f.dwRGBAlphaBitMask, 0x8000u);
  EXPECT_EQ(f.dwRBitMask, 0x7C00u);
  EXPECT_EQ(f.dwBBitMask, 0x001Fu);
  const DDPIXELFORMAT none = FindTextureFormat(32);
  EXPECT_EQ(none.dwFlags, 0u);
}

TEST_F(DeviceTest, UploadsTheMipChainThroughThePitch) {
  ASSERT_TRUE(SetupDisplay());
  const int before = DxSurfaceCount(RenderDevice.directDraw);
  Texture* t = MakeTexture(8, 4);
  ASSERT_TRUE(EnsureTexture(t));
  ASSERT_NE(t->surfaces, nullptr);
  IDirectDrawSurface* level = t->surfaces->sourceSurface;
  // Rows of 8, 4, 2 and 1 texels, each padded to a 16-byte pitch.
  for (int l = 0, side = 8; l < 4; ++l, side /= 2) {
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(Desc(level).dwWidth, static_cast<DWORD>(side));
    EXPECT_EQ(Desc(level).lPitch, 16);  // wider than the row below the top level
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x) EXPECT_EQ(Texel(level, x, y), Expected(x, y, l)) << l << " " << x << "," << y;
    level = DxNextInChain(level);
  }
  EXPECT_EQ(level, nullptr);
  // The upload hands its references back: releasing frees every surface.
  FreeTexture(t);
  EXPECT_EQ(DxSurfaceCount(RenderDevice.directDraw), before);
}

TEST_F(DeviceTest, SystemMemoryTexturesShareOneSurfaceAndNeverLoad) {
  ASSERT_TRUE(SetupDisplay());
  ASSERT_TRUE(RenderDevice.texturesInSystemMemory);
  const int before = DxSurfaceCount(RenderDevice.directDraw);
  Texture* t = MakeTexture(4, 3);
  EnsureTexture(t);
  EXPECT_EQ(t->surfaces->sourceSurface, t->surfaces->deviceSurface);
  EXPECT_EQ(DxReferenceCount(t->surfaces->sourceSurface), 2u);
  EXPECT_EQ(DxSurfaceCount(RenderDevice.directDraw), before + 1);
  EXPECT_FALSE(t->surfaces->reload);

  ASSERT_TRUE(BindTexture(t));
  EXPECT_TRUE(t->surfaces->ready);
  EXPECT_NE(t->surfaces->handle, 0u);
  EXPECT_EQ(DxCallCount(DxMethod::Load), 0);
  DWORD state = 0;
  RenderDevice.device->GetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, &state);
  EXPECT_EQ(state, t->surfaces->handle);

  // A second bind only sets the render state.
  const int handles = DxCallCount(DxMethod::GetHandle), queries = DxCallCount(DxMethod::QueryInterface);
  const int states = DxCallCount(DxMethod::SetRenderState);
  RenderDevice.device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, 0);
  ASSERT_TRUE(BindTexture(t));
  EXPECT_EQ(DxCallCount(DxMethod::GetHandle), handles);
  EXPECT_EQ(DxCallCount(DxMethod::QueryInterface), queries);
  EXPECT_EQ(DxCallCount(DxMethod::SetRenderState), states + 2);
  RenderDevice.device->GetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, &state);
  EXPECT_EQ(state, t->surfaces->handle);

  FreeTexture(t);
  EXPECT_EQ(DxSurfaceCount(RenderDevice.directDraw), before);
}

TEST_F(DeviceTest, VideoMemoryTexturesLoadTheirCopyOnBind) {
  ASSERT_TRUE(SetupDisplay());
  RenderDevice.texturesInSystemMemory = false;
  Texture* t = MakeTexture(4, 3);
  EnsureTexture(t);
  TextureSurfaces* s = t->surfaces;
  ASSERT_NE(s->deviceSurface, s->sourceSurface);
  EXPECT_TRUE(Caps(s->deviceSurface) & DDSCAPS_VIDEOMEMORY);
  EXPECT_TRUE(Caps(s->deviceSurface) & DDSCAPS_ALLOCONLOAD);
  EXPECT_TRUE(Caps(s->sourceSurface) & DDSCAPS_SYSTEMMEMORY);
  ASSERT_TRUE(BindTexture(t));
  EXPECT_EQ(DxCallCount(DxMethod::Load), 1);
  // The whole chain was copied.
  EXPECT_EQ(Texel(DxNextInChain(DxNextInChain(s->deviceSurface)), 0, 0), Expected(0, 0, 2));
  BindTexture(t);
  EXPECT_EQ(DxCallCount(DxMethod::Load), 1);
  // A reload request fetches the handle and loads again.
  s->reload = 1;
  BindTexture(t);
  EXPECT_EQ(DxCallCount(DxMethod::Load), 2);
  // A failing Load fails the bind and leaves the texture state alone.
  RenderDevice.device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, 77);
  DxFailNext(DxMethod::Load, 1);
  EXPECT_FALSE(BindTexture(t));
  DWORD state = 0;
  RenderDevice.device->GetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, &state);
  EXPECT_EQ(state, 77u);
  FreeTexture(t);
}

TEST_F(DeviceTest, TexturesWithoutUsableSurfacesAreNotBound) {
  ASSERT_TRUE(SetupDisplay());
  // No matching format: the surfaces cannot be made; still "success", no bind.
  Texture* t = MakeTexture(4, 1);
  DxFailNext(DxMethod::EnumTextureFormats, 2);
  EXPECT_TRUE(EnsureTexture(t));
  ASSERT_NE(t->surfaces, nullptr);
  EXPECT_EQ(t->surfaces->sourceSurface, nullptr);
  EXPECT_FALSE(BindTexture(t));
  FreeTexture(t);
  // A failed CreateSurface likewise.
  t = MakeTexture(4, 1);
  DxFailNext(DxMethod::CreateSurface, 1);
  EXPECT_TRUE(EnsureTexture(t));
  EXPECT_FALSE(BindTexture(t));
  FreeTexture(t);
  // An entry the loader refused (no pixels) gets no surfaces at all.
  auto* refused = static_cast<Texture*>(std::calloc(1, sizeof(Texture)));
  EXPECT_TRUE(EnsureTexture(refused));
  EXPECT_EQ(refused->surfaces, nullptr);
  EXPECT_FALSE(BindTexture(refused));
  std::free(refused);
}

TEST_F(DeviceTest, DrawingWithABoundTextureShowsItsTexels) {
  ASSERT_TRUE(SetupDisplay());
  Texture* t = MakeTexture(2, 1);  // (0,0) is 0,0,9: red/green 0, blue 1
  EnsureTexture(t);
  ASSERT_TRUE(BindTexture(t));
  RenderDevice.device->SetRenderState(D3DRENDERSTATE_DITHERENABLE, FALSE);
  ASSERT_TRUE(BeginFrame());
  // Texel (1, 1) = (30, 30, 9) sampled at its centre over a small quad.
  D3DTLVERTEX v[4] = {{0, 0, 0.5f, 1, 0xFFFFFFFF, 0, 0.75f, 0.75f},
                      {4, 0, 0.5f, 1, 0xFFFFFFFF, 0, 0.75f, 0.75f},
                      {4, 4, 0.5f, 1, 0xFFFFFFFF, 0, 0.75f, 0.75f},
                      {0, 4, 0.5f, 1, 0xFFFFFFFF, 0, 0.75f, 0.75f}};
  ASSERT_EQ(RenderDevice.device->DrawPrimitive(D3DPT_TRIANGLEFAN, D3DVT_TLVERTEX, v, 4, 0), D3D_OK);
  EndFrame();
  // 30 -> 3 of 31 -> 24 of 255 -> 3 of 31 in red, 6 of 63 in green.
  const std::uint16_t p = reinterpret_cast<const std::uint16_t*>(DxSurfaceMemory(RenderDevice.backBuffer, nullptr))[0];
  EXPECT_EQ(p >> 11, 3);
  EXPECT_EQ((p >> 5) & 63, 6);
  EXPECT_EQ(p & 31, 1);
  FreeTexture(t);
}
