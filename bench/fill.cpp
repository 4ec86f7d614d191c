// Fill rate of the software Direct3D device: full-screen perspective-textured,
// bilinear, mip-mapped, z-tested, dithered quads on a 640 x 480 target, opaque
// and additive, and the same screen as small quads, reported in Mpixel/s
// (pixels written or blended per second of wall time: the peer draws on
// threads of its own). Built with OSMesa, it draws the
// same work with Mesa's llvmpipe beside it and prints the ratios.
// `--threads N` (default 1) sets how many threads draw, for both.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "platform/dx/d3d.h"
#include "platform/dx/ddraw.h"
#include "platform/dx/dx_platform.h"

#ifdef KAVRET_HAVE_OSMESA
#include "peer/llvmpipe_fill.h"
#endif

namespace {

constexpr int kWidth = 640, kHeight = 480;
constexpr int kLayers = 4;

struct FillDevice {
  IDirectDraw* dd = nullptr;
  IDirectDraw2* dd2 = nullptr;
  IDirect3D2* d3d = nullptr;
  IDirectDrawSurface* target = nullptr;
  IDirectDrawSurface* z = nullptr;
  IDirect3DDevice2* device = nullptr;
  IDirect3DViewport2* viewport = nullptr;
  D3DTEXTUREHANDLE texture = 0;

  FillDevice() {
    DxSetDriverSet(DxDriverSet::Headless);
    DirectDrawCreate(nullptr, &dd, nullptr);
    dd->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&dd2));
    dd2->SetCooperativeLevel(nullptr, DDSCL_NORMAL);
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = kWidth;
    desc.dwHeight = kHeight;
    desc.ddsCaps.dwCaps = DDSCAPS_3DDEVICE;
    dd2->CreateSurface(&desc, &target, nullptr);
    desc.dwFlags |= DDSD_ZBUFFERBITDEPTH;
    desc.dwZBufferBitDepth = 16;
    desc.ddsCaps.dwCaps = DDSCAPS_ZBUFFER;
    dd2->CreateSurface(&desc, &z, nullptr);
    target->AddAttachedSurface(z);
    dd2->QueryInterface(IID_IDirect3D2, reinterpret_cast<void**>(&d3d));
    d3d->CreateDevice(IID_IDirect3DRGBDevice, target, &device);
    d3d->CreateViewport(&viewport, nullptr);
    device->AddViewport(viewport);
    D3DVIEWPORT2 vp{sizeof(D3DVIEWPORT2), 0, 0, kWidth, kHeight, 0, 0, kWidth, kHeight, 0, 1};
    viewport->SetViewport2(&vp);
    device->SetCurrentViewport(viewport);
    device->SetRenderState(D3DRENDERSTATE_ZENABLE, TRUE);
    device->SetRenderState(D3DRENDERSTATE_ZFUNC, D3DCMP_LESS);
    device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRENDERSTATE_DITHERENABLE, TRUE);
    texture = MakeTexture();
  }

  ~FillDevice() {
    viewport->Release();
    device->Release();
    d3d->Release();
    dd2->Release();
    dd->Release();
  }

  // A 256 x 256 1-5-5-5 texture with a full mip chain and some detail in it.
  D3DTEXTUREHANDLE MakeTexture() {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | DDSD_MIPMAPCOUNT;
    desc.dwWidth = desc.dwHeight = 256;
    desc.dwMipMapCount = 9;
    desc.ddpfPixelFormat = DDPIXELFORMAT{sizeof(DDPIXELFORMAT), DDPF_RGB | DDPF_ALPHAPIXELS, 0, {16},
                                         0x7C00, 0x03E0, 0x001F, 0x8000};
    desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY | DDSCAPS_MIPMAP | DDSCAPS_COMPLEX;
    IDirectDrawSurface* surface = nullptr;
    dd2->CreateSurface(&desc, &surface, nullptr);
    IDirectDrawSurface* level = surface;
    level->AddRef();
    while (level) {
      DDSURFACEDESC locked{};
      locked.dwSize = sizeof locked;
      level->Lock(nullptr, &locked, 0, nullptr);
      for (DWORD y = 0; y < locked.dwHeight; ++y)
        for (DWORD x = 0; x < locked.dwWidth; ++x)
          reinterpret_cast<std::uint16_t*>(static_cast<std::uint8_t*>(locked.lpSurface) + y * locked.lPitch)[x] =
              static_cast<std::uint16_t>(0x8000 | ((x * 7) & 31) << 10 | ((x ^ y) & 31) << 5 | ((y * 3) & 31));
      level->Unlock(nullptr);
      DDSCAPS caps{DDSCAPS_TEXTURE | DDSCAPS_MIPMAP};
      IDirectDrawSurface* next = nullptr;
      level->GetAttachedSurface(&caps, &next);
      level->Release();
      level = next;
    }
    IDirect3DTexture2* t = nullptr;
    surface->QueryInterface(IID_IDirect3DTexture2, reinterpret_cast<void**>(&t));
    D3DTEXTUREHANDLE handle = 0;
    t->GetHandle(device, &handle);
    t->Release();
    return handle;
  }

  // A floor-like quad filling the screen: near at the bottom (rhw 1), far at the
  // top (rhw 0.25), the texture tiled four times across.
  void DrawLayer(float z) {
    const D3DCOLOR c = 0xFFC0C0C0;
    D3DTLVERTEX v[4] = {{0, 0, z, 0.25f, c, 0, 0, 0},
                        {kWidth, 0, z, 0.25f, c, 0, 4, 0},
                        {kWidth, kHeight, z, 1.0f, c, 0, 4, 4},
                        {0, kHeight, z, 1.0f, c, 0, 0, 4}};
    device->DrawPrimitive(D3DPT_TRIANGLEFAN, D3DVT_TLVERTEX, v, 4, 0);
  }

  // The screen as a grid of small quads (20 x 20 pixels, rows of 20 pixels as
  // in the demo's meshes), each in perspective: per-row and per-run set-up
  // weigh here as they do in the scenes.
  void DrawSmallQuads(float z) {
    constexpr int kSide = 20;
    const D3DCOLOR c = 0xFFC0C0C0;
    for (int y = 0; y < kHeight; y += kSide)
      for (int x = 0; x < kWidth; x += kSide) {
        const float x0 = static_cast<float>(x), y0 = static_cast<float>(y);
        const float x1 = x0 + kSide, y1 = y0 + kSide;
        D3DTLVERTEX v[4] = {{x0, y0, z, 0.5f, c, 0, 0, 0},
                            {x1, y0, z, 0.5f, c, 0, 0.5f, 0},
                            {x1, y1, z, 1.0f, c, 0, 0.5f, 0.5f},
                            {x0, y1, z, 1.0f, c, 0, 0, 0.5f}};
        device->DrawPrimitive(D3DPT_TRIANGLEFAN, D3DVT_TLVERTEX, v, 4, 0);
      }
  }

  void Frame(bool textured, bool additive, bool small = false) {
    D3DRECT all{0, 0, kWidth, kHeight};
    viewport->Clear(1, &all, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
    device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, textured ? texture : 0);
    device->SetRenderState(D3DRENDERSTATE_BLENDENABLE, additive);
    device->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRENDERSTATE_DESTBLEND, additive ? D3DBLEND_ONE : D3DBLEND_ZERO);
    device->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, !additive);
    device->BeginScene();
    // Back to front, so every layer passes the depth test.
    for (int i = 0; i < kLayers; ++i) {
      if (small) DrawSmallQuads(0.9f - 0.2f * static_cast<float>(i));
      else DrawLayer(0.9f - 0.2f * static_cast<float>(i));
    }
    device->EndScene();
  }
};

void Run(benchmark::State& state, bool textured, bool additive, bool small = false) {
  FillDevice fill;
  for (auto _ : state) {
    fill.Frame(textured, additive, small);
    benchmark::DoNotOptimize(DxSurfaceMemory(fill.target, nullptr));
  }
  const double pixels = static_cast<double>(state.iterations()) * kWidth * kHeight * kLayers;
  state.counters["Mpixel/s"] = benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsRate);
}

void BM_FillTexturedOpaque(benchmark::State& state) { Run(state, true, false); }
void BM_FillTexturedAdditive(benchmark::State& state) { Run(state, true, true); }
void BM_FillGouraudOpaque(benchmark::State& state) { Run(state, false, false); }
void BM_FillSmallTexturedOpaque(benchmark::State& state) { Run(state, true, false, true); }

#ifdef KAVRET_HAVE_OSMESA
void RunLlvmpipe(benchmark::State& state, bool textured, bool additive, bool small = false) {
  if (!LlvmpipeStart()) {
    state.SkipWithError("OSMesa could not make a 640 x 480 RGB565 context");
    return;
  }
  for (auto _ : state) {
    LlvmpipeFrame(textured, additive, small);
    benchmark::DoNotOptimize(LlvmpipePixels());
  }
  const double pixels = static_cast<double>(state.iterations()) * kWidth * kHeight * kLayers;
  state.counters["Mpixel/s"] = benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsRate);
}

void BM_LlvmpipeTexturedOpaque(benchmark::State& state) { RunLlvmpipe(state, true, false); }
void BM_LlvmpipeTexturedAdditive(benchmark::State& state) { RunLlvmpipe(state, true, true); }
void BM_LlvmpipeGouraudOpaque(benchmark::State& state) { RunLlvmpipe(state, false, false); }
void BM_LlvmpipeSmallTexturedOpaque(benchmark::State& state) { RunLlvmpipe(state, true, false, true); }
#endif

// The console table, keeping each benchmark's Mpixel/s (the median when
// runs are repeated) for the ratios printed after it.
class RateReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> rates;

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const auto counter = run.counters.find("Mpixel/s");
      if (counter == run.counters.end() || run.error_occurred) continue;
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (run.run_type == Run::RT_Aggregate && !median) continue;
      rates[run.run_name.function_name] = counter->second;
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

void PrintRatios(const RateReporter& reporter) {
#ifdef KAVRET_HAVE_OSMESA
  bool header = false;
  for (const char* work : {"TexturedOpaque", "TexturedAdditive", "GouraudOpaque", "SmallTexturedOpaque"}) {
    const auto ours = reporter.rates.find(std::string("BM_Fill") + work);
    const auto peer = reporter.rates.find(std::string("BM_Llvmpipe") + work);
    if (ours == reporter.rates.end() || peer == reporter.rates.end() || peer->second <= 0) continue;
    if (!header) {
      std::printf("\nkavret / llvmpipe (%s, LP_NUM_THREADS=%d):\n", LlvmpipeRenderer(), LlvmpipeThreads());
      header = true;
    }
    std::printf("  %-20s kavret %8.1f Mpixel/s  llvmpipe %8.1f Mpixel/s  %5.2fx\n", work, ours->second,
                peer->second, ours->second / peer->second);
  }
#else
  (void)reporter;
#endif
}

}  // namespace

BENCHMARK(BM_FillTexturedOpaque)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FillTexturedAdditive)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FillGouraudOpaque)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FillSmallTexturedOpaque)->Unit(benchmark::kMillisecond)->UseRealTime();
#ifdef KAVRET_HAVE_OSMESA
BENCHMARK(BM_LlvmpipeTexturedOpaque)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LlvmpipeTexturedAdditive)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LlvmpipeGouraudOpaque)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LlvmpipeSmallTexturedOpaque)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif

// Takes `--threads N` out of the arguments: our drawing threads, and
// llvmpipe's through LP_NUM_THREADS. 0 when it is malformed.
int TakeThreads(int* argc, char** argv) {
  int threads = 1;
  for (int i = 1; i < *argc; ++i) {
    if (std::string(argv[i]) != "--threads") continue;
    char* end = nullptr;
    const long n = i + 1 < *argc ? std::strtol(argv[i + 1], &end, 10) : 0;
    if (!end || *end || n < 1 || n > 64) return 0;
    threads = static_cast<int>(n);
    for (int j = i; j + 2 <= *argc; ++j) argv[j] = argv[j + 2];
    *argc -= 2;
    --i;
  }
  return threads;
}

int main(int argc, char** argv) {
  const int threads = TakeThreads(&argc, argv);
  if (threads == 0) {
    std::fprintf(stderr, "bench_fill: --threads takes a count from 1 to 64\n");
    return 1;
  }
  DxSetRasterThreads(threads);
  setenv("LP_NUM_THREADS", std::to_string(threads).c_str(), 1);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RateReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  PrintRatios(reporter);
  std::printf("kavret drawing threads: %d\n", DxRasterThreads());
  return 0;
}
