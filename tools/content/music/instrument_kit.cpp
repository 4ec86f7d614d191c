// Shared helpers of the instrument makers; see instrument_kit.h.
#include "tools/content/music/instrument_kit.h"

#include <algorithm>
#include <cmath>

XmInstrument OneSample(const char* name, XmSample sample) {
  XmInstrument ins;
  ins.name = name;
  ins.samples.push_back(std::move(sample));
  return ins;
}

void SetVolumeEnvelope(XmInstrument& ins, int bpm, std::initializer_list<std::pair<double, int>> points, int sustain) {
  const double tickSeconds = 2.5 / bpm;
  XmEnvelope env;
  env.enabled = true;
  env.sustain = sustain;
  for (const auto& [seconds, value] : points) {
    auto tick = static_cast<std::uint16_t>(std::lround(seconds / tickSeconds));
    // Points closer than a tick still need rising positions.
    if (!env.points.empty() && tick <= env.points.back().tick) tick = env.points.back().tick + 1;
    env.points.push_back({tick, static_cast<std::uint16_t>(std::clamp(value, 0, 64))});
  }
  ins.volumeEnvelope = env;
}

std::uint16_t FadeoutFor(double seconds, int bpm) {
  // The fade level starts at 65536 and loses `fadeout` each tick.
  const double ticks = std::max(1.0, seconds / (2.5 / bpm));
  return static_cast<std::uint16_t>(std::clamp(65536.0 / ticks, 1.0, 4095.0));
}

void FadeTail(std::vector<double>& x, double rate, double seconds) {
  const auto n = std::min(x.size(), static_cast<std::size_t>(rate * seconds));
  for (std::size_t i = 0; i < n; ++i) x[x.size() - 1 - i] *= static_cast<double>(i) / static_cast<double>(n);
}
