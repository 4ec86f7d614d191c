// The fixed clock of a capture: samples per frame with the remainder carried,
// so N frames at F per second hold exactly N * rate / F samples.
#pragma once

#include <cstdint>

// Samples that belong to frame `index` (0-based) at `fps` frames per second.
inline int SamplesForFrame(std::int64_t index, int sampleRate, int fps) {
  const std::int64_t start = index * sampleRate / fps;
  const std::int64_t end = (index + 1) * sampleRate / fps;
  return static_cast<int>(end - start);
}
