// The music stand-in's live output through Web Audio: a script processor node
// on the page's audio context (made when the person pressed OK, since browsers
// start sound only after a click) pulls blocks of samples from the module
// playing, between frames, on the page's one thread.
#include <emscripten.h>

#include <algorithm>
#include <vector>

#include "platform/music/music_device.h"

EM_JS(int, WebAudioStart, (int sampleRate), {
  return Module.kavretAudioStart ? Module.kavretAudioStart(sampleRate) : 0;
});
EM_JS(void, WebAudioStop, (), {
  if (Module.kavretAudioStop) Module.kavretAudioStop();
});

namespace {

void (*renderSamples)(std::int16_t* out, int frames) = nullptr;
std::vector<std::int16_t> block;
const char* lastError = "";

}  // namespace

// Called by the page's audio node: `frames` stereo frames into the block, whose
// address it returns.
extern "C" EMSCRIPTEN_KEEPALIVE std::int16_t* kavret_music_pull(int frames) {
  block.resize(static_cast<std::size_t>(frames) * 2);
  if (renderSamples) renderSamples(block.data(), frames);
  else std::fill(block.begin(), block.end(), std::int16_t{0});
  return block.data();
}

bool MusicDeviceOpen(int sampleRate, void (*render)(std::int16_t* out, int frames)) {
  renderSamples = render;
  const int ok = WebAudioStart(sampleRate);
  if (!ok) {
    renderSamples = nullptr;
    lastError = "the page has no audio output";
  }
  return ok != 0;
}

void MusicDeviceClose() {
  WebAudioStop();
  renderSamples = nullptr;
}

// One thread: the node never runs while the program does.
void MusicDeviceLock() {}
void MusicDeviceUnlock() {}

const char* MusicDeviceError() { return lastError; }
