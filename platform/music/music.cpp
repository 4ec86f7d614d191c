// The music library over libopenmpt. One module plays at a time and repeats
// forever until stopped. Live output mixes on the audio device's own schedule
// (music_device.h); a capture pulls samples frame by frame so that picture and
// sound line up to the sample.
#include <algorithm>
#include <cstdio>
#include <libopenmpt/libopenmpt.hpp>
#include <memory>
#include <sstream>
#include <vector>

#include "platform/files/files.h"
#include "platform/music/midas.h"
#include "platform/music/music_device.h"
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
  bool deviceOpen = false;
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
    if (music.deviceOpen) MusicDeviceLock();
  }
  ~AudioLock() {
    if (music.deviceOpen) MusicDeviceUnlock();
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

bool OpenDevice() {
  music.deviceOpen = MusicDeviceOpen(kMusicSampleRate, RenderInto);
  return music.deviceOpen;
}

void CloseDevice() {
  if (!music.deviceOpen) return;
  MusicDeviceClose();
  music.deviceOpen = false;
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
    std::fprintf(stderr, "kavret: no audio device (%s); playing without music\n", MusicDeviceError());
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
