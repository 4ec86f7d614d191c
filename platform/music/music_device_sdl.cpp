// The music stand-in's live output on an SDL audio device: SDL calls back on
// its own audio thread for each block of samples.
#include <SDL.h>

#include "platform/music/music_device.h"

namespace {

SDL_AudioDeviceID device = 0;
void (*renderSamples)(std::int16_t* out, int frames) = nullptr;

void AudioCallback(void*, Uint8* stream, int length) {
  renderSamples(reinterpret_cast<std::int16_t*>(stream), length / 4);
}

}  // namespace

bool MusicDeviceOpen(int sampleRate, void (*render)(std::int16_t* out, int frames)) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  renderSamples = render;
  SDL_AudioSpec want{};
  want.freq = sampleRate;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = 1024;
  want.callback = AudioCallback;
  SDL_AudioSpec have{};
  device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (!device) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  SDL_PauseAudioDevice(device, 0);
  return true;
}

void MusicDeviceClose() {
  if (!device) return;
  SDL_CloseAudioDevice(device);
  device = 0;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void MusicDeviceLock() {
  if (device) SDL_LockAudioDevice(device);
}

void MusicDeviceUnlock() {
  if (device) SDL_UnlockAudioDevice(device);
}

const char* MusicDeviceError() { return SDL_GetError(); }
