// The score notation and the helpers that write music into it: note and
// chord names, where bass and pad notes land, echoes, and how a score is cut
// into shared patterns with its loop point.
#include "tools/content/music/compose.h"

#include <gtest/gtest.h>

TEST(Compose, NoteAndChordNames) {
  EXPECT_EQ(ParseNote("C0"), 1);
  EXPECT_EQ(ParseNote("C4"), 49);
  EXPECT_EQ(ParseNote("A4"), 58);
  EXPECT_EQ(ParseNote("B7"), 96);
  EXPECT_EQ(ParseNote("Bb3"), 47);
  EXPECT_EQ(ParseNote("G#4"), 57);
  EXPECT_EQ(ParseNote("Cb0"), 0);  // below C-0
  for (const char* bad : {"", "C", "H4", "C8", "C#", "C44", "c4x", "."}) EXPECT_EQ(ParseNote(bad), 0) << bad;

  const Chord am = ParseChord("Am");
  EXPECT_EQ(am.root, 9);
  EXPECT_EQ(am.intervals, (std::vector<int>{0, 3, 7}));
  EXPECT_EQ(ParseChord("F#m7").root, 6);
  EXPECT_EQ(ParseChord("Bbmaj7").intervals, (std::vector<int>{0, 4, 7, 11}));
  EXPECT_EQ(ParseChord("Esus4").intervals, (std::vector<int>{0, 5, 7}));
  EXPECT_TRUE(ParseChord("Xm").intervals.empty());
  EXPECT_TRUE(ParseChord("Cdim9").intervals.empty());
  EXPECT_EQ(ParseChords("Am | F C  G").size(), 4u);
}

TEST(Compose, MelodyDrumsAndBassLandOnTheirRows) {
  Score s(2);
  const int end = WriteMelody(s, 0, 16, 3, "A4 . ^ | C5:20 .", 50, 12);
  EXPECT_EQ(end, 21);
  EXPECT_EQ(s.At(0, 16).note, 70);  // A-5 after the octave shift
  EXPECT_EQ(s.At(0, 16).instrument, 3);
  EXPECT_EQ(s.At(0, 16).volume, 0x10 + 50);
  EXPECT_EQ(s.At(0, 18).note, kXmKeyOff);
  EXPECT_EQ(s.At(0, 19).volume, 0x10 + 20);
  EXPECT_EQ(s.At(0, 17).note, 0);

  WriteDrums(s, 1, 0, 2, 5, "x.o.g...", 60);
  EXPECT_EQ(s.At(1, 0).volume, 0x10 + 60);
  EXPECT_EQ(s.At(1, 2).volume, 0x10 + 42);
  EXPECT_EQ(s.At(1, 4).volume, 0x10 + 27);
  EXPECT_EQ(s.At(1, 24).volume, 0x10 + 60);  // the steps repeat over both bars
  EXPECT_EQ(s.At(1, 24).note, 49);

  // Roots stay within an octave from the lowest note: A-1 (22) up to G#-2.
  Score b(1);
  WriteBass(b, 0, 0, 1, ParseChords("Am G C E7"), "R.3.5.7.8.......", 22);
  const int a1 = 22, g2 = 32, c2 = 25, e2 = 29;
  EXPECT_EQ(b.At(0, 0).note, a1);
  EXPECT_EQ(b.At(0, 2).note, a1 + 3);  // minor third
  EXPECT_EQ(b.At(0, 4).note, a1 + 7);
  EXPECT_EQ(b.At(0, 6).note, a1 + 10);  // minor seventh by default
  EXPECT_EQ(b.At(0, 8).note, a1 + 12);
  EXPECT_EQ(b.At(0, 16).note, g2);
  EXPECT_EQ(b.At(0, 18).note, g2 + 4);  // major third
  EXPECT_EQ(b.At(0, 32).note, c2);
  EXPECT_EQ(b.At(0, 48).note, e2);
  EXPECT_EQ(b.At(0, 54).note, e2 + 10);
}

TEST(Compose, PadsMoveLittleAndHoldCommonTones) {
  Score s(3);
  WritePads(s, 0, 3, 0, 1, ParseChords("C Am"), 60, 40, true, false);
  // C major around C-5 (61): a close voicing of C, E and G.
  std::vector<int> first;
  for (int k = 0; k < 3; ++k) first.push_back(s.At(k, 0).note);
  for (int n : first) EXPECT_TRUE((n - 1) % 12 == 0 || (n - 1) % 12 == 4 || (n - 1) % 12 == 7) << n;
  EXPECT_LE(first[2] - first[0], 12);
  // A minor shares C and E with C major: only one voice moves (G to A), the
  // others hold without being struck again.
  int struck = 0;
  for (int k = 0; k < 3; ++k) {
    if (s.At(k, 16).note) {
      ++struck;
      EXPECT_EQ((s.At(k, 16).note - 1) % 12, 9);
    }
  }
  EXPECT_EQ(struck, 1);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(s.At(k, 32).note, kXmKeyOff);

  // Taking turns: the second chord sounds on the other group while the first
  // is released; a repeated chord is held; a later call carries on from the
  // group left sounding.
  Score t(6);
  WritePads(t, 0, 3, 0, 1, ParseChords("C Am Am"), 60, 40, false);
  for (int k = 0; k < 3; ++k) {
    EXPECT_NE(t.At(k, 0).note, 0);
    EXPECT_EQ(t.At(k, 16).note, kXmKeyOff);
    EXPECT_NE(t.At(3 + k, 16).note, 0);
    EXPECT_NE(t.At(3 + k, 16).note, kXmKeyOff);
    EXPECT_EQ(t.At(3 + k, 32).note, 0);
  }
  WritePads(t, 0, 3, 48, 1, ParseChords("F"), 60, 40, true);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(t.At(3 + k, 48).note, kXmKeyOff);
    EXPECT_NE(t.At(k, 48).note, 0);
    EXPECT_EQ(t.At(k, 64).note, kXmKeyOff);
  }
}

TEST(Compose, ArpeggiosEchoesAndChipChords) {
  Score s(3);
  WriteArpeggio(s, 0, 0, 2, ParseChords("C"), "0123", 49, 40);
  EXPECT_EQ(s.At(0, 0).note, 49);  // C-4
  EXPECT_EQ(s.At(0, 1).note, 53);  // E-4
  EXPECT_EQ(s.At(0, 2).note, 56);  // G-4
  EXPECT_EQ(s.At(0, 3).note, 61);  // C-5
  EXPECT_EQ(s.At(0, 0).volume, 0x10 + 40);
  EXPECT_EQ(s.At(0, 1).volume, 0x10 + 30);  // off the beat, softer

  WriteEcho(s, 0, 1, 0, 16, 3, 0.5, 0x30);
  EXPECT_EQ(s.At(1, 3).note, 49);
  EXPECT_EQ(s.At(1, 3).volume, 0x10 + 20);
  EXPECT_EQ(s.At(1, 0).effect, kFxSetPanning);
  EXPECT_EQ(s.At(1, 0).param, 0x30);

  WriteChipChords(s, 2, 0, 4, ParseChords("Am"), 57, 30);
  EXPECT_EQ(s.At(2, 0).note, 58);  // A-4
  for (int r = 0; r < 16; ++r) {
    EXPECT_EQ(s.At(2, r).effect, kFxArpeggio);
    EXPECT_EQ(s.At(2, r).param, 0x37);
  }
}

TEST(Compose, ScoreIsCutIntoSharedPatterns) {
  XmModule m;
  m.channels = 1;
  Score s(1);
  // Bars 0-3 and 8-11 are the same, 4-7 differ, and a last bar of 16 rows.
  for (int start : {0, 128}) WriteMelody(s, 0, start, 1, "C4 . E4 . G4");
  WriteMelody(s, 0, 64, 1, "D4");
  WriteMelody(s, 0, 192, 1, "F4");
  s.end = 208;
  ASSERT_TRUE(BuildPatterns(s, 64, m));
  EXPECT_EQ(m.orders, (std::vector<std::uint8_t>{0, 1, 0, 2}));
  ASSERT_EQ(m.patterns.size(), 3u);
  EXPECT_EQ(m.patterns[2].rows, 16);
  EXPECT_EQ(m.patterns[2].cells[0].note, 54);
  EXPECT_EQ(m.restartPosition, 1);
  // Anything written past the end is dropped, and the loop must sit on a pattern boundary.
  WriteMelody(s, 0, 300, 1, "C4");
  ASSERT_TRUE(BuildPatterns(s, 0, m));
  EXPECT_EQ(m.orders.size(), 4u);
  EXPECT_FALSE(BuildPatterns(s, 32, m));
}
