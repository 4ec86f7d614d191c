// The synthesiser's building blocks; see synth.h.
#include "tools/content/music/synth.h"

#include <algorithm>
#include <cmath>

void SvFilter::Step(double in, double cutoff, double damping, double rate) {
  const double f = 2.0 * std::sin(kPi * std::min(cutoff, rate / 6.0) / rate);
  low += f * band;
  high = in - low - damping * band;
  band += f * high;
}

std::vector<double> RenderPartials(const std::vector<Partial>& partials, int loop, int attack, double rate,
                                   const PartialGain& gain) {
  const int total = attack + loop;
  std::vector<double> out(static_cast<std::size_t>(total), 0.0);
  // One table of a single cycle over the loop length: each partial reads it at
  // an integer stride, so its phase is exact at every frame.
  std::vector<double> table(static_cast<std::size_t>(loop));
  for (int i = 0; i < loop; ++i) table[static_cast<std::size_t>(i)] = std::sin(2.0 * kPi * i / loop);
  // Gains change slowly: evaluate them every 32 frames and interpolate.
  constexpr int kStep = 32;
  for (std::size_t p = 0; p < partials.size(); ++p) {
    const Partial& pt = partials[p];
    const double hz = pt.cycles * rate / loop;
    const auto offset = static_cast<long long>(std::llround(pt.phase * loop)) % loop;
    double g0 = gain(static_cast<int>(p), hz, 0.0);
    for (int start = 0; start < total; start += kStep) {
      const int end = std::min(total, start + kStep);
      const int frozen = std::min(end, attack);
      const double g1 = gain(static_cast<int>(p), hz, frozen / rate);
      if (g0 == 0.0 && g1 == 0.0) {
        g0 = g1;
        continue;
      }
      for (int n = start; n < end; ++n) {
        // Inside the loop the gain holds its value from the loop start.
        const double g = n >= attack ? g1 : g0 + (g1 - g0) * (n - start) / kStep;
        const long long idx = (static_cast<long long>(pt.cycles) * n + offset) % loop;
        out[static_cast<std::size_t>(n)] += pt.amp * g * table[static_cast<std::size_t>(idx)];
      }
      g0 = g1;
    }
  }
  return out;
}

std::vector<Partial> SawPartials(int cycles, int loop, double amp, double phaseSeed) {
  std::vector<Partial> out;
  SynthRng rng(static_cast<std::uint32_t>(phaseSeed * 1000003.0) + 17u);
  for (int h = 1; cycles * h < loop / 2; ++h) out.push_back({cycles * h, amp / h, phaseSeed == 0.0 ? 0.0 : rng.Unit()});
  return out;
}

std::vector<Partial> PulsePartials(int cycles, int loop, double duty, double amp) {
  std::vector<Partial> out;
  for (int h = 1; cycles * h < loop / 2; ++h) {
    // Fourier series of a pulse: sin(pi h d) / h, as a cosine at the pulse centre.
    const double a = 2.0 * std::sin(kPi * h * duty) / (kPi * h);
    if (std::fabs(a) < 1e-6) continue;
    out.push_back({cycles * h, amp * a, 0.25});
  }
  return out;
}

void Fft(std::vector<double>& re, std::vector<double>& im, bool inverse) {
  const std::size_t n = re.size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) {
      std::swap(re[i], re[j]);
      std::swap(im[i], im[j]);
    }
  }
  for (std::size_t len = 2; len <= n; len <<= 1) {
    const double ang = 2.0 * kPi / static_cast<double>(len) * (inverse ? 1.0 : -1.0);
    const double wr = std::cos(ang), wi = std::sin(ang);
    for (std::size_t i = 0; i < n; i += len) {
      double cr = 1.0, ci = 0.0;
      for (std::size_t k = 0; k < len / 2; ++k) {
        const std::size_t a = i + k, b = i + k + len / 2;
        const double tr = re[b] * cr - im[b] * ci;
        const double ti = re[b] * ci + im[b] * cr;
        re[b] = re[a] - tr;
        im[b] = im[a] - ti;
        re[a] += tr;
        im[a] += ti;
        const double nr = cr * wr - ci * wi;
        ci = cr * wi + ci * wr;
        cr = nr;
      }
    }
  }
}

std::vector<double> RenderSpectral(const std::vector<PadHarmonic>& harmonics, int size, double rate,
                                   std::uint32_t seed) {
  const std::size_t n = static_cast<std::size_t>(size);
  std::vector<double> mag(n / 2, 0.0);
  const double binHz = rate / size;
  for (const PadHarmonic& h : harmonics) {
    if (h.freq <= 0.0 || h.freq >= rate / 2) continue;
    const double sigma = std::max(h.bandwidth, binHz) / binHz;
    const double centre = h.freq / binHz;
    const int lo = std::max(1, static_cast<int>(centre - 4 * sigma));
    const int hi = std::min(static_cast<int>(n / 2) - 1, static_cast<int>(centre + 4 * sigma) + 1);
    // Amplitude spread over the Gaussian so that wide and narrow harmonics
    // carry the same energy.
    const double norm = h.amp / std::sqrt(sigma);
    for (int b = lo; b <= hi; ++b) {
      const double d = (b - centre) / sigma;
      mag[static_cast<std::size_t>(b)] += norm * std::exp(-d * d);
    }
  }
  std::vector<double> re(n, 0.0), im(n, 0.0);
  SynthRng rng(seed);
  for (std::size_t b = 1; b < n / 2; ++b) {
    const double ph = 2.0 * kPi * rng.Unit();
    re[b] = mag[b] * std::cos(ph);
    im[b] = mag[b] * std::sin(ph);
    re[n - b] = re[b];
    im[n - b] = -im[b];
  }
  Fft(re, im, true);
  return re;
}

void Normalize(std::vector<double>& x, double peak) {
  double m = 0.0;
  for (double v : x) m = std::max(m, std::fabs(v));
  if (m <= 0.0) return;
  for (double& v : x) v *= peak / m;
}

void Saturate(std::vector<double>& x, double drive) {
  const double k = std::tanh(drive);
  for (double& v : x) v = std::tanh(v * drive) / k;
}

double NoteHz(int note) { return 440.0 * std::pow(2.0, (note - 58) / 12.0); }

XmSample MakeSample(const char* name, const std::vector<double>& data, double rate, double baseHz) {
  XmSample s;
  s.name = name;
  s.data.reserve(data.size());
  for (double v : data) {
    const double c = std::clamp(v, -1.0, 1.0) * 32767.0;
    s.data.push_back(static_cast<std::int16_t>(std::lround(c)));
  }
  // With linear frequencies, note n plays at 8363 * 2^((n - 49 + rel + ft/128) / 12) Hz.
  // Pitched: the data's baseHz must come out at NoteHz(n) = 440 * 2^((n - 58) / 12).
  // Unpitched: C-4 plays at the data's own rate.
  const double semis =
      baseHz > 0.0 ? 12.0 * std::log2(440.0 * rate / (8363.0 * baseHz)) - 9.0 : 12.0 * std::log2(rate / 8363.0);
  const long steps = std::lround(semis * 128.0);
  const long rel = static_cast<long>(std::floor(steps / 128.0));
  s.relativeNote = static_cast<std::int8_t>(rel);
  s.finetune = static_cast<std::int8_t>(steps - rel * 128);
  return s;
}

void SetLoop(XmSample& sample, std::uint32_t start, std::uint32_t length, XmLoop loop) {
  sample.loopStart = start;
  sample.loopLength = length;
  sample.loop = loop;
}

std::vector<double> RenderSpectralNoise(int size, double rate, std::uint32_t seed,
                                        const std::function<double(double)>& shape) {
  const std::size_t n = static_cast<std::size_t>(size);
  std::vector<double> re(n, 0.0), im(n, 0.0);
  SynthRng rng(seed);
  for (std::size_t b = 1; b < n / 2; ++b) {
    const double mag = shape(static_cast<double>(b) * rate / size);
    const double ph = 2.0 * kPi * rng.Unit();
    re[b] = mag * std::cos(ph);
    im[b] = mag * std::sin(ph);
    re[n - b] = re[b];
    im[n - b] = -im[b];
  }
  Fft(re, im, true);
  return re;
}
