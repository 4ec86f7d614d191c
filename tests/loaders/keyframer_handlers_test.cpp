// Keyframer tracks: the listing of every track kind, spline extras, and the
// scale track's last key applied to the node's object.
#include "loader_support.h"

namespace {

void TrackHeader(ChunkWriter& w, std::uint16_t count) {
  for (std::uint16_t word : {0x10, 0x0, 0x2, 0x0, 0xAB}) w.U16(word);
  w.U16(count).U16(0x0);
}

void Key(ChunkWriter& w, std::uint16_t frame, std::uint16_t flags, std::initializer_list<float> values) {
  w.U16(frame).U16(0).U16(flags);
  for (int bit = 0; bit < 16; ++bit) {
    if (flags & (1u << bit)) w.F32(99.0f);  // spline extra, dropped
  }
  for (float f : values) w.F32(f);
}

// A node "Track info" naming `object`, holding one track chunk.
ChunkWriter Node(const char* object, void (*track)(ChunkWriter&)) {
  ChunkWriter w;
  w.Begin(0xB002).Begin(0xB010).Name(object).U16(0).U16(0).U16(0xFFFF).End();
  track(w);
  w.End();
  return w;
}

// The listing lines after the two chunk lines and the echoed name.
std::string TrackLines(const std::string& listing) {
  std::size_t at = listing.find('\n');
  at = listing.find('\n', at + 1);
  return listing.substr(listing.find('\n', at + 1) + 1);
}

const char* const HeaderLines =
    "    Unknown #0: 0x10\n"
    "    Unknown #1: 0x0\n"
    "    Unknown #2: 0x2\n"
    "    Unknown #3: 0x0\n"
    "    Unknown #4: 0xab\n";

}  // namespace

TEST_F(LoaderTest, PositionAndRotationKeysAreListed) {
  std::string position = Load(Node("box", [](ChunkWriter& w) {
    w.Begin(0xB020);
    TrackHeader(w, 2);
    Key(w, 0, 0x0003, {1.5f, -2, 3});
    Key(w, 120, 0x8000, {0, 0, 0.25f});
    w.End();
  }));
  EXPECT_EQ(position.substr(0, 51), "Chunk type \"Track info\", offset 0x0, size 90 bytes\n");
  EXPECT_EQ(TrackLines(position), std::string(HeaderLines) +
                                      "    Position keys: 2\n"
                                      "    Unknown: 0x0\n"
                                      "      Frame   0: Flags 0x3\n"
                                      "    \t\tX: 1.500000, Y: -2.000000, Z: 3.000000\n"
                                      "      Frame 120: Flags 0x8000\n"
                                      "    \t\tX: 0.000000, Y: 0.000000, Z: 0.250000\n");

  std::string rotation = Load(Node("box", [](ChunkWriter& w) {
    w.Begin(0xB021);
    TrackHeader(w, 1);
    Key(w, 5, 0, {3.141592687f, 0, 0, 1});
    w.End();
  }));
  EXPECT_EQ(TrackLines(rotation), std::string(HeaderLines) +
                                      "    Rotation keys: 1\n"
                                      "    Unknown: 0x0\n"
                                      "      Frame   5: Flags 0x0\n"
                                      "    \t\tAngle: 180.000000\xA7, X: 0.000000, Y: 0.000000, Z: 1.000000\n");
}

TEST_F(LoaderTest, OtherTracksAreListedAndChangeNothing) {
  AddMeshObject("box");
  std::string listing = Load(Node("box", [](ChunkWriter& w) {
    w.Begin(0xB023);
    TrackHeader(w, 1);
    Key(w, 1, 0, {45});
    w.End().Begin(0xB024);
    TrackHeader(w, 1);
    Key(w, 2, 0, {-1});
    w.End().Begin(0xB026);
    TrackHeader(w, 1);
    Key(w, 3, 0, {});
    w.Name("ball").End();
    w.Begin(0xB030).U16(7).End();
    w.Begin(0xB029);
    TrackHeader(w, 2);
    w.U16(0).U16(1).U16(2).U16(30).U16(3).U16(4).End();
  }));
  const std::string expected = std::string(HeaderLines) +
                               "    FOV keys: 1\n    Unknown: 0x0\n      Frame   1: Flags 0x0\n"
                               "    \t       FOV: 45.000000\n"
                               "  Chunk type \"Roll track\", offset 0x34, size 30 bytes\n" +
                               HeaderLines +
                               "    Roll keys: 1\n    Unknown: 0x0\n      Frame   2: Flags 0x0\n"
                               "    \t       Roll: -1.000000\n"
                               "  Chunk type \"Morph keys\", offset 0x52, size 31 bytes\n" +
                               HeaderLines +
                               "    Morph keys: 1\n    Unknown: 0x0\n      Frame   3: Flags 0x0\n"
                               "    \t\tObject name: \"ball"
                               "  Chunk type \"Object number\", offset 0x71, size 8 bytes\n"
                               "    Object number: 7\n"
                               "  Chunk type \"Hide keys\", offset 0x79, size 32 bytes\n" +
                               HeaderLines +
                               "    Hide keys: 2\n    Unknown: 0x0\n"
                               "      Frame: 0\n        Unknown #0: 0x1\n        Unknown #1: 0x2\n"
                               "      Frame: 30\n        Unknown #0: 0x3\n        Unknown #1: 0x4\n";
  EXPECT_EQ(TrackLines(listing), expected);
  Vec4 scale = FindMeshObject("box")->scale;
  EXPECT_FLOAT_EQ(scale.x, 1.0f);
  EXPECT_FLOAT_EQ(scale.z, 1.0f);
}

TEST_F(LoaderTest, ScaleTrackSetsTheScaleOfItsLastKey) {
  MeshObject* box = AddMeshObject("Box");
  std::string listing = Load(Node("BOX", [](ChunkWriter& w) {
    w.Begin(0xB022);
    TrackHeader(w, 3);
    Key(w, 0, 0, {1, 1, 1});
    Key(w, 10, 0x3, {2, 2, 2});
    Key(w, 20, 0x8000, {3, 4, 5});
    w.End();
  }));
  EXPECT_NE(listing.find("    \t       X: 3.000000, Y: 4.000000, Z: 5.000000\n"), std::string::npos);
  EXPECT_FLOAT_EQ(box->scale.x, 3.0f);
  EXPECT_FLOAT_EQ(box->scale.y, 4.0f);
  EXPECT_FLOAT_EQ(box->scale.z, 5.0f);
  EXPECT_FLOAT_EQ(box->scale.w, 1.0f);

  // No keys, a name that matches no object, or a track cut short: no change.
  Load(Node("box", [](ChunkWriter& w) {
    w.Begin(0xB022);
    TrackHeader(w, 0);
    w.End();
  }));
  Load(Node("crate", [](ChunkWriter& w) {
    w.Begin(0xB022);
    TrackHeader(w, 1);
    Key(w, 0, 0, {9, 9, 9});
    w.End();
  }));
  ChunkWriter cut = Node("box", [](ChunkWriter& w) {
    w.Begin(0xB022);
    TrackHeader(w, 1);
    Key(w, 0, 0, {8, 8});
    w.End();
  });
  Load(cut);
  EXPECT_FLOAT_EQ(box->scale.x, 3.0f);
}
