// t1.xm, the outro: calm and warm, F major, 84 BPM, nine bars (about 26 s).
// Strings and an electric piano under a bell melody through I-iii-IV-V and
// I-vi-ii-V, coming to rest on a held F chord in the ninth bar, which leads
// back to the start if the module loops.
#include "tools/content/music/compose.h"
#include "tools/content/music/instruments.h"
#include "tools/content/music/songs.h"

namespace {

constexpr int kBpm = 84;

// The strings take two groups of four channels from kStrings, used in turns.
enum Channel { kStrings, kBass = kStrings + 8, kPiano, kPianoEcho, kBell, kBellEcho, kShaker, kChannels };
enum Instrument { kIStrings = 1, kIBass, kIPiano, kIBell, kIShaker };

int Bar(int bar) { return bar * kRowsPerBar; }

const char* const kChords = "Fmaj7 Am7 Bbmaj7 Csus4 Fmaj7 Dm7 Gm7 C7 F";

const char* const kMelody =
    ". . . . C5 . . . A5 . . . G5 . . . | E5 . . . . . . . . . . . C5 . D5 . |"
    "D5 . . . . . . . F5 . . . A5 . . . | G5 . . . . . . . F5 . . . E5 . . . |"
    ". . . . C5 . . . A5 . . . C6 . . . | A5 . . . . . . . G5 . . . F5 . . . |"
    "D5 . . . . . . . F5 . . . E5 . D5 . | E5 . . . . . . . G5 . . . . . . . |"
    "F5 . . . . . . . . . . . . . . . |";

Score Write() {
  Score s(kChannels);
  for (int voice = 0; voice < 8; ++voice)
    WriteEffect(s, kStrings + voice, 0, kFxSetPanning, static_cast<std::uint8_t>(0x50 + (voice % 4) * 0x20));
  WriteEffect(s, kPiano, 0, kFxSetPanning, 0x68);
  WriteEffect(s, kBell, 0, kFxSetPanning, 0x90);

  const auto chords = ParseChords(kChords);
  WritePads(s, kStrings, 4, 0, kIStrings, chords, 58, 58, false);
  WriteBass(s, kBass, 0, kIBass, chords, "R.......R...5...", 22, 40);
  // The piano walks up and down each chord in eighths, with a dotted-eighth echo.
  const std::vector<Chord> walking(chords.begin(), chords.end() - 1);
  WriteArpeggio(s, kPiano, 0, kIPiano, walking, "0.1.2.3.4.3.2.1.", 53, 42);
  WriteArpeggio(s, kPiano, Bar(8), kIPiano, {chords.back()}, "0.1.2.3.4.......", 53, 38);
  WriteEcho(s, kPiano, kPianoEcho, 0, Bar(9), 3, 0.45, 0xB0);
  WriteMelody(s, kBell, 0, kIBell, kMelody, 50);
  WriteEcho(s, kBell, kBellEcho, 0, Bar(9), 6, 0.35, 0x50);
  WriteDrums(s, kShaker, Bar(2), 6, kIShaker, "g.gog.gog.gog.go");
  // The final bar: the bass settles on F and the strings hold.
  s.end = Bar(9);
  return s;
}

}  // namespace

XmModule ComposeOutroTheme() {
  XmModule m;
  m.name = "kavret outro";
  m.channels = kChannels;
  m.speed = 6;
  m.bpm = kBpm;
  m.instruments = {MakeStrings(kBpm), MakeSubBass(kBpm), MakeElectricPiano(kBpm), MakeBell(kBpm), MakeClosedHat(kBpm)};
  BuildPatterns(Write(), 0, m);
  return m;
}
