// The test-side XM reader; bounds-checked everywhere, it is also used on
// deliberately broken input.
#include "xm_reader.h"

#include <cstring>

namespace {

struct Cursor {
  const std::vector<std::uint8_t>& b;
  std::size_t at = 0;
  bool ok = true;

  bool Need(std::size_t n) {
    if (at + n > b.size()) ok = false;
    return ok;
  }
  unsigned U8() { return Need(1) ? b[at++] : 0; }
  unsigned U16() {
    const unsigned lo = U8();
    return lo | (U8() << 8);
  }
  std::uint32_t U32() {
    const std::uint32_t lo = U16();
    return lo | (static_cast<std::uint32_t>(U16()) << 16);
  }
  std::string Text(std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) {
      const unsigned c = U8();
      if (c) s.push_back(static_cast<char>(c));
    }
    // Names are zero-padded; anything after the first zero is padding.
    const auto zero = s.find('\0');
    return zero == std::string::npos ? s : s.substr(0, zero);
  }
};

XmEnvelope ReadEnvelopePoints(Cursor& c) {
  XmEnvelope env;
  for (int i = 0; i < 12; ++i) {
    const auto tick = static_cast<std::uint16_t>(c.U16());
    const auto value = static_cast<std::uint16_t>(c.U16());
    env.points.push_back({tick, value});
  }
  return env;
}

void FinishEnvelope(XmEnvelope& env, unsigned count, unsigned sustain, unsigned loopStart, unsigned loopEnd,
                    unsigned flags) {
  env.points.resize(count);
  env.enabled = flags & 1;
  env.sustain = (flags & 2) ? static_cast<int>(sustain) : -1;
  env.loopStart = (flags & 4) ? static_cast<int>(loopStart) : -1;
  env.loopEnd = (flags & 4) ? static_cast<int>(loopEnd) : -1;
}

}  // namespace

bool ReadXm(const std::vector<std::uint8_t>& bytes, XmModule& m, std::string& why) {
  Cursor c{bytes};
  if (bytes.size() < 60 || std::memcmp(bytes.data(), "Extended Module: ", 17) != 0) {
    why = "no XM signature";
    return false;
  }
  c.at = 17;
  m.name = c.Text(20);
  if (c.U8() != 0x1A) {
    why = "no 0x1A after the name";
    return false;
  }
  m.tracker = c.Text(20);
  if (c.U16() != 0x0104) {
    why = "version is not 0x0104";
    return false;
  }
  const std::size_t headerStart = c.at;
  const std::uint32_t headerSize = c.U32();
  const unsigned orderCount = c.U16();
  m.restartPosition = static_cast<int>(c.U16());
  m.channels = static_cast<int>(c.U16());
  const unsigned patternCount = c.U16();
  const unsigned instrumentCount = c.U16();
  m.linearFrequencies = c.U16() & 1;
  m.speed = static_cast<int>(c.U16());
  m.bpm = static_cast<int>(c.U16());
  if (orderCount > 256 || m.channels < 1 || m.channels > 32) {
    why = "bad order or channel count";
    return false;
  }
  m.orders.clear();
  for (unsigned i = 0; i < 256; ++i) {
    const auto o = static_cast<std::uint8_t>(c.U8());
    if (i < orderCount) m.orders.push_back(o);
  }
  c.at = headerStart + headerSize;

  m.patterns.clear();
  for (unsigned p = 0; p < patternCount && c.ok; ++p) {
    const std::size_t start = c.at;
    const std::uint32_t length = c.U32();
    c.U8();  // packing type
    const int rows = static_cast<int>(c.U16());
    const unsigned packed = c.U16();
    c.at = start + length;
    XmPattern pat = MakeXmPattern(m.channels, rows);
    const std::size_t end = c.at + packed;
    for (XmCell& cell : pat.cells) {
      if (c.at >= end) {
        why = "pattern data ends early";
        return false;
      }
      const unsigned first = c.U8();
      if (first & 0x80) {
        if (first & 1) cell.note = static_cast<std::uint8_t>(c.U8());
        if (first & 2) cell.instrument = static_cast<std::uint8_t>(c.U8());
        if (first & 4) cell.volume = static_cast<std::uint8_t>(c.U8());
        if (first & 8) cell.effect = static_cast<std::uint8_t>(c.U8());
        if (first & 16) cell.param = static_cast<std::uint8_t>(c.U8());
      } else {
        cell.note = static_cast<std::uint8_t>(first);
        cell.instrument = static_cast<std::uint8_t>(c.U8());
        cell.volume = static_cast<std::uint8_t>(c.U8());
        cell.effect = static_cast<std::uint8_t>(c.U8());
        cell.param = static_cast<std::uint8_t>(c.U8());
      }
    }
    if (c.at != end) {
      why = "pattern packed size does not match its data";
      return false;
    }
    m.patterns.push_back(std::move(pat));
  }

  m.instruments.clear();
  for (unsigned i = 0; i < instrumentCount && c.ok; ++i) {
    const std::size_t start = c.at;
    const std::uint32_t size = c.U32();
    XmInstrument ins;
    ins.name = c.Text(22);
    c.U8();
    const unsigned sampleCount = c.U16();
    if (sampleCount == 0) {
      c.at = start + size;
      m.instruments.push_back(std::move(ins));
      continue;
    }
    const std::uint32_t sampleHeaderSize = c.U32();
    for (auto& k : ins.keymap) k = static_cast<std::uint8_t>(c.U8());
    ins.volumeEnvelope = ReadEnvelopePoints(c);
    ins.panningEnvelope = ReadEnvelopePoints(c);
    const unsigned volCount = c.U8(), panCount = c.U8();
    const unsigned vs = c.U8(), vls = c.U8(), vle = c.U8();
    const unsigned ps = c.U8(), pls = c.U8(), ple = c.U8();
    const unsigned vflags = c.U8(), pflags = c.U8();
    if (volCount > 12 || panCount > 12) {
      why = "more than 12 envelope points";
      return false;
    }
    FinishEnvelope(ins.volumeEnvelope, volCount, vs, vls, vle, vflags);
    FinishEnvelope(ins.panningEnvelope, panCount, ps, pls, ple, pflags);
    ins.vibratoType = static_cast<std::uint8_t>(c.U8());
    ins.vibratoSweep = static_cast<std::uint8_t>(c.U8());
    ins.vibratoDepth = static_cast<std::uint8_t>(c.U8());
    ins.vibratoRate = static_cast<std::uint8_t>(c.U8());
    ins.fadeout = static_cast<std::uint16_t>(c.U16());
    c.at = start + size;
    std::vector<std::uint32_t> lengths;
    for (unsigned s = 0; s < sampleCount && c.ok; ++s) {
      const std::size_t sampleStart = c.at;
      XmSample smp;
      const std::uint32_t length = c.U32(), loopStart = c.U32(), loopLength = c.U32();
      smp.volume = static_cast<std::uint8_t>(c.U8());
      smp.finetune = static_cast<std::int8_t>(c.U8());
      const unsigned type = c.U8();
      smp.panning = static_cast<std::uint8_t>(c.U8());
      smp.relativeNote = static_cast<std::int8_t>(c.U8());
      c.U8();
      smp.name = c.Text(22);
      if (!(type & 0x10)) {
        why = "sample is not 16-bit";
        return false;
      }
      smp.loop = static_cast<XmLoop>(type & 3);
      smp.loopStart = loopStart / 2;
      smp.loopLength = loopLength / 2;
      lengths.push_back(length / 2);
      ins.samples.push_back(std::move(smp));
      c.at = sampleStart + sampleHeaderSize;
    }
    for (std::size_t s = 0; s < ins.samples.size() && c.ok; ++s) {
      std::uint16_t value = 0;
      auto& data = ins.samples[s].data;
      for (std::uint32_t k = 0; k < lengths[s] && c.ok; ++k) {
        value = static_cast<std::uint16_t>(value + c.U16());
        data.push_back(static_cast<std::int16_t>(value));
      }
    }
    m.instruments.push_back(std::move(ins));
  }
  if (!c.ok) {
    why = "file ends early";
    return false;
  }
  if (c.at != bytes.size()) {
    why = "bytes left over after the last instrument";
    return false;
  }
  return true;
}
