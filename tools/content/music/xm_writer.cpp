// Serialises an XmModule into the byte layout FastTracker 2 wrote (version
// 0x0104): all numbers little-endian, patterns packed, samples delta-coded.
#include "tools/content/music/xm_writer.h"

namespace {

// Sizes of the fixed headers as FastTracker 2 writes them.
constexpr std::uint32_t kHeaderSize = 276;  // from the size field to the end of the order table
constexpr std::uint32_t kPatternHeaderSize = 9;
constexpr std::uint32_t kInstrumentHeaderSize = 263;  // with samples; 29 without
constexpr std::uint32_t kSampleHeaderSize = 40;

struct ByteWriter {
  std::vector<std::uint8_t> bytes;

  void U8(unsigned v) { bytes.push_back(static_cast<std::uint8_t>(v)); }
  void U16(unsigned v) {
    U8(v & 0xFF);
    U8((v >> 8) & 0xFF);
  }
  void U32(std::uint32_t v) {
    U16(v & 0xFFFF);
    U16(v >> 16);
  }
  // A fixed-width text field, padded with zeros.
  void Text(const std::string& s, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) U8(i < s.size() ? static_cast<unsigned char>(s[i]) : 0);
  }
  void Zeros(std::size_t n) { bytes.insert(bytes.end(), n, 0); }
  void PatchU16(std::size_t at, unsigned v) {
    bytes[at] = static_cast<std::uint8_t>(v & 0xFF);
    bytes[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
  }
};

bool Fail(std::string* why, const std::string& text) {
  if (why) *why = text;
  return false;
}

bool ValidateEnvelope(const XmEnvelope& env, const std::string& where, std::string* why) {
  if (env.points.size() > 12) return Fail(why, where + ": more than 12 envelope points");
  if (env.enabled && env.points.empty()) return Fail(why, where + ": enabled envelope without points");
  const int count = static_cast<int>(env.points.size());
  for (int i = 0; i < count; ++i) {
    if (env.points[i].value > 64) return Fail(why, where + ": envelope value above 64");
    if (i > 0 && env.points[i].tick <= env.points[i - 1].tick) return Fail(why, where + ": envelope ticks not rising");
  }
  if (env.sustain >= count || env.loopStart >= count || env.loopEnd >= count)
    return Fail(why, where + ": envelope point index out of range");
  if ((env.loopStart < 0) != (env.loopEnd < 0) || env.loopStart > env.loopEnd)
    return Fail(why, where + ": envelope loop incomplete or reversed");
  return true;
}

void WriteEnvelopePoints(ByteWriter& w, const XmEnvelope& env) {
  for (std::size_t i = 0; i < 12; ++i) {
    if (i < env.points.size()) {
      w.U16(env.points[i].tick);
      w.U16(env.points[i].value);
    } else {
      w.U32(0);
    }
  }
}

unsigned EnvelopeFlags(const XmEnvelope& env) {
  return (env.enabled ? 1u : 0u) | (env.sustain >= 0 ? 2u : 0u) | (env.loopStart >= 0 ? 4u : 0u);
}

void WritePattern(ByteWriter& w, const XmPattern& pattern) {
  w.U32(kPatternHeaderSize);
  w.U8(0);  // packing type
  w.U16(static_cast<unsigned>(pattern.rows));
  const std::size_t sizeAt = w.bytes.size();
  w.U16(0);
  const std::size_t start = w.bytes.size();
  for (const XmCell& c : pattern.cells) {
    // A packed cell starts with a byte whose high bit is set and whose low
    // bits say which of the five fields follow.
    const unsigned mask = (c.note ? 1u : 0u) | (c.instrument ? 2u : 0u) | (c.volume ? 4u : 0u) | (c.effect ? 8u : 0u) |
                          (c.param ? 16u : 0u);
    if (mask == 31) {
      w.U8(c.note);
      w.U8(c.instrument);
      w.U8(c.volume);
      w.U8(c.effect);
      w.U8(c.param);
      continue;
    }
    w.U8(0x80 | mask);
    if (mask & 1) w.U8(c.note);
    if (mask & 2) w.U8(c.instrument);
    if (mask & 4) w.U8(c.volume);
    if (mask & 8) w.U8(c.effect);
    if (mask & 16) w.U8(c.param);
  }
  w.PatchU16(sizeAt, static_cast<unsigned>(w.bytes.size() - start));
}

void WriteSampleHeader(ByteWriter& w, const XmSample& s) {
  const std::uint32_t bytesPerFrame = 2;
  w.U32(static_cast<std::uint32_t>(s.data.size()) * bytesPerFrame);
  const bool looped = s.loop != XmLoop::kNone;
  w.U32(looped ? s.loopStart * bytesPerFrame : 0);
  w.U32(looped ? s.loopLength * bytesPerFrame : 0);
  w.U8(s.volume);
  w.U8(static_cast<std::uint8_t>(s.finetune));
  w.U8(static_cast<unsigned>(s.loop) | 0x10);  // 0x10: 16-bit data
  w.U8(s.panning);
  w.U8(static_cast<std::uint8_t>(s.relativeNote));
  w.U8(0);
  w.Text(s.name, 22);
}

void WriteSampleData(ByteWriter& w, const XmSample& s) {
  std::int16_t previous = 0;
  for (std::int16_t v : s.data) {
    // Deltas wrap around in 16 bits; the reader adds them back the same way.
    const auto delta = static_cast<std::uint16_t>(static_cast<std::uint16_t>(v) - static_cast<std::uint16_t>(previous));
    w.U16(delta);
    previous = v;
  }
}

void WriteInstrument(ByteWriter& w, const XmInstrument& ins) {
  const std::size_t start = w.bytes.size();
  const bool hasSamples = !ins.samples.empty();
  w.U32(hasSamples ? kInstrumentHeaderSize : 29);
  w.Text(ins.name, 22);
  w.U8(0);  // instrument type
  w.U16(static_cast<unsigned>(ins.samples.size()));
  if (!hasSamples) return;
  w.U32(kSampleHeaderSize);
  for (std::uint8_t k : ins.keymap) w.U8(k);
  WriteEnvelopePoints(w, ins.volumeEnvelope);
  WriteEnvelopePoints(w, ins.panningEnvelope);
  w.U8(static_cast<unsigned>(ins.volumeEnvelope.points.size()));
  w.U8(static_cast<unsigned>(ins.panningEnvelope.points.size()));
  for (const XmEnvelope* env : {&ins.volumeEnvelope, &ins.panningEnvelope}) {
    w.U8(static_cast<unsigned>(env->sustain < 0 ? 0 : env->sustain));
    w.U8(static_cast<unsigned>(env->loopStart < 0 ? 0 : env->loopStart));
    w.U8(static_cast<unsigned>(env->loopEnd < 0 ? 0 : env->loopEnd));
  }
  w.U8(EnvelopeFlags(ins.volumeEnvelope));
  w.U8(EnvelopeFlags(ins.panningEnvelope));
  w.U8(ins.vibratoType);
  w.U8(ins.vibratoSweep);
  w.U8(ins.vibratoDepth);
  w.U8(ins.vibratoRate);
  w.U16(ins.fadeout);
  // The rest of the header is reserved.
  w.Zeros(kInstrumentHeaderSize - (w.bytes.size() - start));
  for (const XmSample& s : ins.samples) WriteSampleHeader(w, s);
  for (const XmSample& s : ins.samples) WriteSampleData(w, s);
}

}  // namespace

XmPattern MakeXmPattern(int channels, int rows) {
  XmPattern p;
  p.rows = rows;
  p.cells.assign(static_cast<std::size_t>(channels * rows), XmCell{});
  return p;
}

bool ValidateXm(const XmModule& m, std::string* why) {
  if (m.name.size() > 20 || m.tracker.size() > 20) return Fail(why, "module or tracker name longer than 20");
  if (m.channels < 1 || m.channels > 32) return Fail(why, "channel count outside 1..32");
  if (m.orders.empty() || m.orders.size() > 256) return Fail(why, "order list empty or longer than 256");
  if (m.restartPosition < 0 || m.restartPosition >= static_cast<int>(m.orders.size()))
    return Fail(why, "restart position outside the order list");
  if (m.patterns.empty() || m.patterns.size() > 256) return Fail(why, "pattern count outside 1..256");
  if (m.instruments.size() > 128) return Fail(why, "more than 128 instruments");
  if (m.speed < 1 || m.speed > 31 || m.bpm < 32 || m.bpm > 255) return Fail(why, "speed or BPM out of range");
  for (std::uint8_t o : m.orders)
    if (o >= m.patterns.size()) return Fail(why, "order refers to a missing pattern");
  for (const XmPattern& p : m.patterns) {
    if (p.rows < 1 || p.rows > 256) return Fail(why, "pattern row count outside 1..256");
    if (p.cells.size() != static_cast<std::size_t>(p.rows * m.channels)) return Fail(why, "pattern cell count wrong");
    // Five bytes a cell at worst must fit the 16-bit packed size.
    if (p.cells.size() * 5 > 0xFFFF) return Fail(why, "pattern too large to pack");
    for (const XmCell& c : p.cells) {
      if (c.note > kXmKeyOff) return Fail(why, "note number above 97");
      if (c.instrument > m.instruments.size()) return Fail(why, "cell refers to a missing instrument");
      // A stored byte with the high bit set would read as a packing mask.
      if (c.note & 0x80) return Fail(why, "note byte with high bit");
    }
  }
  for (const XmInstrument& ins : m.instruments) {
    if (ins.name.size() > 22) return Fail(why, "instrument name longer than 22");
    if (ins.samples.size() > 16) return Fail(why, ins.name + ": more than 16 samples");
    for (std::uint8_t k : ins.keymap)
      if (!ins.samples.empty() && k >= ins.samples.size()) return Fail(why, ins.name + ": keymap beyond samples");
    if (!ValidateEnvelope(ins.volumeEnvelope, ins.name, why)) return false;
    if (!ValidateEnvelope(ins.panningEnvelope, ins.name, why)) return false;
    for (const XmSample& s : ins.samples) {
      if (s.name.size() > 22) return Fail(why, "sample name longer than 22");
      if (s.volume > 64) return Fail(why, s.name + ": volume above 64");
      if (s.data.size() > 0x3FFFFFFF) return Fail(why, s.name + ": sample too long");
      if (s.loop != XmLoop::kNone && (s.loopLength == 0 || std::uint64_t{s.loopStart} + s.loopLength > s.data.size()))
        return Fail(why, s.name + ": loop outside the sample");
    }
  }
  return true;
}

std::vector<std::uint8_t> WriteXm(const XmModule& m) {
  if (!ValidateXm(m, nullptr)) return {};
  ByteWriter w;
  w.Text("Extended Module: ", 17);
  w.Text(m.name, 20);
  w.U8(0x1A);
  w.Text(m.tracker, 20);
  w.U16(0x0104);
  w.U32(kHeaderSize);
  w.U16(static_cast<unsigned>(m.orders.size()));
  w.U16(static_cast<unsigned>(m.restartPosition));
  w.U16(static_cast<unsigned>(m.channels));
  w.U16(static_cast<unsigned>(m.patterns.size()));
  w.U16(static_cast<unsigned>(m.instruments.size()));
  w.U16(m.linearFrequencies ? 1 : 0);
  w.U16(static_cast<unsigned>(m.speed));
  w.U16(static_cast<unsigned>(m.bpm));
  for (std::size_t i = 0; i < 256; ++i) w.U8(i < m.orders.size() ? m.orders[i] : 0);
  for (const XmPattern& p : m.patterns) WritePattern(w, p);
  for (const XmInstrument& ins : m.instruments) WriteInstrument(w, ins);
  return std::move(w.bytes);
}
