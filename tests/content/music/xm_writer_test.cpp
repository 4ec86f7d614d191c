// The XM writer: what it writes reads back field by field, the fixed header
// bytes are where players look for them, and modules that do not fit the
// format are refused rather than written wrong.
#include "tools/content/music/xm_writer.h"

#include <gtest/gtest.h>

#include "xm_reader.h"

namespace {

XmCell Cell(int note, int instrument, int volume, int effect, int param) {
  return {static_cast<std::uint8_t>(note), static_cast<std::uint8_t>(instrument), static_cast<std::uint8_t>(volume),
          static_cast<std::uint8_t>(effect), static_cast<std::uint8_t>(param)};
}

// Two patterns of different lengths, every packing case, two instruments
// (one with two samples and both envelopes, one empty).
XmModule SmallModule() {
  XmModule m;
  m.name = "round trip";
  m.channels = 3;
  m.speed = 5;
  m.bpm = 137;
  m.orders = {0, 1, 1, 0};
  m.restartPosition = 2;
  m.patterns = {MakeXmPattern(3, 64), MakeXmPattern(3, 16)};
  auto& a = m.patterns[0].cells;
  a[0] = Cell(49, 1, 0x50, kFxSpeed, 137);  // all five fields: stored unpacked
  a[1] = Cell(kXmKeyOff, 0, 0, 0, 0);
  a[5] = Cell(0, 0, 0x30, 0, 0);
  a[7] = Cell(0, 0, 0, kFxArpeggio, 0x37);
  a[190] = Cell(96, 2, 0, kFxSetPanning, 0xFF);
  auto& b = m.patterns[1].cells;
  b[47] = Cell(1, 1, 0x10, kFxExtended, 0);
  XmInstrument ins;
  ins.name = "twenty-two characters";
  ins.keymap.fill(0);
  for (int k = 48; k < 96; ++k) ins.keymap[static_cast<std::size_t>(k)] = 1;
  ins.volumeEnvelope = {{{0, 0}, {3, 64}, {20, 40}, {200, 0}}, true, 2, -1, -1};
  ins.panningEnvelope = {{{0, 32}, {10, 0}, {20, 64}}, true, -1, 0, 2};
  ins.vibratoType = 2;
  ins.vibratoSweep = 40;
  ins.vibratoDepth = 5;
  ins.vibratoRate = 12;
  ins.fadeout = 1234;
  XmSample s1;
  s1.name = "looped";
  s1.data = {0, 32767, -32768, 32767, -32768, 1, -1, 100};
  s1.loop = XmLoop::kPingPong;
  s1.loopStart = 2;
  s1.loopLength = 5;
  s1.volume = 33;
  s1.finetune = -100;
  s1.panning = 7;
  s1.relativeNote = -24;
  XmSample s2;
  s2.name = "plain";
  s2.data = {5, 4, 3};
  s2.relativeNote = 30;
  s2.finetune = 127;
  ins.samples = {s1, s2};
  XmInstrument empty;
  empty.name = "nothing";
  m.instruments = {ins, empty};
  return m;
}

void ExpectEnvelopesEqual(const XmEnvelope& a, const XmEnvelope& b) {
  ASSERT_EQ(a.points.size(), b.points.size());
  for (std::size_t i = 0; i < a.points.size(); ++i) {
    EXPECT_EQ(a.points[i].tick, b.points[i].tick);
    EXPECT_EQ(a.points[i].value, b.points[i].value);
  }
  EXPECT_EQ(a.enabled, b.enabled);
  EXPECT_EQ(a.sustain, b.sustain);
  EXPECT_EQ(a.loopStart, b.loopStart);
  EXPECT_EQ(a.loopEnd, b.loopEnd);
}

}  // namespace

TEST(XmWriter, ModuleReadsBackFieldByField) {
  const XmModule m = SmallModule();
  const auto bytes = WriteXm(m);
  ASSERT_FALSE(bytes.empty());
  XmModule r;
  std::string why;
  ASSERT_TRUE(ReadXm(bytes, r, why)) << why;

  EXPECT_EQ(r.name, m.name);
  EXPECT_EQ(r.tracker, m.tracker);
  EXPECT_EQ(r.channels, 3);
  EXPECT_EQ(r.speed, 5);
  EXPECT_EQ(r.bpm, 137);
  EXPECT_TRUE(r.linearFrequencies);
  EXPECT_EQ(r.orders, m.orders);
  EXPECT_EQ(r.restartPosition, 2);
  ASSERT_EQ(r.patterns.size(), 2u);
  for (std::size_t p = 0; p < 2; ++p) {
    EXPECT_EQ(r.patterns[p].rows, m.patterns[p].rows);
    EXPECT_TRUE(r.patterns[p].cells == m.patterns[p].cells) << "pattern " << p;
  }
  ASSERT_EQ(r.instruments.size(), 2u);
  const XmInstrument& a = m.instruments[0];
  const XmInstrument& b = r.instruments[0];
  EXPECT_EQ(b.name, a.name);
  EXPECT_EQ(b.keymap, a.keymap);
  ExpectEnvelopesEqual(b.volumeEnvelope, a.volumeEnvelope);
  ExpectEnvelopesEqual(b.panningEnvelope, a.panningEnvelope);
  EXPECT_EQ(b.vibratoType, 2);
  EXPECT_EQ(b.vibratoSweep, 40);
  EXPECT_EQ(b.vibratoDepth, 5);
  EXPECT_EQ(b.vibratoRate, 12);
  EXPECT_EQ(b.fadeout, 1234);
  ASSERT_EQ(b.samples.size(), 2u);
  for (std::size_t s = 0; s < 2; ++s) {
    EXPECT_EQ(b.samples[s].name, a.samples[s].name);
    EXPECT_EQ(b.samples[s].data, a.samples[s].data);
    EXPECT_EQ(b.samples[s].volume, a.samples[s].volume);
    EXPECT_EQ(b.samples[s].finetune, a.samples[s].finetune);
    EXPECT_EQ(b.samples[s].panning, a.samples[s].panning);
    EXPECT_EQ(b.samples[s].relativeNote, a.samples[s].relativeNote);
    EXPECT_EQ(b.samples[s].loop, a.samples[s].loop);
  }
  EXPECT_EQ(b.samples[0].loopStart, 2u);
  EXPECT_EQ(b.samples[0].loopLength, 5u);
  EXPECT_EQ(r.instruments[1].name, "nothing");
  EXPECT_TRUE(r.instruments[1].samples.empty());
}

TEST(XmWriter, FixedHeaderBytesAndPacking) {
  const auto bytes = WriteXm(SmallModule());
  ASSERT_GT(bytes.size(), 400u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 17), "Extended Module: ");
  EXPECT_EQ(bytes[37], 0x1A);
  // Version 1.04, then the header size 276 counted from its own field.
  EXPECT_EQ(bytes[58], 0x04);
  EXPECT_EQ(bytes[59], 0x01);
  EXPECT_EQ(bytes[60] | bytes[61] << 8, 276);
  // The first pattern starts right after the 256-entry order table.
  const std::size_t pattern = 60 + 276;
  EXPECT_EQ(bytes[pattern], 9);  // pattern header length
  EXPECT_EQ(bytes[pattern + 5] | bytes[pattern + 6] << 8, 64);
  // Packed data: the full cell unpacked (5 bytes), then a key-off as mask+note,
  // then an empty cell as the bare mask 0x80.
  const std::size_t data = pattern + 9;
  EXPECT_EQ(bytes[data], 49);
  EXPECT_EQ(bytes[data + 5], 0x81);
  EXPECT_EQ(bytes[data + 6], kXmKeyOff);
  EXPECT_EQ(bytes[data + 7], 0x80);
}

TEST(XmWriter, RefusesModulesThatDoNotFitTheFormat) {
  struct Case {
    const char* what;
    void (*spoil)(XmModule&);
  };
  const Case cases[] = {
      {"order to a missing pattern", [](XmModule& m) { m.orders.push_back(2); }},
      {"restart outside the orders", [](XmModule& m) { m.restartPosition = 4; }},
      {"no orders", [](XmModule& m) { m.orders.clear(); }},
      {"cells do not match the channels", [](XmModule& m) { m.channels = 4; }},
      {"note above key-off", [](XmModule& m) { m.patterns[0].cells[3].note = 98; }},
      {"missing instrument", [](XmModule& m) { m.patterns[0].cells[3].instrument = 3; }},
      {"loop beyond the data", [](XmModule& m) { m.instruments[0].samples[0].loopLength = 7; }},
      {"empty loop", [](XmModule& m) { m.instruments[0].samples[0].loopLength = 0; }},
      {"thirteen envelope points",
       [](XmModule& m) {
         auto& env = m.instruments[0].volumeEnvelope;
         env.points.clear();
         for (std::uint16_t i = 0; i < 13; ++i) env.points.push_back({i, 10});
       }},
      {"envelope ticks not rising", [](XmModule& m) { m.instruments[0].volumeEnvelope.points[2].tick = 3; }},
      {"sustain past the points", [](XmModule& m) { m.instruments[0].volumeEnvelope.sustain = 4; }},
      {"keymap beyond the samples", [](XmModule& m) { m.instruments[0].keymap[10] = 2; }},
      {"sample volume above 64", [](XmModule& m) { m.instruments[0].samples[1].volume = 65; }},
      {"name too long", [](XmModule& m) { m.name = "a module name that is too long"; }},
      {"BPM too low", [](XmModule& m) { m.bpm = 20; }},
  };
  for (const Case& c : cases) {
    XmModule m = SmallModule();
    c.spoil(m);
    std::string why;
    EXPECT_FALSE(ValidateXm(m, &why)) << c.what;
    EXPECT_FALSE(why.empty()) << c.what;
    EXPECT_TRUE(WriteXm(m).empty()) << c.what;
  }
  std::string why;
  EXPECT_TRUE(ValidateXm(SmallModule(), &why)) << why;
}

TEST(XmWriter, ReaderRejectsTruncatedFiles) {
  const auto bytes = WriteXm(SmallModule());
  for (std::size_t cut : {std::size_t{10}, std::size_t{100}, std::size_t{340}, bytes.size() - 1}) {
    std::vector<std::uint8_t> part(bytes.begin(), bytes.begin() + static_cast<long>(cut));
    XmModule r;
    std::string why;
    EXPECT_FALSE(ReadXm(part, r, why)) << "cut at " << cut;
  }
}
