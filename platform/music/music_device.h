// The live audio output behind the music stand-in (platform/music and its web
// twin only): SDL's audio device natively (music_device_sdl.cpp), Web Audio in
// a browser. The device asks for stereo 16-bit samples on its own schedule.
#pragma once

#include <cstdint>

// Opens the device at `sampleRate` and starts pulling interleaved stereo
// frames from `render`; false when there is no device.
bool MusicDeviceOpen(int sampleRate, void (*render)(std::int16_t* out, int frames));
void MusicDeviceClose();
// Keeps `render` from running (it may run on another thread) while held.
void MusicDeviceLock();
void MusicDeviceUnlock();
// Why the last open failed.
const char* MusicDeviceError();
