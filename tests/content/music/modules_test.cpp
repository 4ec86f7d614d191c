// The three generated modules as players see them: libopenmpt and libxmp
// both load them and agree on their structure; rendered at 48 kHz they last
// as long as their scenes need, sit at sensible levels without clipping or
// gaps, and differ from each other; the generator's output never changes
// from run to run. The renders are kept as WAV files in the build tree
// (music-wav/) for listening.
#include <gtest/gtest.h>
#include <xmp.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <libopenmpt/libopenmpt.hpp>
#include <sstream>

#include "support/process_folder.h"
#include "tools/content/content.h"
#include "xm_reader.h"

namespace fs = std::filesystem;

namespace {

struct Expected {
  const char* file;
  double minSeconds, maxSeconds;
};

// t3 carries scenes 0-4 (about 3 min 5 s) and loops; t2 covers about 45 s
// until the Outro's cue; t1 covers the Outro's 25 s.
const Expected kModules[] = {{"t1.xm", 24.0, 30.0}, {"t2.xm", 43.0, 50.0}, {"t3.xm", 90.0, 180.0}};

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Generated once per test process.
const fs::path& MusicDir() {
  static const fs::path dir = [] {
    const fs::path out = ProcessFolder("test-music");
    EXPECT_TRUE(WriteMusic(out.string()));
    return out / "Midas";
  }();
  return dir;
}

struct Render {
  std::vector<float> samples;  // interleaved stereo
  double reportedSeconds = 0.0;
};

Render RenderModule(const std::vector<std::uint8_t>& bytes) {
  std::ostringstream log;
  openmpt::module mod(bytes, log);
  Render r;
  r.reportedSeconds = mod.get_duration_seconds();
  std::vector<float> buf(4800 * 2);
  for (;;) {
    const std::size_t n = mod.read_interleaved_stereo(48000, 4800, buf.data());
    if (n == 0) break;
    r.samples.insert(r.samples.end(), buf.begin(), buf.begin() + static_cast<long>(n * 2));
  }
  return r;
}

void WriteWav(const fs::path& path, const std::vector<float>& samples) {
  std::ofstream o(path, std::ios::binary);
  auto u32 = [&o](std::uint32_t v) { o.write(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&o](std::uint16_t v) { o.write(reinterpret_cast<const char*>(&v), 2); };
  const auto bytes = static_cast<std::uint32_t>(samples.size() * 2);
  o.write("RIFF", 4);
  u32(36 + bytes);
  o.write("WAVEfmt ", 8);
  u32(16);
  u16(1);
  u16(2);
  u32(48000);
  u32(48000 * 4);
  u16(4);
  u16(16);
  o.write("data", 4);
  u32(bytes);
  for (float s : samples) {
    const auto v = static_cast<std::int16_t>(std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f));
    u16(static_cast<std::uint16_t>(v));
  }
}

double Db(double amplitude) { return 20.0 * std::log10(std::max(amplitude, 1e-12)); }

}  // namespace

TEST(Modules, BothPlayersLoadThemAndAgree) {
  for (const Expected& e : kModules) {
    SCOPED_TRACE(e.file);
    const auto bytes = ReadFile(MusicDir() / e.file);
    ASSERT_FALSE(bytes.empty());
    XmModule ours;
    std::string why;
    ASSERT_TRUE(ReadXm(bytes, ours, why)) << why;

    std::ostringstream log;
    openmpt::module mod(bytes, log);
    EXPECT_EQ(log.str(), "") << "libopenmpt warned while loading";
    EXPECT_EQ(mod.get_metadata("type"), "xm");
    EXPECT_EQ(mod.get_num_patterns(), static_cast<std::int32_t>(ours.patterns.size()));
    EXPECT_EQ(mod.get_num_orders(), static_cast<std::int32_t>(ours.orders.size()));
    EXPECT_EQ(mod.get_num_instruments(), static_cast<std::int32_t>(ours.instruments.size()));
    EXPECT_EQ(mod.get_num_channels(), ours.channels);

    xmp_context ctx = xmp_create_context();
    ASSERT_EQ(xmp_load_module_from_memory(ctx, bytes.data(), static_cast<long>(bytes.size())), 0);
    xmp_module_info info{};
    xmp_get_module_info(ctx, &info);
    // libxmp's XM loader adds one blank pattern of its own after the file's.
    EXPECT_EQ(info.mod->pat, mod.get_num_patterns() + 1);
    EXPECT_EQ(info.mod->ins, mod.get_num_instruments());
    EXPECT_EQ(info.mod->smp, mod.get_num_samples());
    EXPECT_EQ(info.mod->len, mod.get_num_orders());
    EXPECT_EQ(info.mod->chn, ours.channels);
    EXPECT_EQ(info.mod->bpm, ours.bpm);
    EXPECT_EQ(info.mod->spd, ours.speed);
    EXPECT_EQ(info.mod->rst, ours.restartPosition);
    for (int i = 0; i < info.mod->len; ++i) EXPECT_EQ(info.mod->xxo[i], ours.orders[static_cast<std::size_t>(i)]);
    xmp_release_module(ctx);
    xmp_free_context(ctx);
  }
}

TEST(Modules, RenderedLengthLevelsAndGaps) {
  const fs::path wavDir = fs::path(KAVRET_BINARY_DIR) / "music-wav";
  fs::create_directories(wavDir);
  for (const Expected& e : kModules) {
    SCOPED_TRACE(e.file);
    const Render r = RenderModule(ReadFile(MusicDir() / e.file));
    WriteWav(wavDir / fs::path(e.file).replace_extension(".wav"), r.samples);

    const double seconds = static_cast<double>(r.samples.size()) / 2 / 48000;
    EXPECT_GE(seconds, e.minSeconds);
    EXPECT_LE(seconds, e.maxSeconds);
    EXPECT_NEAR(r.reportedSeconds, seconds, 0.2);

    double peak = 0.0, power = 0.0;
    // The longest run of near-silence (both channels below -60 dBFS).
    std::size_t quiet = 0, longestQuiet = 0;
    for (std::size_t i = 0; i + 1 < r.samples.size(); i += 2) {
      const double l = std::fabs(r.samples[i]), rr = std::fabs(r.samples[i + 1]);
      peak = std::max({peak, l, rr});
      power += l * l + rr * rr;
      quiet = (l < 0.001 && rr < 0.001) ? quiet + 1 : 0;
      longestQuiet = std::max(longestQuiet, quiet);
    }
    const double rms = std::sqrt(power / static_cast<double>(r.samples.size()));
    EXPECT_LT(Db(peak), -1.0);
    EXPECT_GT(Db(rms), -20.0);
    EXPECT_LT(Db(rms), -10.0);
    EXPECT_LT(longestQuiet, 48000u) << "a gap of " << longestQuiet / 48000.0 << " s";
  }
}

TEST(Modules, ThreeDifferentPieces) {
  std::vector<XmModule> modules;
  for (const Expected& e : kModules) {
    XmModule m;
    std::string why;
    ASSERT_TRUE(ReadXm(ReadFile(MusicDir() / e.file), m, why)) << e.file << ": " << why;
    modules.push_back(std::move(m));
  }
  for (std::size_t a = 0; a < modules.size(); ++a)
    for (std::size_t b = a + 1; b < modules.size(); ++b) EXPECT_NE(modules[a].bpm, modules[b].bpm) << a << " " << b;
}

TEST(Modules, GeneratorIsDeterministic) {
  const fs::path again = ProcessFolder("test-music-again");
  ASSERT_TRUE(WriteMusic(again.string()));
  for (const Expected& e : kModules) {
    const auto first = ReadFile(MusicDir() / e.file);
    EXPECT_FALSE(first.empty());
    EXPECT_TRUE(first == ReadFile(again / "Midas" / e.file)) << e.file;
  }
}

TEST(Modules, UnwritableDirectoryIsReported) {
  // A file where the Midas directory should go.
  const fs::path blocked = ProcessFolder("test-music-blocked");
  std::ofstream(blocked / "Midas") << "not a directory";
  EXPECT_FALSE(WriteMusic(blocked.string()));
}
