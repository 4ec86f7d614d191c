// The music library over libopenmpt. One module plays at a time and repeats
// forever until stopped. Live output mixes on SDL's audio thread; a capture pulls
// samples frame by frame so that picture and sound line up to the sample.
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <libopenmpt/libopenmpt.hpp>
#include <memory>
#include <sstream>
#include <vector>

#include "platform/files/files.h"
#include "platform/music/midas.h"
#include "platform/music/music_platform.h"

struct MidasModuleRecord {
  std::unique_ptr<openmpt::module> module;
  std::string fileName;
};

namespace {

struct MusicState {
  MusicOutput output = MusicOutput::Silent;
  bool started = false;
  bool initialised = false;
  bool playingBackground = false;
  SDL_AudioDeviceID device = 0;
  MidasModuleRecord* playing = nullptr;
  MIDASmodulePlayHandle playHandle = 0;
  MIDASmodulePlayHandle nextHandle = 1;
  bool recording = false;
  std::vector<std::string> log;
  std::vector<std::string> failing;
};
MusicState music;

bool Fails(const char* name) {
  return std::find(music.failing.begin(), music.failing.end(), name) != music.failing.end();
}

void Log(const std::string& entry) {
  if (music.recording) music.log.push_back(entry);
}

// Locks out the audio thread while the playing module changes.
struct AudioLock {
  AudioLock() {
    if (music.device) SDL_LockAudioDevice(music.device);
  }
  ~AudioLock() {
    if (music.device) SDL_UnlockAudioDevice(music.device);
  }
};

void RenderInto(std::int16_t* out, int frames) {
  int done = 0;
  if (music.playing) {
    while (done < frames) {
      const std::size_t got = music.playing->module->read_interleaved_stereo(
          kMusicSampleRate, static_cast<std::size_t>(frames - done), out + 2 * done);
      if (got == 0) break;
      done += static_cast<int>(got);
    }
  }
  std::fill(out + 2 * done, out + 2 * frames, std::int16_t{0});
}

void AudioCallback(void*, Uint8* stream, int length) {
  RenderInto(reinterpret_cast<std::int16_t*>(stream), length / 4);
}

bool OpenDevice() {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  SDL_AudioSpec want{};
  want.freq = kMusicSampleRate;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = 1024;
  want.callback = AudioCallback;
  SDL_AudioSpec have{};
  music.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (!music.device) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  SDL_PauseAudioDevice(music.device, 0);
  return true;
}

void CloseDevice() {
  if (!music.device) return;
  SDL_CloseAudioDevice(music.device);
  music.device = 0;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace

void MusicSetOutput(MusicOutput output) { music.output = output; }

void MusicRender(std::int16_t* out, int frames) {
  if (!out || frames <= 0) return;
  AudioLock lock;
  RenderInto(out, frames);
}

void MusicRecordCalls(bool record) {
  music.recording = record;
  music.log.clear();
}
const std::vector<std::string>& MusicCallLog() { return music.log; }
void MusicClearCallLog() { music.log.clear(); }
void MusicFailCall(const std::string& name) { music.failing.push_back(name); }
void MusicClearFailures() { music.failing.clear(); }
MidasModuleRecord* MusicPlayingModule() { return music.playing; }

BOOL MIDASstartup() {
  Log("MIDASstartup");
  if (Fails("MIDASstartup")) return FALSE;
  music.started = true;
  return TRUE;
}

BOOL MIDASsetOption(int option, std::uintptr_t value) {
  Log("MIDASsetOption " + std::to_string(option) + (option == 6 ? std::string() : " " + std::to_string(value)));
  return Fails("MIDASsetOption") ? FALSE : TRUE;
}

BOOL MIDASinit() {
  Log("MIDASinit");
  if (Fails("MIDASinit") || !music.started) return FALSE;
  music.initialised = true;
  return TRUE;
}

BOOL MIDASstartBackgroundPlay(DWORD pollRate) {
  Log("MIDASstartBackgroundPlay " + std::to_string(pollRate));
  if (Fails("MIDASstartBackgroundPlay") || !music.initialised) return FALSE;
  if (music.output == MusicOutput::Live && !OpenDevice()) {
    std::fprintf(stderr, "kavret: no audio device (%s); playing without music\n", SDL_GetError());
    return FALSE;
  }
  music.playingBackground = true;
  return TRUE;
}

MIDASmodule MIDASloadModule(const char* fileName) {
  Log(std::string("MIDASloadModule ") + (fileName ? fileName : "(null)"));
  if (Fails("MIDASloadModule") || !fileName) return nullptr;
  FILE* f = OpenDataFile(fileName, "rb");
  if (!f) {
    std::fprintf(stderr, "kavret: cannot open music module %s\n", fileName);
    return nullptr;
  }
  std::vector<char> bytes;
  char buf[65536];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) bytes.insert(bytes.end(), buf, buf + n);
  std::fclose(f);
  try {
    std::ostringstream quiet;
    auto record = std::make_unique<MidasModuleRecord>();
    record->module = std::make_unique<openmpt::module>(bytes, quiet);
    record->module->set_repeat_count(-1);
    // No dither: the same calls give the same samples on every run (captures).
    record->module->ctl_set_integer("dither", 0);
    record->fileName = fileName;
    return record.release();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kavret: music module %s cannot be read: %s\n", fileName, e.what());
    return nullptr;
  }
}

MIDASmodulePlayHandle MIDASplayModule(MIDASmodule module, BOOL loopSong) {
  Log("MIDASplayModule " + (module ? module->fileName : std::string("(null)")) + " " + std::to_string(loopSong));
  if (Fails("MIDASplayModule") || !module || !music.playingBackground) return 0;
  AudioLock lock;
  module->module->set_position_order_row(0, 0);
  module->module->set_repeat_count(loopSong ? -1 : 0);
  music.playing = module;
  music.playHandle = music.nextHandle++;
  return music.playHandle;
}

BOOL MIDASstopModule(MIDASmodulePlayHandle playHandle) {
  Log("MIDASstopModule " + std::to_string(playHandle));
  if (Fails("MIDASstopModule")) return FALSE;
  if (playHandle == 0 || playHandle != music.playHandle) return FALSE;
  AudioLock lock;
  music.playing = nullptr;
  music.playHandle = 0;
  return TRUE;
}

BOOL MIDASfreeModule(MIDASmodule module) {
  Log("MIDASfreeModule " + (module ? module->fileName : std::string("(null)")));
  if (!module) return FALSE;
  {
    AudioLock lock;
    if (music.playing == module) {
      music.playing = nullptr;
      music.playHandle = 0;
    }
  }
  delete module;
  return TRUE;
}

BOOL MIDASstopBackgroundPlay() {
  Log("MIDASstopBackgroundPlay");
  CloseDevice();
  music.playingBackground = false;
  return TRUE;
}

BOOL MIDASclose() {
  Log("MIDASclose");
  CloseDevice();
  music.playing = nullptr;
  music.playHandle = 0;
  music.initialised = false;
  music.started = false;
  music.playingBackground = false;
  return TRUE;
}
