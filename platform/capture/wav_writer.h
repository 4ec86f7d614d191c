// A 16-bit stereo PCM WAV file written as the samples arrive.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

struct WavWriter {
  FILE* file = nullptr;
  std::uint32_t sampleRate = 0;
  std::uint64_t frames = 0;  // stereo sample frames written
};

bool WavOpen(WavWriter* wav, const std::string& path, std::uint32_t sampleRate);
bool WavWrite(WavWriter* wav, const std::int16_t* interleaved, int frames);
// Writes the sizes into the header and closes the file.
bool WavClose(WavWriter* wav);
