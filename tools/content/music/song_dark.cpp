// t2.xm, the dark theme: heavy, E minor with a Phrygian F in the bass riff
// and a B major chord for the harmonic-minor pull, 107 BPM, 20 bars (about
// 45 s, the length of the two scenes it plays under). A four-bar intro of
// choir, bell and toms, eight bars of riff, eight bars with the lead; the
// loop returns to the riff.
#include "tools/content/music/compose.h"
#include "tools/content/music/instruments.h"
#include "tools/content/music/songs.h"

namespace {

constexpr int kBpm = 107;

// The choir takes two groups of three channels from kChoir, used in turns.
enum Channel {
  kKick,
  kSnare,
  kHat,
  kPerc,
  kBass,
  kChoir,
  kLead = kChoir + 6,
  kLeadEcho,
  kBell,
  kBellEcho,
  kFx,
  kChannels
};
enum Instrument { kIKick = 1, kISnare, kIHat, kIOpenHat, kICrash, kISwell, kITom, kIBass, kIChoir, kILead, kIBell };

int Bar(int bar) { return bar * kRowsPerBar; }

const char* const kRiffChords = "Em Em C B Em Em Am B";
const char* const kLeadChords = "Em C Am B Em C Am B";

const char* const kRiff =
    "E1 . . . . . E1 . E1 . . . G1 . F1 . | E1 . . . . . E1 . E1 . . . D2 . B1 . |"
    "C2 . . . . . C2 . C2 . . . E2 . C2 . | B1 . . . . . B1 . B1 . . . D#2 . F#1 . |"
    "E1 . . . . . E1 . E1 . . . G1 . F1 . | E1 . . . . . E1 . E1 . . . D2 . B1 . |"
    "A1 . . . . . A1 . A1 . . . C2 . A1 . | B1 . . . . . B1 . B1 . . . D#2 . F#1 . |";

const char* const kRiffUnderLead =
    "E1 . . . . . E1 . E1 . . . G1 . F1 . | C2 . . . . . C2 . C2 . . . E2 . C2 . |"
    "A1 . . . . . A1 . A1 . . . C2 . A1 . | B1 . . . . . B1 . B1 . . . D#2 . F#1 . |"
    "E1 . . . . . E1 . E1 . . . G1 . F1 . | C2 . . . . . C2 . C2 . . . E2 . C2 . |"
    "A1 . . . . . A1 . A1 . . . C2 . A1 . | B1 . . . . . B1 . D#2 . . . F#2 . B1 . |";

const char* const kBellMotif =
    "E5 . . . . . G5 . F#5 . . . . . . . | E5 . . . . . B4 . . . . . . . . . |"
    "C5 . . . . . E5 . D5 . . . . . . . | B4 . . . . . . . D#5 . . . . . . . |";

const char* const kLeadLine =
    "B4 . . . . . . . . . . . G4 . A4 . | B4 . . . . . . . E5 . . . D5 . . . |"
    "C5 . . . . . . . . . . . B4 . A4 . | B4 . . . . . . . D#5 . . . F#5 . . . |"
    "G5 . . . . . . . . . . . F#5 . E5 . | E5 . . . . . . . G5 . . . E5 . . . |"
    "C5 . . . B4 . . . A4 . . . C5 . . . | B4 . . . . . . . . . . . ^ . . . |";

// The heavy groove: kick on one and the off-beats of two and three, snare on
// two and four, ghost snares between; every fourth bar ends with toms.
void Groove(Score& s, int bar, int bars) {
  for (int b = bar; b < bar + bars; ++b) {
    const bool turn = (b + 1) % 4 == 0;
    WriteDrums(s, kKick, Bar(b), 1, kIKick, turn ? "x.....x...x.x..." : "x.....x...x.....");
    WriteDrums(s, kSnare, Bar(b), 1, kISnare, turn ? "....x.......x.oo" : "....x..g....x..g");
    WriteDrums(s, kHat, Bar(b), 1, kIHat, "x.o.o.g.x.o.o.go");
    if (turn) {
      WriteMelody(s, kPerc, Bar(b) + 8, kITom, ". . . . B2:50 . A2:50 . ");
    } else {
      WriteDrums(s, kPerc, Bar(b), 1, kIOpenHat, "..........o^....");
    }
  }
}

Score Write() {
  Score s(kChannels);
  for (int group = 0; group < 2; ++group) {
    WriteEffect(s, kChoir + group * 3, 0, kFxSetPanning, 0x50);
    WriteEffect(s, kChoir + group * 3 + 1, 0, kFxSetPanning, 0x80);
    WriteEffect(s, kChoir + group * 3 + 2, 0, kFxSetPanning, 0xB0);
  }
  WriteEffect(s, kBell, 0, kFxSetPanning, 0x98);

  // Intro, bars 0-3: choir and the bell motif, a low drone, toms rising into the riff.
  WritePads(s, kChoir, 3, Bar(0), kIChoir, ParseChords("Em Em C B"), 62, 54, false);
  WriteMelody(s, kBell, Bar(0), kIBell, kBellMotif, 44, -12);
  WriteEcho(s, kBell, kBellEcho, Bar(0), Bar(12), 6, 0.4, 0x60);
  WriteMelody(s, kBass, Bar(0), kIBass,
              "E1:36 . . . . . . . . . . . . . . . | . . . . . . . . . . . . . . . . |"
              "C2:36 . . . . . . . . . . . . . . . | B1:36 . . . . . . . . . . . . . ^ .");
  WriteMelody(s, kPerc, Bar(3), kITom, "E3:30 . . . E3:36 . . . B2:44 . . . B2:50 . A2:56 G2:60");
  WriteMelody(s, kFx, Bar(3), kISwell, "C4:50");

  // The riff, bars 4-11, with the bell motif again above it.
  WriteMelody(s, kFx, Bar(4), kICrash, "C4:56");
  Groove(s, 4, 8);
  WriteMelody(s, kBass, Bar(4), kIBass, kRiff, 58);
  WritePads(s, kChoir, 3, Bar(4), kIChoir, ParseChords(kRiffChords), 62, 48, false);
  WriteMelody(s, kBell, Bar(4), kIBell, kBellMotif, 34);
  WriteMelody(s, kBell, Bar(8), kIBell, kBellMotif, 30);

  // The lead, bars 12-19, over the riff following the new chords.
  WriteMelody(s, kFx, Bar(12), kICrash, "C4:56");
  Groove(s, 12, 8);
  WriteMelody(s, kBass, Bar(12), kIBass, kRiffUnderLead, 58);
  WritePads(s, kChoir, 3, Bar(12), kIChoir, ParseChords(kLeadChords), 62, 44, false);
  WriteMelody(s, kLead, Bar(12), kILead, kLeadLine, 58);
  WriteEcho(s, kLead, kLeadEcho, Bar(12), Bar(8), 3, 0.4, 0xB8);
  WriteMelody(s, kFx, Bar(19), kISwell, "C4:44");
  s.end = Bar(20);
  return s;
}

}  // namespace

XmModule ComposeDarkTheme() {
  XmModule m;
  m.name = "kavret dark theme";
  m.channels = kChannels;
  m.speed = 6;
  m.bpm = kBpm;
  m.instruments = {MakeHeavyKick(kBpm), MakeSnare(kBpm), MakeClosedHat(kBpm), MakeOpenHat(kBpm),
                   MakeCrash(kBpm),     MakeSwell(kBpm), MakeTom(kBpm),       MakeReeseBass(kBpm),
                   MakeChoir(kBpm),     MakeLead(kBpm),  MakeBell(kBpm)};
  BuildPatterns(Write(), Bar(4), m);
  return m;
}
