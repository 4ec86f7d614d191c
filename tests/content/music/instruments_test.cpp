// The synthesised instruments: loops join without a step, pitched
// instruments play in tune (measured from libopenmpt's output), and the
// spectral tones really are periodic over their length.
#include "tools/content/music/instruments.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <libopenmpt/libopenmpt.hpp>
#include <sstream>

#include "tools/content/music/synth.h"

namespace {

struct Named {
  const char* name;
  XmInstrument (*make)(int);
};

const Named kPalette[] = {
    {"kick", MakeKick},
    {"heavy kick", MakeHeavyKick},
    {"snare", MakeSnare},
    {"clap", MakeClap},
    {"closed hat", MakeClosedHat},
    {"open hat", MakeOpenHat},
    {"crash", MakeCrash},
    {"swell", MakeSwell},
    {"tom", MakeTom},
    {"pluck bass", MakePluckBass},
    {"reese", MakeReeseBass},
    {"sub", MakeSubBass},
    {"saw pad", MakeSawPad},
    {"choir", MakeChoir},
    {"strings", MakeStrings},
    {"lead", MakeLead},
    {"chip", MakeChip},
    {"e-piano", MakeElectricPiano},
    {"bell", MakeBell},
};

// A one-instrument module that plays `note` for `rows` rows at speed 6, 125 BPM.
std::vector<std::uint8_t> OneNoteModule(const XmInstrument& ins, int note, int rows) {
  XmModule m;
  m.channels = 2;
  m.orders = {0};
  m.patterns = {MakeXmPattern(2, rows)};
  m.patterns[0].cells[0] = {static_cast<std::uint8_t>(note), 1, 0x50, 0, 0};
  m.instruments = {ins};
  return WriteXm(m);
}

// Average frequency from rising zero crossings of the left channel, skipping
// the first `skip` seconds.
double MeasuredHz(const std::vector<std::uint8_t>& bytes, double skip, double seconds) {
  std::ostringstream log;
  openmpt::module mod(bytes, log);
  const int rate = 48000;
  std::vector<float> left(static_cast<std::size_t>(rate * (skip + seconds))), right(left.size());
  mod.read(rate, left.size(), left.data(), right.data());
  int first = -1, last = -1, crossings = 0;
  for (std::size_t i = static_cast<std::size_t>(rate * skip) + 1; i < left.size(); ++i) {
    if (left[i - 1] < 0.0f && left[i] >= 0.0f) {
      if (first < 0) first = static_cast<int>(i);
      last = static_cast<int>(i);
      ++crossings;
    }
  }
  if (crossings < 2) return 0.0;
  return (crossings - 1) * static_cast<double>(rate) / (last - first);
}

double Cents(double hz, double expected) { return 1200.0 * std::log2(hz / expected); }

}  // namespace

TEST(Instruments, EveryLoopJoinsWithoutAStep) {
  for (const Named& n : kPalette) {
    const XmInstrument ins = n.make(125);
    ASSERT_EQ(ins.samples.size(), 1u) << n.name;
    const XmSample& s = ins.samples[0];
    std::string why;
    XmModule probe;
    probe.channels = 1;
    probe.orders = {0};
    probe.patterns = {MakeXmPattern(1, 1)};
    probe.instruments = {ins};
    EXPECT_TRUE(ValidateXm(probe, &why)) << n.name << ": " << why;
    if (s.loop == XmLoop::kNone) continue;
    // The jump from the loop's last frame to its first must be no larger
    // than the steps the sound takes inside the loop.
    int largestStep = 0;
    for (std::uint32_t i = s.loopStart + 1; i < s.loopStart + s.loopLength; ++i)
      largestStep = std::max(largestStep, std::abs(s.data[i] - s.data[i - 1]));
    const int seam = std::abs(s.data[s.loopStart] - s.data[s.loopStart + s.loopLength - 1]);
    EXPECT_LE(seam, largestStep) << n.name;
  }
}

TEST(Instruments, PitchedInstrumentsPlayInTune) {
  // Instruments whose fundamental dominates enough for zero crossings to count it.
  struct Case {
    const char* name;
    XmInstrument (*make)(int);
    int note;
  };
  const Case cases[] = {
      {"sub bass at A-2", MakeSubBass, 34}, {"sub bass at E-1", MakeSubBass, 17}, {"chip at A-4", MakeChip, 58},
      {"chip at C-6", MakeChip, 73},        {"tom at A-2", MakeTom, 34},
  };
  for (const Case& c : cases) {
    const double expected = NoteHz(c.note);
    const double hz = MeasuredHz(OneNoteModule(c.make(125), c.note, 64), 0.35, 0.5);
    EXPECT_NEAR(Cents(hz, expected), 0.0, 12.0) << c.name << ": " << hz << " Hz, expected " << expected;
  }
}

TEST(Instruments, SampleTuningFollowsTheRateAndPitch) {
  // 8363 Hz data holding C-4 needs no shift at all; twice the rate needs an
  // octave up; a pitch a semitone low needs one semitone up.
  const XmSample plain = MakeSample("c4", {0.0}, 8363.0, NoteHz(49));
  EXPECT_EQ(plain.relativeNote, 0);
  EXPECT_EQ(plain.finetune, 0);
  const XmSample doubled = MakeSample("x", {0.0}, 2 * 8363.0, NoteHz(49));
  EXPECT_EQ(doubled.relativeNote, 12);
  EXPECT_EQ(doubled.finetune, 0);
  const XmSample flat = MakeSample("x", {0.0}, 8363.0, NoteHz(48) * std::pow(2.0, -0.25 / 12.0));
  EXPECT_EQ(flat.relativeNote, 1);
  EXPECT_EQ(flat.finetune, 32);  // and a quarter semitone in 1/128ths
  // Unpitched sounds play at their own rate on C-4: 8363 Hz needs no shift.
  const XmSample drum = MakeSample("d", {0.0}, 8363.0, 0.0);
  EXPECT_EQ(drum.relativeNote, 0);
  EXPECT_EQ(drum.finetune, 0);
  const XmSample fast = MakeSample("d", {0.0}, 8363.0 * 4.0, 0.0);
  EXPECT_EQ(fast.relativeNote, 24);
  EXPECT_EQ(fast.finetune, 0);
  // Sample values are clipped, not wrapped.
  const XmSample loud = MakeSample("l", {2.0, -2.0, 0.5}, 8363.0, 0.0);
  EXPECT_EQ(loud.data, (std::vector<std::int16_t>{32767, -32767, 16384}));
}

TEST(Instruments, SpectralAndAdditiveTonesArePeriodic) {
  // A spectral tone is a sum of whole-bin sinusoids, so it repeats exactly
  // over its length; the forward FFT shows all energy on the bins asked for.
  const int size = 1024;
  const double rate = 1024.0;  // 1 Hz a bin
  auto tone = RenderSpectral({{100.0, 1.0, 0.5}}, size, rate, 7);
  std::vector<double> re(tone), im(size, 0.0);
  Fft(re, im, false);
  double inBand = 0.0, total = 0.0;
  for (int b = 1; b < size / 2; ++b) {
    const double e = re[static_cast<std::size_t>(b)] * re[static_cast<std::size_t>(b)] +
                     im[static_cast<std::size_t>(b)] * im[static_cast<std::size_t>(b)];
    total += e;
    if (std::abs(b - 100) <= 3) inBand += e;
  }
  EXPECT_GT(inBand / total, 0.999);

  // Additive partials with whole cycles per loop: the loop continues itself.
  const auto partials = SawPartials(4, 256, 1.0, 0.3);
  const auto wave = RenderPartials(partials, 256, 512, 256.0 * 100.0, [](int, double, double) { return 1.0; });
  ASSERT_EQ(wave.size(), 768u);
  for (std::size_t i = 0; i < 256; ++i) EXPECT_NEAR(wave[512 + i], wave[i], 1e-9);
}
