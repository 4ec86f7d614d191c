// The fill work of bench_fill drawn by a peer: Mesa's software rasteriser,
// llvmpipe, through OSMesa. The same 640 x 480 RGB565 colour buffer with a
// 16-bit depth buffer, the same four perspective floor quads (or grid of
// small quads) with the same 256 x 256 1-5-5-5 texture and mip chain,
// bilinear filtering within the nearest mip level, MODULATE by the vertex
// colour, dithering on, depth test LESS. llvmpipe draws with LP_NUM_THREADS
// threads; unset, this file makes it one, the fair peer of one device thread.
#include "llvmpipe_fill.h"

#include <GL/osmesa.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kWidth = 640, kHeight = 480;
constexpr int kLayers = 4;

struct Peer {
  OSMesaContext context = nullptr;
  std::vector<std::uint16_t> colour;
  GLuint texture = 0;
  bool ready = false;
};

Peer peer;

// The bench's texture, level by level: 1-5-5-5 with the alpha bit set.
void UploadTexture() {
  glGenTextures(1, &peer.texture);
  glBindTexture(GL_TEXTURE_2D, peer.texture);
  std::vector<std::uint16_t> level;
  for (int l = 0, side = 256; side >= 1; ++l, side /= 2) {
    level.resize(static_cast<std::size_t>(side) * side);
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x)
        level[static_cast<std::size_t>(y) * side + x] =
            static_cast<std::uint16_t>(0x8000 | ((x * 7) & 31) << 10 | ((x ^ y) & 31) << 5 | ((y * 3) & 31));
    glTexImage2D(GL_TEXTURE_2D, l, GL_RGB5_A1, side, side, 0, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV,
                 level.data());
  }
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

// A transformed vertex as the device takes it: screen x, y, depth z and
// 1/w. Given to GL as clip coordinates (x w, y w, z w, w) under a projection
// that maps the screen onto the viewport, so llvmpipe divides and corrects
// perspective as the device does.
void Vertex(float x, float y, float z, float rhw, float u, float v) {
  const float w = 1.0f / rhw;
  glTexCoord2f(u, v);
  glVertex4f(x * w, y * w, z * w, w);
}

struct Corner {
  float x, y, rhw, u, v;
};

// A quad as the device's triangle fan: (0, 1, 2) and (0, 2, 3), so both
// split it along the same diagonal.
void Quad(const Corner (&c)[4], float z) {
  for (int i : {0, 1, 2, 0, 2, 3}) Vertex(c[i].x, c[i].y, z, c[i].rhw, c[i].u, c[i].v);
}

}  // namespace

bool LlvmpipeStart() {
  if (peer.ready) return true;
  setenv("LP_NUM_THREADS", "1", 0);
  setenv("GALLIUM_DRIVER", "llvmpipe", 0);
  peer.context = OSMesaCreateContextExt(OSMESA_RGB_565, 16, 0, 0, nullptr);
  if (!peer.context) return false;
  peer.colour.assign(static_cast<std::size_t>(kWidth) * kHeight, 0);
  if (!OSMesaMakeCurrent(peer.context, peer.colour.data(), GL_UNSIGNED_SHORT_5_6_5, kWidth, kHeight)) return false;
  glViewport(0, 0, kWidth, kHeight);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  // Screen x right, y down; depth 0 near, 1 far.
  glOrtho(0, kWidth, kHeight, 0, 0, -1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glDisable(GL_CULL_FACE);
  glEnable(GL_DITHER);
  glShadeModel(GL_SMOOTH);
  UploadTexture();
  peer.ready = true;
  return true;
}

const char* LlvmpipeRenderer() {
  return reinterpret_cast<const char*>(glGetString(GL_RENDERER));
}

int LlvmpipeThreads() {
  const char* threads = std::getenv("LP_NUM_THREADS");
  return threads ? std::atoi(threads) : 0;
}

void LlvmpipeFrame(bool textured, bool additive, bool small) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  if (textured) glEnable(GL_TEXTURE_2D);
  else glDisable(GL_TEXTURE_2D);
  if (additive) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glDepthMask(GL_FALSE);
  } else {
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
  }
  glColor4ub(0xC0, 0xC0, 0xC0, 0xFF);
  glBegin(GL_TRIANGLES);
  // Back to front, so every layer passes the depth test.
  for (int i = 0; i < kLayers; ++i) {
    const float z = 0.9f - 0.2f * static_cast<float>(i);
    if (!small) {
      Quad({{0, 0, 0.25f, 0, 0}, {kWidth, 0, 0.25f, 4, 0}, {kWidth, kHeight, 1.0f, 4, 4}, {0, kHeight, 1.0f, 0, 4}},
           z);
      continue;
    }
    constexpr int kSide = 20;
    for (int y = 0; y < kHeight; y += kSide)
      for (int x = 0; x < kWidth; x += kSide) {
        const float x0 = static_cast<float>(x), y0 = static_cast<float>(y);
        const float x1 = x0 + kSide, y1 = y0 + kSide;
        Quad({{x0, y0, 0.5f, 0, 0}, {x1, y0, 0.5f, 0.5f, 0}, {x1, y1, 1.0f, 0.5f, 0.5f}, {x0, y1, 1.0f, 0, 0.5f}}, z);
      }
  }
  glEnd();
  glFinish();
}

const std::uint16_t* LlvmpipePixels() { return peer.colour.data(); }
