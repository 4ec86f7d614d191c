// Writing music into a module: a score is one long row timeline per channel;
// melodies, drum steps, bass lines and chords are written into it in a
// compact text notation, and the finished score is cut into 64-row patterns
// with repeats shared.
//
// Notation, one token per row, spaces and '|' (bar lines) only separate:
//   C5 D#4 Bb3   a note (octave digit 0..7)
//   .            nothing on this row
//   ^            key off (the instrument releases)
//   C5:40        a note at volume 40 (0..64)
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "tools/content/music/xm_writer.h"

constexpr int kRowsPerBar = 16;

// What a set of pad channels is holding, carried from one WritePads call to
// the next so that sections join smoothly.
struct PadState {
  std::vector<int> notes;  // the voicing now sounding, empty before the first chord
  int group = 0;           // which of the two channel groups holds it
};

struct Score {
  int channels = 0;
  std::vector<std::vector<XmCell>> tracks;  // one row timeline per channel
  // The song's length in rows; anything written beyond it (an echo's tail)
  // is dropped. 0: as long as the longest track.
  int end = 0;
  std::map<int, PadState> pads;  // by the pads' first channel

  explicit Score(int channelCount);
  int Rows() const;
  // The cell at (channel, row); the timeline grows to reach it.
  XmCell& At(int channel, int row);
};

// A chord: root as a pitch class 0..11 (C = 0) and the pitch classes above it.
struct Chord {
  int root = 0;
  std::vector<int> intervals;  // semitones above the root, ascending, first 0
};

// "Am", "F", "Cmaj7", "Dm7", "G7", "Esus4", "E", "Bb", "F#m", "C5" (power
// chord), "Cadd9". An unknown symbol makes an empty chord.
Chord ParseChord(std::string_view symbol);
// One chord per bar: "Am F C G".
std::vector<Chord> ParseChords(std::string_view symbols);

// XM note number for "C5", "D#4", "Bb3", or 0 when it is not a note.
int ParseNote(std::string_view token);

// Writes a melody starting at `row`; returns the row after its last token.
// `transpose` shifts every note by that many semitones.
int WriteMelody(Score& score, int channel, int row, int instrument, std::string_view notes, int volume = 64,
                int transpose = 0);

// Drum steps: 'x' at `volume`, 'o' at 70% of it, 'g' (ghost) at 45%, '.'
// rest, '^' key off; the step string repeats to fill `bars` bars.
void WriteDrums(Score& score, int channel, int row, int bars, int instrument, std::string_view steps, int volume = 64,
                int note = 49);

// A bass line over one chord per bar, using a per-bar rhythm of chord
// degrees: 'R' root, '3' third, '5' fifth, '8' octave, '7' seventh (minor
// seventh unless the chord has a major one), '.' rest, '^' key off. Roots sit
// between `lowest` and `lowest + 11`.
void WriteBass(Score& score, int channel, int row, int instrument, const std::vector<Chord>& chords,
               std::string_view rhythm, int lowest, int volume = 64);

// Chords, one per bar, voiced close around `centre` and moving as little as
// possible from chord to chord. A chord repeated in the next bar is held,
// not struck again. With `alternate`, chords take turns on two groups of
// `voices` channels from `firstChannel`, so that one chord's release
// overlaps the next one's attack instead of being cut; otherwise one group,
// where voices whose note stays are held. A key-off ends the last chord when
// `release`.
void WritePads(Score& score, int firstChannel, int voices, int row, int instrument, const std::vector<Chord>& chords,
               int centre, int volume, bool release, bool alternate = true);

// An arpeggio over one chord per bar: `pattern` lists chord-tone indices per
// row (0..9, counting up through the chord tones and octaves; '.' rest), and
// repeats to fill each bar. Tones start at the first chord tone at or above `lowest`.
void WriteArpeggio(Score& score, int channel, int row, int instrument, const std::vector<Chord>& chords,
                   std::string_view pattern, int lowest, int volume);

// Chip chords: the chord's root at or above `lowest`, struck on the bar and
// cycled through its third and fifth every tick by the arpeggio effect.
void WriteChipChords(Score& score, int channel, int row, int instrument, const std::vector<Chord>& chords, int lowest,
                     int volume);

// Copies the notes of `from` into `to` `delay` rows later at volume scaled by
// `level`, and pans `to` with the panning effect on its first row: the
// tracker echo of the period. Rows from `row` for `rows` rows are copied.
void WriteEcho(Score& score, int from, int to, int row, int rows, int delay, double level, int panning);

// An effect on one cell.
void WriteEffect(Score& score, int channel, int row, std::uint8_t effect, std::uint8_t param);

// Cuts the score into 64-row patterns (the last one shorter if need be), sharing identical
// ones, and fills the module's patterns and order list. loopRow is where the
// song restarts at its end; it must be on a pattern boundary.
bool BuildPatterns(const Score& score, int loopRow, XmModule& module);
