// WAV output for captures: a RIFF header whose sizes are filled in at the end.
#include "platform/capture/wav_writer.h"

namespace {

void Put32(unsigned char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
void Put16(unsigned char* p, std::uint16_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}

bool WriteHeader(WavWriter* wav) {
  unsigned char h[44] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
  const std::uint64_t dataBytes = wav->frames * 4;
  // A file too long for RIFF's 32-bit sizes keeps the largest size it can state.
  const std::uint32_t data = dataBytes > 0xFFFFFFD0u ? 0xFFFFFFD0u : static_cast<std::uint32_t>(dataBytes);
  Put32(h + 4, 36 + data);
  Put32(h + 16, 16);
  Put16(h + 20, 1);  // PCM
  Put16(h + 22, 2);  // stereo
  Put32(h + 24, wav->sampleRate);
  Put32(h + 28, wav->sampleRate * 4);
  Put16(h + 32, 4);
  Put16(h + 34, 16);
  h[36] = 'd';
  h[37] = 'a';
  h[38] = 't';
  h[39] = 'a';
  Put32(h + 40, data);
  return std::fseek(wav->file, 0, SEEK_SET) == 0 && std::fwrite(h, 1, sizeof h, wav->file) == sizeof h;
}

}  // namespace

bool WavOpen(WavWriter* wav, const std::string& path, std::uint32_t sampleRate) {
  wav->file = std::fopen(path.c_str(), "wb");
  wav->sampleRate = sampleRate;
  wav->frames = 0;
  return wav->file && WriteHeader(wav);
}

bool WavWrite(WavWriter* wav, const std::int16_t* interleaved, int frames) {
  if (!wav->file || frames <= 0) return frames == 0;
  // Little-endian on disk; this machine is little-endian too.
  const std::size_t n = static_cast<std::size_t>(frames) * 2;
  if (std::fwrite(interleaved, sizeof(std::int16_t), n, wav->file) != n) return false;
  wav->frames += static_cast<std::uint64_t>(frames);
  return true;
}

bool WavClose(WavWriter* wav) {
  if (!wav->file) return false;
  const bool ok = WriteHeader(wav);
  const bool closed = std::fclose(wav->file) == 0;
  wav->file = nullptr;
  return ok && closed;
}
