// Pitched instruments: additive tones that settle into a seamless loop
// (basses, piano, bell, chip) and spectral tones made in one inverse FFT
// (pads, choir, strings, lead), which loop by construction.
#include <cmath>

#include "tools/content/music/instrument_kit.h"

namespace {

constexpr int kC2 = 25;  // XM note numbers
constexpr int kC4 = 49;
constexpr int kC5 = 61;

// Harmonics of a sawtooth at `f0` for a spectral tone: `detuneCents` lists
// the voices of an ensemble, `widthCents` how far each harmonic is smeared,
// `colour` the level of each harmonic by its frequency.
std::vector<PadHarmonic> SawEnsemble(double f0, double rate, std::initializer_list<double> detuneCents,
                                     double widthCents, double (*colour)(double hz, int h)) {
  std::vector<PadHarmonic> out;
  for (double cents : detuneCents) {
    const double f = f0 * std::pow(2.0, cents / 1200.0);
    for (int h = 1; f * h < rate * 0.45; ++h) {
      const double hz = f * h;
      // The smear grows with the harmonic, as in an ensemble of real players.
      const double width = hz * (std::pow(2.0, widthCents / 1200.0) - 1.0) * std::sqrt(h);
      out.push_back({hz, colour(hz, h), width});
    }
  }
  return out;
}

double LowPass(double hz, double cutoff, double order) {
  return 1.0 / std::sqrt(1.0 + std::pow(hz / cutoff, 2 * order));
}

XmSample SpectralSample(const char* name, const std::vector<PadHarmonic>& harmonics, int size, double rate,
                        double baseHz, std::uint32_t seed, double drive) {
  auto data = RenderSpectral(harmonics, size, rate, seed);
  Normalize(data, 1.0);
  if (drive > 0.0) Saturate(data, drive);
  Normalize(data, 0.95);
  auto s = MakeSample(name, data, rate, baseHz);
  SetLoop(s, 0, static_cast<std::uint32_t>(s.data.size()));
  return s;
}

// A tone whose loop is `loop` frames holding `cycles` periods, after an
// attack of `attackLoops` loops during which `gain` shapes the partials.
XmSample AdditiveSample(const char* name, const std::vector<Partial>& partials, int loop, int attackLoops,
                        double baseHz, int cycles, const PartialGain& gain, double drive) {
  const double rate = baseHz * loop / cycles;
  auto data = RenderPartials(partials, loop, loop * attackLoops, rate, gain);
  Normalize(data, 1.0);
  if (drive > 0.0) Saturate(data, drive);
  Normalize(data, 0.95);
  auto s = MakeSample(name, data, rate, baseHz);
  SetLoop(s, static_cast<std::uint32_t>(loop * attackLoops), static_cast<std::uint32_t>(loop));
  return s;
}

}  // namespace

XmInstrument MakePluckBass(int bpm) {
  const int loop = 512, cycles = 2;
  auto partials = SawPartials(cycles, loop, 1.0, 0.0);
  // A little square (odd harmonics) for body under the saw.
  for (Partial& p : partials)
    if ((p.cycles / cycles) % 2 == 1) p.amp *= 1.35;
  auto s = AdditiveSample(
      "pluckbass", partials, loop, 20, NoteHz(kC2), cycles,
      [](int, double hz, double t) {
        const double fc = 320.0 + 2400.0 * std::exp(-t / 0.085);
        const double d = (hz - fc) / (0.22 * fc);
        return LowPass(hz, fc, 2.0) * (1.0 + 1.4 * std::exp(-d * d));
      },
      1.6);
  auto ins = OneSample("Pluck bass", s);
  SetVolumeEnvelope(ins, bpm, {{0.0, 64}, {0.12, 50}, {0.6, 40}}, 2);
  ins.fadeout = FadeoutFor(0.08, bpm);
  return ins;
}

XmInstrument MakeReeseBass(int bpm) {
  const double rate = 22050.0, f0 = NoteHz(kC2);
  auto harmonics =
      SawEnsemble(f0, rate, {-9.0, 9.0}, 1.0, [](double hz, int h) { return LowPass(hz, 700.0, 2.0) / h; });
  auto ins = OneSample("Reese bass", SpectralSample("reese", harmonics, 16384, rate, f0, 0x4EE5u, 2.4));
  SetVolumeEnvelope(ins, bpm, {{0.0, 0}, {0.01, 64}, {0.3, 56}}, 2);
  ins.fadeout = FadeoutFor(0.12, bpm);
  return ins;
}

XmInstrument MakeSubBass(int bpm) {
  const int loop = 256, cycles = 1;
  const std::vector<Partial> partials = {{1, 1.0, 0.0}, {2, 0.3, 0.0}, {3, 0.12, 0.0}, {4, 0.05, 0.0}};
  auto s = AdditiveSample(
      "subbass", partials, loop, 0, NoteHz(kC2), cycles, [](int, double, double) { return 1.0; }, 0.0);
  auto ins = OneSample("Sub bass", s);
  SetVolumeEnvelope(ins, bpm, {{0.0, 0}, {0.02, 64}, {1.0, 52}}, 2);
  ins.fadeout = FadeoutFor(0.25, bpm);
  return ins;
}

XmInstrument MakeSawPad(int bpm) {
  const double rate = 16000.0, f0 = NoteHz(kC4);
  auto harmonics =
      SawEnsemble(f0, rate, {-14.0, 0.0, 13.0}, 18.0, [](double hz, int h) { return LowPass(hz, 2600.0, 1.5) / h; });
  // A soft octave below for weight.
  harmonics.push_back({f0 / 2, 0.5, 1.0});
  auto ins = OneSample("Saw pad", SpectralSample("sawpad", harmonics, 32768, rate, f0, 0x9AD1u, 0.0));
  SetVolumeEnvelope(ins, bpm, {{0.0, 0}, {0.12, 64}, {0.8, 52}}, 2);
  ins.fadeout = FadeoutFor(0.7, bpm);
  return ins;
}

XmInstrument MakeChoir(int bpm) {
  const double rate = 16000.0, f0 = NoteHz(kC4);
  auto harmonics = SawEnsemble(f0, rate, {-8.0, 7.0}, 40.0, [](double hz, int h) {
    // Vowel "ah": three formants over a falling source.
    auto peak = [hz](double centre, double width) {
      const double d = (hz - centre) / width;
      return std::exp(-d * d);
    };
    const double formants = 0.12 + peak(700.0, 140.0) + 0.7 * peak(1150.0, 160.0) + 0.3 * peak(2600.0, 260.0);
    return formants * std::pow(h, -0.6);
  });
  auto ins = OneSample("Choir", SpectralSample("choir", harmonics, 32768, rate, f0, 0xC401u, 0.0));
  SetVolumeEnvelope(ins, bpm, {{0.0, 0}, {0.5, 64}, {1.5, 56}}, 2);
  ins.fadeout = FadeoutFor(1.2, bpm);
  return ins;
}

XmInstrument MakeStrings(int bpm) {
  const double rate = 16000.0, f0 = NoteHz(kC4);
  auto harmonics =
      SawEnsemble(f0, rate, {-10.0, -3.0, 6.0}, 30.0, [](double hz, int h) { return LowPass(hz, 1500.0, 1.5) / h; });
  auto ins = OneSample("Strings", SpectralSample("strings", harmonics, 32768, rate, f0, 0x57A1u, 0.0));
  SetVolumeEnvelope(ins, bpm, {{0.0, 0}, {0.7, 64}, {2.0, 56}}, 2);
  ins.fadeout = FadeoutFor(1.4, bpm);
  return ins;
}

XmInstrument MakeLead(int bpm) {
  const double rate = 22050.0, f0 = NoteHz(kC5);
  auto harmonics =
      SawEnsemble(f0, rate, {-11.0, 0.0, 12.0}, 1.0, [](double hz, int h) { return LowPass(hz, 5000.0, 1.0) / h; });
  auto ins = OneSample("Lead", SpectralSample("lead", harmonics, 16384, rate, f0, 0x1EADu, 1.2));
  SetVolumeEnvelope(ins, bpm, {{0.0, 64}, {0.15, 54}}, 1);
  ins.fadeout = FadeoutFor(0.25, bpm);
  // Vibrato fades in over a quarter second, as a player would add it.
  ins.vibratoType = 0;
  ins.vibratoSweep = static_cast<std::uint8_t>(std::lround(0.25 / (2.5 / bpm)));
  ins.vibratoDepth = 5;
  ins.vibratoRate = 12;
  return ins;
}

XmInstrument MakeChip(int bpm) {
  const int loop = 64, cycles = 1;
  auto s = AdditiveSample(
      "chip", PulsePartials(cycles, loop, 0.25, 1.0), loop, 0, NoteHz(kC5), cycles,
      [](int, double, double) { return 1.0; }, 0.0);
  auto ins = OneSample("Chip", s);
  SetVolumeEnvelope(ins, bpm, {{0.0, 64}, {0.1, 40}, {0.5, 30}}, 2);
  ins.fadeout = FadeoutFor(0.1, bpm);
  return ins;
}

XmInstrument MakeElectricPiano(int bpm) {
  const int loop = 256, cycles = 2;
  // Harmonic number, level, decay in seconds: the high "tine" partials die first.
  struct Part {
    int h;
    double amp, decay;
  };
  static const Part kParts[] = {{1, 1.0, 4.0},   {2, 0.45, 0.7},  {3, 0.2, 0.3},    {4, 0.12, 0.2},
                                {7, 0.22, 0.05}, {9, 0.1, 0.035}, {12, 0.06, 0.025}};
  std::vector<Partial> partials;
  for (const Part& p : kParts) partials.push_back({p.h * cycles, p.amp, 0.0});
  auto s = AdditiveSample(
      "epiano", partials, loop, 64, NoteHz(kC4), cycles,
      [](int i, double, double t) { return std::exp(-t / kParts[i].decay); }, 1.1);
  auto ins = OneSample("E-piano", s);
  SetVolumeEnvelope(ins, bpm, {{0.0, 64}, {0.3, 46}, {1.5, 26}, {3.0, 10}, {4.5, 0}}, -1);
  ins.fadeout = FadeoutFor(0.5, bpm);
  return ins;
}

XmInstrument MakeBell(int bpm) {
  const int loop = 2048;
  // Partials near 1, 2, 2.76, 5.4 and 8.9 times the fundamental, each a
  // whole number of cycles over the loop, so the ringing tail loops cleanly.
  struct Part {
    int cycles;
    double amp, decay;
  };
  static const Part kParts[] = {{49, 1.0, 3.0}, {98, 0.5, 1.2}, {135, 0.45, 0.5}, {265, 0.3, 0.25}, {438, 0.2, 0.12}};
  std::vector<Partial> partials;
  for (const Part& p : kParts) partials.push_back({p.cycles, p.amp, 0.0});
  const double rate = 22050.0;
  auto data = RenderPartials(partials, loop, loop * 6, rate,
                             [](int i, double, double t) { return std::exp(-t / kParts[i].decay); });
  Normalize(data, 0.95);
  auto s = MakeSample("bell", data, rate, 49.0 * rate / loop);
  SetLoop(s, static_cast<std::uint32_t>(loop * 6), static_cast<std::uint32_t>(loop));
  auto ins = OneSample("Bell", s);
  SetVolumeEnvelope(ins, bpm, {{0.0, 64}, {0.5, 40}, {2.0, 14}, {3.5, 0}}, -1);
  ins.fadeout = FadeoutFor(0.8, bpm);
  return ins;
}
