// t3.xm, the main theme: energetic, A minor, 140 BPM, 96 bars (about 2:45).
// Intro, build, theme A, theme B, break, second build, theme A doubled,
// theme B, outro; at its end it restarts at the first build, so the five
// scenes it carries hear the drums come back rather than the quiet intro.
#include "tools/content/music/compose.h"
#include "tools/content/music/instruments.h"
#include "tools/content/music/songs.h"

namespace {

constexpr int kBpm = 140;

// The pads take two groups of three channels from kPad, used in turns.
enum Channel {
  kKick,
  kClap,
  kHat,
  kOpenHat,
  kBass,
  kPad,
  kLead = kPad + 6,
  kLeadEcho,
  kArp,
  kArpEcho,
  kFx,
  kDouble,
  kBell,
  kBellEcho,
  kRoll,
  kChannels
};
enum Instrument {
  kIKick = 1,
  kISnare,
  kIClap,
  kIHat,
  kIOpenHat,
  kICrash,
  kISwell,
  kIBass,
  kIPad,
  kILead,
  kIChip,
  kIBell
};

int Bar(int bar) { return bar * kRowsPerBar; }

const char* const kVerseChords = "Am F C G Am F C G";
const char* const kChorusChords = "Dm F C G Dm F E E";
const char* const kBreakChords = "Fmaj7 G Am Am Fmaj7 G Esus4 E";

// Theme A: a syncopated hook over i-VI-III-VII.
const char* const kThemeA =
    "A4 . . C5 . . E5 . . A5 . . G5 . E5 . | F5 . . E5 . . C5 . . A4 . . C5 . . . |"
    "E5 . . G5 . . C6 . . G5 . . E5 . D5 . | D5 . . . . . B4 . . . . . G4 . . . |"
    "A4 . . C5 . . E5 . . A5 . . B5 . C6 . | A5 . . G5 . . F5 . . E5 . . F5 . . . |"
    "G5 . . . E5 . . . C5 . . . E5 . G5 . | B5 . . . . . . . D6 . . . B5 . G5 . |";

// Theme B: longer notes, turning to E major for the pull back home.
const char* const kThemeB =
    "F5 . . . . . . . E5 . . . D5 . . . | C5 . . . . . . . A4 . . . C5 . F5 . |"
    "E5 . . . . . . . D5 . . . C5 . . . | D5 . . . . . . . . . . . B4 . D5 . |"
    "F5 . . . . . . . A5 . . . G5 . F5 . | E5 . . . . . . . C5 . . . A4 . C5 . |"
    "B4 . . . . . . . G#4 . . . B4 . . . | E5 . . . . . . . . . . . ^ . . . |";

// The break's bell line: theme A slowed down.
const char* const kBreakBell =
    "A5 . . . . . . . G5 . . . E5 . . . | D5 . . . . . . . . . . . B4 . . . |"
    "C5 . . . . . . . E5 . . . A5 . . . | . . . . . . . . . . . . . . . . |"
    "A5 . . . . . . . G5 . . . E5 . . . | D5 . . . . . . . B4 . . . G4 . . . |"
    "A4 . . . . . . . B4 . . . . . . . | G#4 . . . . . . . . . . . . . . . |";

const char* const kArpPattern = "0 2 3 2 4 2 3 1 0 2 3 2 5 3 4 2";

void Crash(Score& s, int bar) { WriteMelody(s, kFx, Bar(bar), kICrash, "C4:40"); }
void Swell(Score& s, int bar) { WriteMelody(s, kFx, Bar(bar), kISwell, "C4"); }

// The four-on-the-floor kit for `bars` bars; the last bar of every eight ends
// with a fill.
void FullDrums(Score& s, int bar, int bars) {
  WriteDrums(s, kKick, Bar(bar), bars, kIKick, "x...x...x...x...");
  WriteDrums(s, kHat, Bar(bar), bars, kIHat, "xg.gxg.gxg.gxg.o");
  WriteDrums(s, kOpenHat, Bar(bar), bars, kIOpenHat, "..o^..o^..o^..o^");
  for (int b = bar; b < bar + bars; ++b) {
    const bool fill = (b + 1) % 8 == 0;
    WriteDrums(s, kClap, Bar(b), 1, kIClap, fill ? "....x.......x.xx" : "....x.......x...");
    if (fill) WriteDrums(s, kRoll, Bar(b) + 8, 1, kISnare, "gogoxoxx", 46);
  }
}

// Snare roll over two bars: eighths, then sixteenths, rising in volume.
void SnareRoll(Score& s, int bar) {
  for (int i = 0; i < 32; ++i) {
    if (i < 16 && i % 2 == 1) continue;
    XmCell& c = s.At(kRoll, Bar(bar) + i);
    c.note = 49;
    c.instrument = kISnare;
    c.volume = static_cast<std::uint8_t>(0x10 + 14 + i * 50 / 31);
  }
}

void Theme(Score& s, int bar, const char* melody, int volume) {
  WriteMelody(s, kLead, Bar(bar), kILead, melody, volume);
  WriteEcho(s, kLead, kLeadEcho, Bar(bar), Bar(8), 3, 0.4, 0x40);
}

void Arp(Score& s, int bar, const char* chords, int volume) {
  WriteArpeggio(s, kArp, Bar(bar), kIChip, ParseChords(chords), kArpPattern, 57, volume);
  WriteEcho(s, kArp, kArpEcho, Bar(bar), Bar(8), 3, 0.5, 0xC8);
}

void Harmony(Score& s, int bar, const char* chords, int padVolume, const char* bassRhythm) {
  WritePads(s, kPad, 3, Bar(bar), kIPad, ParseChords(chords), 60, padVolume, false);
  WriteBass(s, kBass, Bar(bar), kIBass, ParseChords(chords), bassRhythm, 17, 44);
}

constexpr const char* kOffbeatBass = "..R...R...8...R.";
constexpr const char* kRollingBass = "..R.R.R...8.R.5.";

Score Write() {
  Score s(kChannels);
  // Fixed pans on the first row; the echo channels set their own.
  for (int group = 0; group < 2; ++group) {
    WriteEffect(s, kPad + group * 3, 0, kFxSetPanning, 0x58);
    WriteEffect(s, kPad + group * 3 + 1, 0, kFxSetPanning, 0x80);
    WriteEffect(s, kPad + group * 3 + 2, 0, kFxSetPanning, 0xA8);
  }
  WriteEffect(s, kArp, 0, kFxSetPanning, 0x60);
  WriteEffect(s, kBell, 0, kFxSetPanning, 0xA0);
  WriteEffect(s, kDouble, 0, kFxSetPanning, 0x70);

  // Intro, bars 0-7: pads and a bell arpeggio, hats creeping in, a riser.
  WritePads(s, kPad, 3, Bar(0), kIPad, ParseChords(kVerseChords), 60, 46, false);
  WriteArpeggio(s, kBell, Bar(0), kIBell, ParseChords(kVerseChords), "0...2...3...2.1.", 69, 34);
  WriteDrums(s, kHat, Bar(4), 4, kIHat, "g.g.o.g.g.g.o.gg");
  WriteMelody(s, kBass, Bar(4), kIBass,
              "A1:40 . . . . . . . . . . . . . . . | F1:40 . . . . . . . . . . . . . . . |"
              "C2:40 . . . . . . . . . . . . . . . | G1:40 . . . . . . . . . . . . . ^ .");
  Swell(s, 7);

  // Build, bars 8-15: kick, bass and the chip arpeggio with its echo.
  Crash(s, 8);
  Harmony(s, 8, kVerseChords, 46, kOffbeatBass);
  WriteDrums(s, kKick, Bar(8), 8, kIKick, "x...x...x...x...");
  WriteDrums(s, kHat, Bar(8), 8, kIHat, "g.o.g.o.g.o.g.og");
  WriteDrums(s, kClap, Bar(12), 3, kIClap, "....x.......x...");
  Arp(s, 8, kVerseChords, 34);
  SnareRoll(s, 14);
  Swell(s, 15);

  // Theme A, bars 16-31, twice through the eight-bar hook.
  for (int b : {16, 24}) {
    Crash(s, b);
    FullDrums(s, b, 8);
    Harmony(s, b, kVerseChords, 44, kOffbeatBass);
    Theme(s, b, kThemeA, 58);
    Arp(s, b, kVerseChords, 24);
  }

  // Theme B, bars 32-47: the second time with the bell doubling above.
  for (int b : {32, 40}) {
    Crash(s, b);
    FullDrums(s, b, 8);
    Harmony(s, b, kChorusChords, 46, kRollingBass);
    Theme(s, b, kThemeB, 60);
    Arp(s, b, kChorusChords, 22);
  }
  WriteMelody(s, kBell, Bar(40), kIBell, kThemeB, 30, 12);

  // Break, bars 48-55: no drums, chip chords, the bell on the theme, held bass.
  WritePads(s, kPad, 3, Bar(48), kIPad, ParseChords(kBreakChords), 60, 50, false);
  WriteBass(s, kBass, Bar(48), kIBass, ParseChords(kBreakChords), "R.......R.......", 17, 44);
  WriteChipChords(s, kArp, Bar(48), kIChip, ParseChords(kBreakChords), 61, 26);
  WriteMelody(s, kBell, Bar(48), kIBell, kBreakBell, 44);
  WriteEcho(s, kBell, kBellEcho, Bar(48), Bar(8), 6, 0.4, 0x50);
  WriteDrums(s, kHat, Bar(52), 4, kIHat, "g.g.g.g.g.g.o.g.");
  SnareRoll(s, 54);
  Swell(s, 55);

  // Second build, bars 56-63: kick and rolling bass under the hook played softly low.
  Crash(s, 56);
  Harmony(s, 56, kVerseChords, 44, kRollingBass);
  WriteDrums(s, kKick, Bar(56), 8, kIKick, "x...x...x...x...");
  WriteDrums(s, kHat, Bar(56), 8, kIHat, "g.o.g.o.g.o.g.og");
  WriteDrums(s, kClap, Bar(60), 3, kIClap, "....x.......x...");
  WriteMelody(s, kDouble, Bar(56), kIChip, kThemeA, 30, -12);
  Arp(s, 56, kVerseChords, 30);
  SnareRoll(s, 62);
  Swell(s, 63);

  // Theme A again, bars 64-79, doubled an octave below by the chip.
  for (int b : {64, 72}) {
    Crash(s, b);
    FullDrums(s, b, 8);
    Harmony(s, b, kVerseChords, 44, kRollingBass);
    Theme(s, b, kThemeA, 58);
    WriteMelody(s, kDouble, Bar(b), kIChip, kThemeA, 28, -12);
    Arp(s, b, kVerseChords, 22);
  }

  // Theme B, bars 80-87, with the bell above.
  Crash(s, 80);
  FullDrums(s, 80, 8);
  Harmony(s, 80, kChorusChords, 46, kRollingBass);
  Theme(s, 80, kThemeB, 60);
  WriteMelody(s, kBell, Bar(80), kIBell, kThemeB, 30, 12);
  Arp(s, 80, kChorusChords, 22);

  // Outro, bars 88-95: the lead rests, kick and bass carry on into the loop.
  Crash(s, 88);
  Harmony(s, 88, kVerseChords, 46, kOffbeatBass);
  WriteDrums(s, kKick, Bar(88), 8, kIKick, "x...x...x...x...");
  WriteDrums(s, kHat, Bar(88), 8, kIHat, "xg.gxg.gxg.gxg.o");
  WriteDrums(s, kClap, Bar(88), 6, kIClap, "....x.......x...");
  WriteArpeggio(s, kBell, Bar(88), kIBell, ParseChords(kVerseChords), "0...2...3...2.1.", 69, 30);
  Arp(s, 88, kVerseChords, 30);
  SnareRoll(s, 94);
  Swell(s, 95);
  // The song ends exactly at bar 96, where it loops; echo tails are cut.
  s.end = Bar(96);
  return s;
}

}  // namespace

XmModule ComposeMainTheme() {
  XmModule m;
  m.name = "kavret main theme";
  m.channels = kChannels;
  m.speed = 6;
  m.bpm = kBpm;
  m.instruments = {MakeKick(kBpm),    MakeSnare(kBpm), MakeClap(kBpm),  MakeClosedHat(kBpm),
                   MakeOpenHat(kBpm), MakeCrash(kBpm), MakeSwell(kBpm), MakePluckBass(kBpm),
                   MakeSawPad(kBpm),  MakeLead(kBpm),  MakeChip(kBpm),  MakeBell(kBpm)};
  BuildPatterns(Write(), Bar(8), m);
  return m;
}
