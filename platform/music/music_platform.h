// What the music stand-in offers beyond the library's calls: where the sound
// goes, rendering on demand for a capture, and a record of calls for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class MusicOutput {
  Live,     // an SDL audio device; the library mixes on SDL's audio thread
  Silent,   // no device: the same state machine, nothing is heard
  Capture,  // no device: MusicRender pulls samples frame by frame
};

void MusicSetOutput(MusicOutput output);

constexpr int kMusicSampleRate = 48000;

// Capture: renders `frames` stereo sample frames (interleaved 16-bit) of the
// playing module into `out`; silence when nothing plays.
void MusicRender(std::int16_t* out, int frames);

// Every library call, by name, in order ("MIDASloadModule Midas\t1.xm"), kept
// only while recording is switched on (tests); a normal run keeps none.
// Switching either way empties the log.
void MusicRecordCalls(bool record);
const std::vector<std::string>& MusicCallLog();
void MusicClearCallLog();
// Makes every later call of the named function fail until cleared.
void MusicFailCall(const std::string& name);
void MusicClearFailures();
// The module playing now, or null.
struct MidasModuleRecord* MusicPlayingModule();
