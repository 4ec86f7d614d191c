// The score and its text notation; see compose.h.
#include "tools/content/music/compose.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int kPatternRows = 64;

// Splits on spaces and bar lines.
std::vector<std::string_view> Tokens(std::string_view text) {
  std::vector<std::string_view> out;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '|' || text[i] == '\n')) ++i;
    const std::size_t start = i;
    while (i < text.size() && text[i] != ' ' && text[i] != '|' && text[i] != '\n') ++i;
    if (i > start) out.push_back(text.substr(start, i - start));
  }
  return out;
}

int PitchClass(char letter) {
  static const int kClasses[] = {9, 11, 0, 2, 4, 5, 7};  // A..G
  const char up = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  return up >= 'A' && up <= 'G' ? kClasses[up - 'A'] : -1;
}

std::uint8_t VolumeColumn(int volume) { return static_cast<std::uint8_t>(0x10 + std::clamp(volume, 0, 64)); }

// The chord's pitch classes from the lowest tone at or above `lowest`,
// continuing upwards through octaves.
std::vector<int> ChordLadder(const Chord& chord, int lowest, int count) {
  std::vector<int> out;
  for (int octave = 0; static_cast<int>(out.size()) < count && octave < 10; ++octave)
    for (int iv : chord.intervals) {
      // Absolute note: root placed in the octave at or just below `lowest`.
      const int base = lowest - ((lowest - 1 - chord.root) % 12 + 12) % 12;
      const int n = base + iv + 12 * octave;
      if (n >= lowest && static_cast<int>(out.size()) < count) out.push_back(n);
    }
  std::sort(out.begin(), out.end());
  return out;
}

// The note of the chord's root in lowest..lowest + 11.
int RootAtOrAbove(const Chord& chord, int lowest) { return lowest + ((chord.root - (lowest - 1)) % 12 + 12) % 12; }

}  // namespace

Score::Score(int channelCount) : channels(channelCount), tracks(static_cast<std::size_t>(channelCount)) {}

int Score::Rows() const {
  if (end > 0) return end;
  std::size_t rows = 0;
  for (const auto& t : tracks) rows = std::max(rows, t.size());
  return static_cast<int>(rows);
}

XmCell& Score::At(int channel, int row) {
  auto& t = tracks[static_cast<std::size_t>(channel)];
  if (t.size() <= static_cast<std::size_t>(row)) t.resize(static_cast<std::size_t>(row) + 1);
  return t[static_cast<std::size_t>(row)];
}

int ParseNote(std::string_view token) {
  if (token.size() < 2) return 0;
  int pc = PitchClass(token[0]);
  if (pc < 0) return 0;
  std::size_t i = 1;
  if (token[i] == '#') {
    ++pc;
    ++i;
  } else if (token[i] == 'b') {
    --pc;
    ++i;
  }
  if (i + 1 != token.size() || token[i] < '0' || token[i] > '7') return 0;
  const int note = 1 + 12 * (token[i] - '0') + pc;
  return note >= 1 && note <= 96 ? note : 0;
}

Chord ParseChord(std::string_view symbol) {
  Chord c;
  if (symbol.empty() || PitchClass(symbol[0]) < 0) return c;
  c.root = PitchClass(symbol[0]);
  std::size_t i = 1;
  if (i < symbol.size() && (symbol[i] == '#' || symbol[i] == 'b')) {
    c.root = (c.root + (symbol[i] == '#' ? 1 : 11)) % 12;
    ++i;
  }
  const std::string_view q = symbol.substr(i);
  if (q.empty())
    c.intervals = {0, 4, 7};
  else if (q == "m")
    c.intervals = {0, 3, 7};
  else if (q == "7")
    c.intervals = {0, 4, 7, 10};
  else if (q == "m7")
    c.intervals = {0, 3, 7, 10};
  else if (q == "maj7")
    c.intervals = {0, 4, 7, 11};
  else if (q == "sus4")
    c.intervals = {0, 5, 7};
  else if (q == "sus2")
    c.intervals = {0, 2, 7};
  else if (q == "add9")
    c.intervals = {0, 2, 4, 7};
  else if (q == "madd9")
    c.intervals = {0, 2, 3, 7};
  else if (q == "5")
    c.intervals = {0, 7};
  return c;
}

std::vector<Chord> ParseChords(std::string_view symbols) {
  std::vector<Chord> out;
  for (std::string_view t : Tokens(symbols)) out.push_back(ParseChord(t));
  return out;
}

int WriteMelody(Score& score, int channel, int row, int instrument, std::string_view notes, int volume, int transpose) {
  for (std::string_view t : Tokens(notes)) {
    if (t == "^") {
      score.At(channel, row).note = kXmKeyOff;
    } else if (t != ".") {
      int vol = volume;
      const std::size_t colon = t.find(':');
      if (colon != std::string_view::npos) {
        vol = std::atoi(std::string(t.substr(colon + 1)).c_str());
        t = t.substr(0, colon);
      }
      const int parsed = ParseNote(t);
      const int note = parsed ? std::clamp(parsed + transpose, 1, 96) : 0;
      if (note) {
        XmCell& c = score.At(channel, row);
        c.note = static_cast<std::uint8_t>(note);
        c.instrument = static_cast<std::uint8_t>(instrument);
        c.volume = VolumeColumn(vol);
      }
    }
    ++row;
  }
  return row;
}

void WriteDrums(Score& score, int channel, int row, int bars, int instrument, std::string_view steps, int volume,
                int note) {
  std::string compact;
  for (char ch : steps)
    if (ch != ' ' && ch != '|') compact.push_back(ch);
  if (compact.empty()) return;
  for (int i = 0; i < bars * kRowsPerBar; ++i) {
    const char s = compact[static_cast<std::size_t>(i) % compact.size()];
    if (s == '.') continue;
    XmCell& c = score.At(channel, row + i);
    if (s == '^') {
      c.note = kXmKeyOff;
      continue;
    }
    const int vol = s == 'x' ? volume : s == 'o' ? volume * 70 / 100 : volume * 45 / 100;
    c.note = static_cast<std::uint8_t>(note);
    c.instrument = static_cast<std::uint8_t>(instrument);
    c.volume = VolumeColumn(vol);
  }
}

void WriteBass(Score& score, int channel, int row, int instrument, const std::vector<Chord>& chords,
               std::string_view rhythm, int lowest, int volume) {
  std::string steps;
  for (char ch : rhythm)
    if (ch != ' ' && ch != '|') steps.push_back(ch);
  if (steps.empty()) return;
  for (std::size_t bar = 0; bar < chords.size(); ++bar) {
    const Chord& chord = chords[bar];
    if (chord.intervals.empty()) continue;
    const int root = RootAtOrAbove(chord, lowest);
    const bool minorThird = std::find(chord.intervals.begin(), chord.intervals.end(), 3) != chord.intervals.end();
    const bool majorSeventh = std::find(chord.intervals.begin(), chord.intervals.end(), 11) != chord.intervals.end();
    for (int i = 0; i < kRowsPerBar; ++i) {
      const char s = steps[static_cast<std::size_t>(i) % steps.size()];
      const int at = row + static_cast<int>(bar) * kRowsPerBar + i;
      int note = 0;
      switch (s) {
        case 'R':
          note = root;
          break;
        case '3':
          note = root + (minorThird ? 3 : 4);
          break;
        case '5':
          note = root + 7;
          break;
        case '7':
          note = root + (majorSeventh ? 11 : 10);
          break;
        case '8':
          note = root + 12;
          break;
        case '^':
          score.At(channel, at).note = kXmKeyOff;
          continue;
        default:
          continue;
      }
      XmCell& c = score.At(channel, at);
      c.note = static_cast<std::uint8_t>(note);
      c.instrument = static_cast<std::uint8_t>(instrument);
      c.volume = VolumeColumn(volume);
    }
  }
}

void WritePads(Score& score, int firstChannel, int voices, int row, int instrument, const std::vector<Chord>& chords,
               int centre, int volume, bool release, bool alternate) {
  PadState& state = score.pads[firstChannel];
  auto channelOf = [&](int group, int voice) { return firstChannel + (alternate ? group * voices : 0) + voice; };
  for (std::size_t bar = 0; bar < chords.size(); ++bar) {
    const Chord& chord = chords[bar];
    if (chord.intervals.empty()) continue;
    // Try every close voicing whose lowest note lies within a sixth below
    // `centre` and keep the one that moves least from the last chord.
    std::vector<int> best;
    int bestCost = 1 << 30;
    for (int low = centre - 9; low <= centre; ++low) {
      const auto v = ChordLadder(chord, low, voices);
      if (static_cast<int>(v.size()) < voices || v[0] != low) continue;
      int cost = 0;
      if (state.notes.empty()) {
        cost = std::abs(v[static_cast<std::size_t>(voices / 2)] - centre);
      } else {
        for (int k = 0; k < voices; ++k)
          cost += std::abs(v[static_cast<std::size_t>(k)] - state.notes[static_cast<std::size_t>(k)]);
      }
      if (cost < bestCost) {
        bestCost = cost;
        best = v;
      }
    }
    if (best.empty() || best == state.notes) continue;
    const int at = row + static_cast<int>(bar) * kRowsPerBar;
    const bool sounding = !state.notes.empty();
    const int group = alternate && sounding ? 1 - state.group : state.group;
    for (int k = 0; k < voices; ++k) {
      const int n = best[static_cast<std::size_t>(k)];
      if (alternate && sounding) {
        score.At(channelOf(state.group, k), at).note = kXmKeyOff;
      } else if (sounding && state.notes[static_cast<std::size_t>(k)] == n) {
        continue;  // a voice that keeps its note sustains
      }
      XmCell& c = score.At(channelOf(group, k), at);
      c.note = static_cast<std::uint8_t>(n);
      c.instrument = static_cast<std::uint8_t>(instrument);
      c.volume = VolumeColumn(volume);
    }
    state.notes = best;
    state.group = group;
  }
  if (release && !state.notes.empty()) {
    const int end = row + static_cast<int>(chords.size()) * kRowsPerBar;
    for (int k = 0; k < voices; ++k) score.At(channelOf(state.group, k), end).note = kXmKeyOff;
    state.notes.clear();
  }
}

void WriteArpeggio(Score& score, int channel, int row, int instrument, const std::vector<Chord>& chords,
                   std::string_view pattern, int lowest, int volume) {
  std::string steps;
  for (char ch : pattern)
    if (ch != ' ' && ch != '|') steps.push_back(ch);
  if (steps.empty()) return;
  for (std::size_t bar = 0; bar < chords.size(); ++bar) {
    if (chords[bar].intervals.empty()) continue;
    const auto ladder = ChordLadder(chords[bar], lowest, 10);
    for (int i = 0; i < kRowsPerBar; ++i) {
      const char s = steps[static_cast<std::size_t>(i) % steps.size()];
      if (s < '0' || s > '9') continue;
      const auto idx = static_cast<std::size_t>(s - '0');
      if (idx >= ladder.size()) continue;
      XmCell& c = score.At(channel, row + static_cast<int>(bar) * kRowsPerBar + i);
      c.note = static_cast<std::uint8_t>(ladder[idx]);
      c.instrument = static_cast<std::uint8_t>(instrument);
      // Accent on the beat, softer between.
      c.volume = VolumeColumn(i % 4 == 0 ? volume : volume * 3 / 4);
    }
  }
}

void WriteChipChords(Score& score, int channel, int row, int instrument, const std::vector<Chord>& chords, int lowest,
                     int volume) {
  for (std::size_t bar = 0; bar < chords.size(); ++bar) {
    const Chord& chord = chords[bar];
    if (chord.intervals.size() < 3) continue;
    const int at = row + static_cast<int>(bar) * kRowsPerBar;
    XmCell& c = score.At(channel, at);
    c.note = static_cast<std::uint8_t>(RootAtOrAbove(chord, lowest));
    c.instrument = static_cast<std::uint8_t>(instrument);
    c.volume = VolumeColumn(volume);
    // Root and the next two chord tones; the effect lasts only for the row it is on.
    const auto param = static_cast<std::uint8_t>((chord.intervals[1] << 4) | chord.intervals[2]);
    for (int i = 0; i < kRowsPerBar; ++i) WriteEffect(score, channel, at + i, kFxArpeggio, param);
  }
}

void WriteEcho(Score& score, int from, int to, int row, int rows, int delay, double level, int panning) {
  for (int r = row; r < row + rows; ++r) {
    if (static_cast<std::size_t>(r) >= score.tracks[static_cast<std::size_t>(from)].size()) break;
    const XmCell src = score.tracks[static_cast<std::size_t>(from)][static_cast<std::size_t>(r)];
    if (!src.note) continue;
    XmCell& c = score.At(to, r + delay);
    c.note = src.note;
    c.instrument = src.instrument;
    if (src.note != kXmKeyOff) {
      const int vol = src.volume ? src.volume - 0x10 : 64;
      c.volume = VolumeColumn(static_cast<int>(std::lround(vol * level)));
    }
  }
  WriteEffect(score, to, row, kFxSetPanning, static_cast<std::uint8_t>(panning));
}

void WriteEffect(Score& score, int channel, int row, std::uint8_t effect, std::uint8_t param) {
  XmCell& c = score.At(channel, row);
  c.effect = effect;
  c.param = param;
}

bool BuildPatterns(const Score& score, int loopRow, XmModule& module) {
  if (loopRow % kPatternRows != 0 || score.channels != module.channels) return false;
  const int rows = score.Rows();
  const int count = (rows + kPatternRows - 1) / kPatternRows;
  module.patterns.clear();
  module.orders.clear();
  for (int p = 0; p < count; ++p) {
    const int patternRows = std::min(kPatternRows, rows - p * kPatternRows);
    XmPattern pat = MakeXmPattern(score.channels, patternRows);
    for (int ch = 0; ch < score.channels; ++ch) {
      const auto& t = score.tracks[static_cast<std::size_t>(ch)];
      for (int r = 0; r < patternRows; ++r) {
        const auto at = static_cast<std::size_t>(p * kPatternRows + r);
        if (at < t.size()) pat.cells[static_cast<std::size_t>(r * score.channels + ch)] = t[at];
      }
    }
    // Repeated sections share one pattern, as a tracker musician would.
    std::size_t index = 0;
    while (index < module.patterns.size() &&
           (module.patterns[index].rows != pat.rows || module.patterns[index].cells != pat.cells))
      ++index;
    if (index == module.patterns.size()) module.patterns.push_back(std::move(pat));
    if (index > 255) return false;
    module.orders.push_back(static_cast<std::uint8_t>(index));
  }
  module.restartPosition = loopRow / kPatternRows;
  return module.restartPosition < static_cast<int>(module.orders.size());
}
