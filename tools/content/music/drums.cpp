// Drum and noise instruments: kicks from sine sweeps, snares and claps from
// filtered noise, hats from metallic square clusters, cymbals from looped
// spectral noise.
#include <cmath>

#include "tools/content/music/instrument_kit.h"

namespace {

// A sine whose pitch falls from `startHz` to `endHz` with time constant
// `sweep`, decaying with `decay`; a short noise click on top.
std::vector<double> KickBody(double rate, double seconds, double startHz, double endHz, double sweep, double decay,
                             double click, std::uint32_t seed) {
  SynthRng rng(seed);
  SvFilter lp;
  std::vector<double> out(static_cast<std::size_t>(rate * seconds));
  double phase = 0.0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double t = i / rate;
    const double hz = endHz + (startHz - endHz) * std::exp(-t / sweep);
    phase += hz / rate;
    // A fast fade-in of 1 ms removes the step at the start.
    const double amp = std::exp(-t / decay) * std::min(1.0, t * 1000.0 + 0.2);
    lp.Step(rng.Signed(), 3000.0, 1.0, rate);
    out[i] = std::sin(2.0 * kPi * phase) * amp + click * lp.low * std::exp(-t / 0.004);
  }
  FadeTail(out, rate, 0.03);
  return out;
}

// Six square waves at inharmonic ratios, the classic drum-machine metal.
double MetalAt(double t, double scale) {
  static const double kRatios[] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
  double s = 0.0;
  for (double r : kRatios) s += std::sin(2.0 * kPi * r * scale * t) >= 0.0 ? 1.0 : -1.0;
  return s / 6.0;
}

std::vector<double> Hat(double rate, double seconds, double decay, std::uint32_t seed) {
  SynthRng rng(seed);
  SvFilter hp1, hp2;
  std::vector<double> out(static_cast<std::size_t>(rate * seconds));
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double t = i / rate;
    const double src = 0.6 * MetalAt(t, 1.7) + 0.7 * rng.Signed();
    hp1.Step(src, 7000.0, 0.9, rate);
    hp2.Step(hp1.high, 7000.0, 1.2, rate);
    out[i] = (hp2.high + 0.3 * hp1.band) * std::exp(-t / decay);
  }
  FadeTail(out, rate, 0.01);
  return out;
}

// Looped, bright, slightly metallic noise for crash and swell.
std::vector<double> CymbalLoop(double rate, int size) {
  auto noise = RenderSpectralNoise(size, rate, 0xC7A5u, [](double hz) {
    const double hp = hz < 3000.0 ? std::pow(hz / 3000.0, 3.0) : 1.0;
    const double lp = 1.0 / (1.0 + std::pow(hz / 12000.0, 2.0));
    return hp * lp;
  });
  Normalize(noise, 1.0);
  return noise;
}

}  // namespace

XmInstrument MakeKick(int bpm) {
  const double rate = 22050.0;
  auto body = KickBody(rate, 0.42, 170.0, 47.0, 0.032, 0.16, 0.35, 0x4B1Cu);
  Saturate(body, 1.6);
  Normalize(body, 0.95);
  auto ins = OneSample("Kick", MakeSample("kick", body, rate, 0.0));
  SetVolumeEnvelope(ins, bpm, {{0.0, 64}, {0.5, 64}}, -1);
  return ins;
}

XmInstrument MakeHeavyKick(int bpm) {
  const double rate = 22050.0;
  auto body = KickBody(rate, 0.6, 150.0, 41.0, 0.05, 0.26, 0.5, 0x4B1Du);
  Saturate(body, 2.8);
  Normalize(body, 0.95);
  auto ins = OneSample("Heavy kick", MakeSample("heavykick", body, rate, 0.0));
  SetVolumeEnvelope(ins, bpm, {{0.0, 64}, {0.7, 64}}, -1);
  return ins;
}

XmInstrument MakeSnare(int bpm) {
  const double rate = 32000.0;
  SynthRng rng(0x5A4Eu);
  SvFilter bp, hp;
  std::vector<double> out(static_cast<std::size_t>(rate * 0.38));
  double p1 = 0.0, p2 = 0.0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double t = i / rate;
    p1 += (185.0 + 60.0 * std::exp(-t / 0.01)) / rate;
    p2 += (330.0 + 80.0 * std::exp(-t / 0.01)) / rate;
    const double body =
        0.8 * std::sin(2 * kPi * p1) * std::exp(-t / 0.05) + 0.35 * std::sin(2 * kPi * p2) * std::exp(-t / 0.03);
    const double n = rng.Signed();
    bp.Step(n, 4200.0, 0.8, rate);
    hp.Step(n, 2000.0, 1.0, rate);
    // Noise falls fast first, then a quieter tail like a small room.
    const double nenv = 0.75 * std::exp(-t / 0.045) + 0.25 * std::exp(-t / 0.14);
    out[i] = body + (0.9 * bp.band + 0.6 * hp.high) * nenv;
  }
  FadeTail(out, rate, 0.03);
  Saturate(out, 1.3);
  Normalize(out, 0.95);
  auto ins = OneSample("Snare", MakeSample("snare", out, rate, 0.0));
  SetVolumeEnvelope(ins, bpm, {{0.0, 64}, {0.4, 64}}, -1);
  return ins;
}

XmInstrument MakeClap(int bpm) {
  const double rate = 32000.0;
  SynthRng rng(0xC1A9u);
  SvFilter bp;
  std::vector<double> out(static_cast<std::size_t>(rate * 0.32));
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double t = i / rate;
    double env = 0.0;
    for (int k = 0; k < 3; ++k) {
      const double dt = t - 0.009 * k;
      if (dt >= 0.0) env += std::exp(-dt / 0.0035);
    }
    if (t >= 0.027) env += 0.8 * std::exp(-(t - 0.027) / 0.08);
    bp.Step(rng.Signed(), 1250.0, 0.55, rate);
    out[i] = bp.band * env;
  }
  FadeTail(out, rate, 0.02);
  Normalize(out, 0.95);
  auto ins = OneSample("Clap", MakeSample("clap", out, rate, 0.0));
  ins.samples[0].panning = 120;
  SetVolumeEnvelope(ins, bpm, {{0.0, 64}, {0.4, 64}}, -1);
  return ins;
}

XmInstrument MakeClosedHat(int bpm) {
  const double rate = 44100.0;
  auto out = Hat(rate, 0.1, 0.03, 0x4A71u);
  Normalize(out, 0.9);
  auto ins = OneSample("Closed hat", MakeSample("closedhat", out, rate, 0.0));
  ins.samples[0].panning = 150;
  SetVolumeEnvelope(ins, bpm, {{0.0, 64}, {0.2, 64}}, -1);
  return ins;
}

XmInstrument MakeOpenHat(int bpm) {
  const double rate = 32000.0;
  auto out = Hat(rate, 0.42, 0.14, 0x4A72u);
  Normalize(out, 0.9);
  auto ins = OneSample("Open hat", MakeSample("openhat", out, rate, 0.0));
  ins.samples[0].panning = 105;
  // A key-off chokes it, as the closed hat does on a real kit.
  SetVolumeEnvelope(ins, bpm, {{0.0, 64}, {0.5, 64}}, 1);
  ins.fadeout = 4000;
  return ins;
}

XmInstrument MakeCrash(int bpm) {
  const double rate = 32000.0;
  const int size = 8192;
  const auto loop = CymbalLoop(rate, size);
  // The first pass is the loop with a bright attack on top; then it repeats.
  std::vector<double> out(static_cast<std::size_t>(size * 2));
  for (int i = 0; i < size * 2; ++i) {
    const double t = i / rate;
    out[static_cast<std::size_t>(i)] = loop[static_cast<std::size_t>(i % size)] * (1.0 + 1.2 * std::exp(-t / 0.03));
  }
  Normalize(out, 0.95);
  auto s = MakeSample("crash", out, rate, 0.0);
  SetLoop(s, static_cast<std::uint32_t>(size), static_cast<std::uint32_t>(size));
  auto ins = OneSample("Crash", s);
  ins.samples[0].panning = 150;
  SetVolumeEnvelope(ins, bpm, {{0.0, 64}, {0.1, 40}, {0.6, 22}, {1.4, 8}, {2.2, 0}}, -1);
  return ins;
}

XmInstrument MakeSwell(int bpm) {
  const double rate = 32000.0;
  auto s = MakeSample("swell", CymbalLoop(rate, 8192), rate, 0.0);
  SetLoop(s, 0, static_cast<std::uint32_t>(s.data.size()));
  auto ins = OneSample("Swell", s);
  // Rises over one bar at the module's tempo, then stops dead on the downbeat.
  const double bar = 4 * 60.0 / bpm;
  SetVolumeEnvelope(ins, bpm, {{0.0, 0}, {bar * 0.6, 12}, {bar * 0.9, 36}, {bar, 56}, {bar + 0.01, 0}}, -1);
  return ins;
}

XmInstrument MakeTom(int bpm) {
  const double rate = 22050.0;
  // Tuned so that its settled pitch is the note it is played on.
  const double base = 110.0;
  auto body = KickBody(rate, 0.5, base * 1.6, base, 0.06, 0.15, 0.15, 0x70A1u);
  Saturate(body, 1.2);
  Normalize(body, 0.95);
  auto ins = OneSample("Tom", MakeSample("tom", body, rate, base));
  SetVolumeEnvelope(ins, bpm, {{0.0, 64}, {0.6, 64}}, -1);
  return ins;
}
