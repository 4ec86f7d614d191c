// An in-memory extended module (XM, version 0x0104) and its writer: header,
// order table, packed patterns, instruments with envelopes and 16-bit
// delta-coded samples.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Note numbers as stored in a pattern: 1 is C-0, 49 is C-4, 96 is B-7.
constexpr std::uint8_t kXmNoNote = 0;
constexpr std::uint8_t kXmKeyOff = 97;

// Effect numbers of the pattern's effect column.
enum XmEffect : std::uint8_t {
  kFxArpeggio = 0x00,
  kFxPortaUp = 0x01,
  kFxPortaDown = 0x02,
  kFxTonePorta = 0x03,
  kFxVibrato = 0x04,
  kFxVolSlide = 0x0A,
  kFxPositionJump = 0x0B,
  kFxSetVolume = 0x0C,
  kFxPatternBreak = 0x0D,
  kFxExtended = 0x0E,
  kFxSpeed = 0x0F,  // below 32: ticks per row, else BPM
  kFxGlobalVolume = 0x10,
  kFxSetPanning = 0x08,
};

// One cell of a pattern. volume holds the volume column byte as stored
// (0x10 + v sets volume v of 0..64; 0 is empty).
struct XmCell {
  std::uint8_t note = kXmNoNote;
  std::uint8_t instrument = 0;
  std::uint8_t volume = 0;
  std::uint8_t effect = 0;
  std::uint8_t param = 0;

  bool operator==(const XmCell&) const = default;
};

struct XmPattern {
  int rows = 64;
  // rows * channel count cells, row-major.
  std::vector<XmCell> cells;
};

struct XmEnvelopePoint {
  std::uint16_t tick = 0;
  std::uint16_t value = 0;  // 0..64
};

struct XmEnvelope {
  std::vector<XmEnvelopePoint> points;  // at most 12, ticks rising
  bool enabled = false;
  int sustain = -1;  // point index, or -1 for none
  int loopStart = -1;
  int loopEnd = -1;
};

enum class XmLoop : std::uint8_t { kNone = 0, kForward = 1, kPingPong = 2 };

struct XmSample {
  std::string name;
  std::vector<std::int16_t> data;
  // Loop bounds in sample frames.
  std::uint32_t loopStart = 0;
  std::uint32_t loopLength = 0;
  XmLoop loop = XmLoop::kNone;
  std::uint8_t volume = 64;  // 0..64
  std::int8_t finetune = 0;  // 1/128 semitone
  std::uint8_t panning = 128;
  std::int8_t relativeNote = 0;
};

struct XmInstrument {
  std::string name;
  std::vector<XmSample> samples;
  // Sample index for each of the 96 notes.
  std::array<std::uint8_t, 96> keymap{};
  XmEnvelope volumeEnvelope;
  XmEnvelope panningEnvelope;
  std::uint8_t vibratoType = 0;  // 0 sine, 1 square, 2 ramp down, 3 ramp up
  std::uint8_t vibratoSweep = 0;
  std::uint8_t vibratoDepth = 0;
  std::uint8_t vibratoRate = 0;
  std::uint16_t fadeout = 0;
};

struct XmModule {
  std::string name;
  std::string tracker = "kavret-content";
  int channels = 8;
  std::vector<std::uint8_t> orders;
  int restartPosition = 0;
  bool linearFrequencies = true;
  int speed = 6;  // ticks per row
  int bpm = 125;
  std::vector<XmPattern> patterns;
  std::vector<XmInstrument> instruments;
};

// A blank pattern of the given size for a module with `channels` channels.
XmPattern MakeXmPattern(int channels, int rows);

// Checks the limits of the format; on failure says why in `why`.
bool ValidateXm(const XmModule& module, std::string* why);

// The module as the bytes of an .xm file, or an empty vector when it does not
// fit the format (see ValidateXm).
std::vector<std::uint8_t> WriteXm(const XmModule& module);
