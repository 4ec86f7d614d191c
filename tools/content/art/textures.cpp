// Procedural textures. Everything is painted from the coordinates (u, v) in
// [0, 1) of the texel centre; maps that repeat over a surface tile seamlessly.
#include "tools/content/art/textures.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "tools/content/art/font.h"

namespace {

constexpr float kPi = 3.14159265358979f;

Image Paint(int size, const std::function<Colour(float, float)>& fn) {
  Image img(size, size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      img.Set(x, y, fn((static_cast<float>(x) + 0.5f) / static_cast<float>(size),
                       (static_cast<float>(y) + 0.5f) / static_cast<float>(size)));
    }
  }
  return img;
}

float Smooth(float e0, float e1, float x) {
  const float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
  return t * t * (3 - 2 * t);
}

// Distance from (u, v) to the centre, 0 there and 1 at the middle of an edge.
float Radius(float u, float v) { return std::hypot(u - 0.5f, v - 0.5f) * 2; }

// --- particles and lens flares: additive, black is transparent ---

Image Fire(int n) {
  return Paint(n, [](float u, float v) {
    const float r = Radius(u, v);
    const float flicker = 0.85f + 0.3f * Fractal(u * 4, v * 4, 4, 3, 11);
    const float core = std::pow(std::max(0.0f, 1 - r), 1.6f) * flicker;
    return Colour{255 * std::min(1.0f, core * 1.6f), 220 * core * core, 120 * std::pow(core, 4.0f)};
  });
}

Image Glow(int n) {
  return Paint(n, [](float u, float v) {
    const float r = Radius(u, v);
    const float a = std::atan2(v - 0.5f, u - 0.5f);
    const float rays = std::pow(std::fabs(std::cos(a * 3)), 40.0f) * 0.5f + std::pow(std::fabs(std::cos(a * 8 + 0.3f)), 60.0f) * 0.25f;
    const float fall = std::max(0.0f, 1 - r);
    const float glow = std::pow(fall, 3.0f) + rays * fall * fall + std::exp(-r * r * 60) * 0.8f;
    return Colour{255 * glow, 240 * glow, 210 * glow};
  });
}

Image Ring(int n) {
  return Paint(n, [](float u, float v) {
    const float r = Radius(u, v);
    const float ring = std::exp(-std::pow((r - 0.78f) / 0.06f, 2.0f));
    const float inner = 0.12f * Smooth(0.8f, 0.2f, r);
    return Colour{120 * ring + 40 * inner, 200 * ring + 60 * inner, 255 * ring + 120 * inner};
  });
}

Image Iris(int n) {
  return Paint(n, [](float u, float v) {
    const float x = u - 0.5f, y = v - 0.5f;
    // Distance to a hexagon: the largest projection on the three edge normals.
    float d = 0;
    for (int k = 0; k < 3; ++k) {
      const float a = kPi / 3 * static_cast<float>(k) + kPi / 6;
      d = std::max(d, std::fabs(x * std::cos(a) + y * std::sin(a)));
    }
    d *= 2.2f;
    const float body = Smooth(0.92f, 0.86f, d) * (0.25f + 0.35f * d);
    const float edge = std::exp(-std::pow((d - 0.9f) / 0.04f, 2.0f)) * 0.5f;
    const float s = body + edge;
    return Colour{170 * s, 255 * s, 150 * s};
  });
}

Image Spot(int n) {
  return Paint(n, [](float u, float v) {
    const float r = Radius(u, v);
    const float s = std::exp(-r * r * 5) * Smooth(1.0f, 0.85f, r);
    return Colour{255 * s, 170 * s, 230 * s};
  });
}

Image Blob(int n) {
  return Paint(n, [](float u, float v) {
    const float r = Radius(u, v);
    const float s = std::pow(std::max(0.0f, 1 - r * r), 2.0f);
    const float hot = std::exp(-r * r * 16);
    return Colour{255 * std::min(1.0f, s * 0.9f + hot * 0.4f), 255 * std::min(1.0f, s * 0.9f + hot * 0.4f),
                  255 * std::min(1.0f, s + hot * 0.2f)};
  });
}

// --- skies: row 0 is the zenith, the middle row the horizon ---

Colour SkyGradient(float v, Colour zenith, Colour horizon, Colour below) {
  if (v < 0.5f) return Mix(zenith, horizon, std::pow(v * 2, 2.2f));
  return Mix(horizon, below, Smooth(0.5f, 0.58f, v));
}

// Clouds thin out towards the horizon and do not reach the lower half.
float Clouds(float u, float v, std::uint32_t seed, float cover) {
  const float n = Fractal(u * 8, v * 8, 8, 5, seed);
  return Smooth(cover, cover + 0.25f, n) * Smooth(0.5f, 0.25f, v) * Smooth(0.0f, 0.12f, v);
}

Image SkyDay(int n) {
  return Paint(n, [](float u, float v) {
    const Colour sky = SkyGradient(v, {40, 80, 170}, {175, 200, 225}, {120, 130, 110});
    return Mix(sky, Colour{245, 245, 250}, Clouds(u, v, 21, 0.5f) * 0.9f);
  });
}

Image SkyDesert(int n) {
  return Paint(n, [](float u, float v) {
    const Colour sky = SkyGradient(v, {60, 110, 190}, {235, 215, 170}, {200, 160, 100});
    return Mix(sky, Colour{255, 240, 220}, Clouds(u, v, 31, 0.62f) * 0.7f);
  });
}

Image SkyDusk(int n) {
  return Paint(n, [](float u, float v) {
    Colour sky = SkyGradient(v, {10, 12, 40}, {190, 90, 70}, {40, 30, 40});
    const float star = Fractal(u * 64, v * 64, 64, 1, 41) > 0.93f ? Smooth(0.35f, 0.1f, v) : 0;
    sky = sky + Colour{200, 200, 220} * star;
    return Mix(sky, Colour{60, 40, 70}, Clouds(u, v, 43, 0.55f) * 0.8f);
  });
}

Image SkySunset(int n) {
  return Paint(n, [](float u, float v) {
    const Colour sky = SkyGradient(v, {30, 40, 110}, {255, 150, 60}, {90, 50, 50});
    return Mix(sky, Colour{255, 120, 110}, Clouds(u, v, 51, 0.55f) * 0.85f);
  });
}

Image SkyHell(int n) {
  return Paint(n, [](float u, float v) {
    const float f = Fractal(u * 4, v * 4, 4, 6, 61);
    const float t = std::pow(f, 1.5f);
    return Mix(Colour{40, 0, 0}, Colour{255, 110, 20}, t) + Colour{60, 30, 0} * Smooth(0.7f, 0.9f, f);
  });
}

// --- surfaces ---

Image Rocket(int n) {
  return Paint(n, [](float u, float v) {
    Colour c{235, 235, 230};
    // Black and white quarters, as on test rockets, and red bands.
    const int quarter = static_cast<int>(u * 4) % 2;
    if (v > 0.55f && v < 0.8f && quarter == 1) c = {30, 30, 35};
    if ((v > 0.1f && v < 0.16f) || (v > 0.86f && v < 0.92f)) c = {200, 30, 25};
    const float seam = std::fmod(v * 8, 1.0f) < 0.03f || std::fmod(u * 8, 1.0f) < 0.02f ? 0.8f : 1.0f;
    const float dirt = 0.88f + 0.12f * Fractal(u * 8, v * 8, 8, 4, 71);
    return c * (seam * dirt);
  });
}

Image Metal(int n) {
  return Paint(n, [](float u, float v) {
    const float brushed = Fractal(u * 2, v * 64, 2, 3, 81);
    const float panel = std::fmod(u * 4, 1.0f) < 0.02f || std::fmod(v * 4, 1.0f) < 0.02f ? 0.6f : 1.0f;
    const float rivet = std::hypot(std::fmod(u * 8, 1.0f) - 0.1f, std::fmod(v * 8, 1.0f) - 0.1f) < 0.05f ? 1.25f : 1.0f;
    const float g = (140 + 60 * brushed) * panel * rivet;
    return Colour{g, g * 1.02f, g * 1.08f};
  });
}

Image Concrete(int n) {
  return Paint(n, [](float u, float v) {
    const float base = 150 + 50 * Fractal(u * 8, v * 8, 8, 5, 91);
    const float joint = std::fmod(u * 2, 1.0f) < 0.015f || std::fmod(v * 2, 1.0f) < 0.015f ? 0.55f : 1.0f;
    const float stain = 1 - 0.25f * Smooth(0.55f, 0.8f, Fractal(u * 3, v * 3, 3, 3, 92));
    const float g = base * joint * stain;
    return Colour{g, g, g * 0.97f};
  });
}

Image Grass(int n) {
  return Paint(n, [](float u, float v) {
    const float f = Fractal(u * 8, v * 8, 8, 5, 101);
    const float blades = Fractal(u * 64, v * 64, 64, 1, 102);
    const Colour green{70, 120, 45}, dry{140, 130, 70};
    return Mix(green, dry, Smooth(0.45f, 0.7f, f)) * (0.8f + 0.35f * blades);
  });
}

Image Sand(int n) {
  return Paint(n, [](float u, float v) {
    const float warp = Fractal(u * 4, v * 4, 4, 3, 111);
    const float ripple = 0.5f + 0.5f * std::sin((v * 16 + warp * 3) * 2 * kPi);
    const float grain = Fractal(u * 64, v * 64, 64, 1, 112);
    return Colour{225, 190, 130} * (0.82f + 0.1f * ripple + 0.12f * grain);
  });
}

// Courses of stone blocks, each block with its own tone.
Image Stone(int n, Colour tone, std::uint32_t seed) {
  return Paint(n, [tone, seed](float u, float v) {
    const int row = static_cast<int>(v * 4);
    const float shift = (row % 2) * 0.25f;
    const float bu = std::fmod(u * 2 + shift, 1.0f), bv = std::fmod(v * 4, 1.0f);
    const int block = static_cast<int>(u * 2 + shift) % 2 + row * 2;
    const float joint = (bu < 0.03f || bv < 0.06f) ? 0.55f : 1.0f;
    const float own = 0.85f + 0.15f * TileNoise(static_cast<float>(block), 0.5f, 8, seed);
    const float grain = 0.8f + 0.3f * Fractal(u * 16, v * 16, 16, 4, seed + 1);
    return tone * (joint * own * grain);
  });
}
Image Sandstone(int n) { return Stone(n, {215, 180, 120}, 121); }
Image Granite(int n) { return Stone(n, {150, 150, 155}, 131); }

Image Marble(int n) {
  return Paint(n, [](float u, float v) {
    const float t = Fractal(u * 4, v * 4, 4, 5, 141);
    const float vein = std::pow(std::fabs(std::sin((u * 2 + t * 4) * kPi)), 0.3f);
    return Mix(Colour{120, 110, 120}, Colour{240, 236, 228}, vein);
  });
}

Image Tiles(int n) {
  return Paint(n, [](float u, float v) {
    const bool dark = (static_cast<int>(u * 4) + static_cast<int>(v * 4)) % 2 == 1;
    const float grout = std::fmod(u * 4, 1.0f) < 0.04f || std::fmod(v * 4, 1.0f) < 0.04f ? 0.5f : 1.0f;
    const float t = Fractal(u * 8, v * 8, 8, 4, 151);
    const Colour c = dark ? Mix(Colour{60, 70, 90}, Colour{90, 100, 120}, t) : Mix(Colour{210, 200, 185}, Colour{240, 235, 225}, t);
    return c * grout;
  });
}

// A fake reflection of sky over ground, for shiny balls.
Image Chrome(int n) {
  return Paint(n, [](float u, float v) {
    const float h = 0.5f + 0.06f * std::sin(u * 2 * kPi * 3);
    if (v < h) return Mix(Colour{250, 250, 255}, Colour{70, 110, 190}, std::pow(v / h, 0.7f));
    return Mix(Colour{60, 50, 40}, Colour{170, 150, 120}, (v - h) / (1 - h));
  });
}

Image Lava(int n) {
  return Paint(n, [](float u, float v) {
    const float f = Fractal(u * 4, v * 4, 4, 5, 161);
    const float cracks = Smooth(0.08f, 0.0f, std::fabs(f - 0.5f));
    const float crust = 0.5f + 0.5f * Fractal(u * 16, v * 16, 16, 3, 162);
    const Colour rock = Colour{70, 30, 20} * crust;
    return Mix(rock, Colour{255, 190, 60}, cracks);
  });
}

Image Rock(int n) {
  return Paint(n, [](float u, float v) {
    const float f = Fractal(u * 4, v * 4, 4, 6, 171);
    const float strata = 0.85f + 0.15f * std::sin((v * 8 + f * 2) * 2 * kPi);
    return Colour{110, 85, 75} * ((0.55f + 0.6f * f) * strata);
  });
}

Image Gold(int n) {
  return Paint(n, [](float u, float v) {
    const float s = 0.6f + 0.4f * std::sin((u + v * 0.5f) * 2 * kPi * 2) * std::sin(v * kPi);
    const float grain = 0.9f + 0.1f * Fractal(u * 32, v * 32, 32, 2, 181);
    return Colour{255 * s, 200 * s, 80 * s} * grain + Colour{40, 30, 10};
  });
}

Image Hull(int n) {
  return Paint(n, [](float u, float v) {
    // Panels of two sizes with glowing seams, like the inside of a vessel.
    const float pu = std::fmod(u * 4, 1.0f), pv = std::fmod(v * 4, 1.0f);
    const bool small = (static_cast<int>(u * 4) + 3 * static_cast<int>(v * 4)) % 3 == 0;
    const float su = small ? std::fmod(pu * 2, 1.0f) : pu, sv = small ? std::fmod(pv * 2, 1.0f) : pv;
    const float seam = std::min(std::min(su, 1 - su), std::min(sv, 1 - sv));
    const float tone = 0.7f + 0.3f * Fractal(u * 8, v * 8, 8, 3, 191);
    Colour c = Colour{120, 125, 140} * tone;
    if (seam < 0.04f) c = Colour{60, 160, 230};
    return c;
  });
}

Image Crystal(int n) {
  return Paint(n, [](float u, float v) {
    const float f = Fractal(u * 4, v * 4, 4, 4, 201);
    const float facet = std::fabs(std::sin((u * 3 + v * 5 + f) * kPi * 2));
    return Mix(Colour{40, 90, 200}, Colour{200, 240, 255}, facet * facet);
  });
}

Image Plasma(int n) {
  return Paint(n, [](float u, float v) {
    const float a = u * 2 * kPi, b = v * 2 * kPi;
    const float p = std::sin(a * 2) + std::sin(b * 3) + std::sin(a + b) + std::sin(std::sqrt(2.0f) * 0 + 2 * a - b);
    const float t = p * 0.25f * kPi;
    return Colour{128 + 127 * std::sin(t), 128 + 127 * std::sin(t + 2.1f), 128 + 127 * std::sin(t + 4.2f)};
  });
}

Image Grid(int n) {
  return Paint(n, [](float u, float v) {
    const float du = std::min(std::fmod(u * 4, 1.0f), 1 - std::fmod(u * 4, 1.0f));
    const float dv = std::min(std::fmod(v * 4, 1.0f), 1 - std::fmod(v * 4, 1.0f));
    const float line = Smooth(0.05f, 0.0f, std::min(du, dv));
    const float floor = 0.25f + 0.1f * Fractal(u * 8, v * 8, 8, 3, 211);
    return Mix(Colour{60, 60, 80} * (floor * 2), Colour{120, 200, 255}, line);
  });
}

// The sign's face: the demo's name on an enamel plate.
Image Sign(int n) {
  Image img = Paint(n, [](float u, float v) {
    const float edge = std::min(std::min(u, 1 - u), std::min(v, 1 - v));
    const Colour plate = Mix(Colour{20, 30, 90}, Colour{40, 60, 150}, v);
    return edge < 0.04f ? Colour{230, 190, 70} : plate;
  });
  // The plate is twice as wide as it is high, so a font pixel is painted
  // twice as high as wide to come out square on it.
  const char* text = "OSSIK";
  const int sx = n / 40, sy = 2 * sx, advance = (kGlyphWidth + 1) * sx;
  const int x0 = (n - 5 * advance + sx) / 2, y0 = (n - kGlyphHeight * sy) / 2;
  for (int i = 0; text[i]; ++i) {
    for (int y = 0; y < kGlyphHeight * sy; ++y) {
      for (int x = 0; x < kGlyphWidth * sx; ++x) {
        if (GlyphPixel(text[i], x / sx, y / sy)) {
          const float shade = 1 - 0.3f * static_cast<float>(y) / static_cast<float>(kGlyphHeight * sy);
          img.Set(x0 + i * advance + x, y0 + y, Colour{255, 220, 90} * shade);
        }
      }
    }
  }
  return img;
}

}  // namespace

const std::vector<TextureDef>& TextureList() {
  static const std::vector<TextureDef> list = {
      {"fire002.tga", 64, Fire},       {"lens1.tga", 128, Glow},        {"lens2.tga", 128, Ring},
      {"lens3.tga", 128, Iris},        {"lens4.tga", 64, Spot},         {"lens5.tga", 64, Blob},
      {"SKYDAY.TGA", 256, SkyDay},     {"SKYDES.TGA", 256, SkyDesert},  {"SKYDUSK.TGA", 256, SkyDusk},
      {"SKYSUN.TGA", 256, SkySunset},  {"SKYHELL.TGA", 256, SkyHell},   {"ROCKET.TGA", 128, Rocket},
      {"METAL.TGA", 128, Metal},       {"CONCRETE.TGA", 128, Concrete}, {"GRASS.TGA", 128, Grass},
      {"SAND.TGA", 128, Sand},         {"SANDSTON.TGA", 128, Sandstone}, {"GRANITE.TGA", 128, Granite},
      {"MARBLE.TGA", 128, Marble},     {"TILES.TGA", 128, Tiles},       {"CHROME.TGA", 128, Chrome},
      {"LAVA.TGA", 256, Lava},         {"ROCK.TGA", 128, Rock},         {"GOLD.TGA", 64, Gold},
      {"HULL.TGA", 128, Hull},         {"CRYSTAL.TGA", 64, Crystal},    {"PLASMA.TGA", 128, Plasma},
      {"GRID.TGA", 128, Grid},         {"SIGN.TGA", 128, Sign},
  };
  return list;
}
