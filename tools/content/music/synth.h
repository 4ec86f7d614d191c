// The small synthesiser behind the music's instruments: a fixed-seed random
// generator, filters, an inverse FFT for spectral (perfectly looping) tones,
// additive tones that settle into a loop, and conversion to XM samples.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "tools/content/music/xm_writer.h"

constexpr double kPi = 3.14159265358979323846;

// xorshift32 with a fixed seed per use, so every build makes the same sounds.
struct SynthRng {
  std::uint32_t state;
  explicit SynthRng(std::uint32_t seed) : state(seed ? seed : 0x9E3779B9u) {}
  std::uint32_t Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
  // Uniform in [0, 1).
  double Unit() { return (Next() >> 8) * (1.0 / 16777216.0); }
  // Uniform in [-1, 1).
  double Signed() { return Unit() * 2.0 - 1.0; }
};

// Chamberlin state-variable filter: one step gives low, band and high pass.
struct SvFilter {
  double low = 0, band = 0, high = 0;
  // cutoff in Hz (kept below a sixth of the rate for stability), q damping 0..2.
  void Step(double in, double cutoff, double damping, double rate);
};

// Harmonic partial of an additive tone: `cycles` whole cycles per loop.
struct Partial {
  int cycles = 1;
  double amp = 1.0;
  double phase = 0.0;  // in turns
};

// gain(partial index, frequency in Hz, time in s) shapes each partial over time.
using PartialGain = std::function<double(int, double, double)>;

// An additive tone of `attack + loop` frames: partials are whole-cycle
// multiples over `loop` frames, and their gains freeze at the loop start, so
// the last `loop` frames repeat without a seam. attack must be a multiple of loop.
std::vector<double> RenderPartials(const std::vector<Partial>& partials, int loop, int attack, double rate,
                                   const PartialGain& gain);

// Band-limited sawtooth partials for a tone of `cycles` cycles per loop frames
// (harmonics stay below the Nyquist frequency of the loop).
std::vector<Partial> SawPartials(int cycles, int loop, double amp, double phaseSeed);
// Band-limited pulse of the given duty (0.5 square) as partials.
std::vector<Partial> PulsePartials(int cycles, int loop, double duty, double amp);

// One harmonic of a spectral tone: frequency multiple, level, and its spread.
struct PadHarmonic {
  double freq;  // Hz
  double amp;
  double bandwidth;  // Hz, the width of the Gaussian around freq
};

// A tone made in the frequency domain with random phases and turned into
// `size` frames (a power of two) by one inverse FFT: it loops seamlessly.
std::vector<double> RenderSpectral(const std::vector<PadHarmonic>& harmonics, int size, double rate,
                                   std::uint32_t seed);

// In-place complex FFT of a power-of-two size; inverse when `inverse`.
void Fft(std::vector<double>& re, std::vector<double>& im, bool inverse);

// Scales so that the largest magnitude is `peak` (0..1).
void Normalize(std::vector<double>& x, double peak);
// tanh-style saturation with a drive factor, keeping the level near 1.
void Saturate(std::vector<double>& x, double drive);

// A sample from floats in -1..1. baseHz is the pitch the data holds at
// `rate`; the sample is tuned so that a note plays at equal temperament with
// A-4 at 440 Hz. Use baseHz 0 for unpitched sounds, which then play at their
// own rate on C-4.
XmSample MakeSample(const char* name, const std::vector<double>& data, double rate, double baseHz);
void SetLoop(XmSample& sample, std::uint32_t start, std::uint32_t length, XmLoop loop = XmLoop::kForward);

// Frequency in Hz of an XM note number (49 = C-4, 58 = A-4 = 440 Hz).
double NoteHz(int note);

// Noise shaped in the frequency domain (shape(Hz) is the magnitude), `size`
// frames long (a power of two), looping seamlessly.
std::vector<double> RenderSpectralNoise(int size, double rate, std::uint32_t seed,
                                        const std::function<double(double)>& shape);
