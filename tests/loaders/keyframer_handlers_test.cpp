// Keyframer tracks: the listing of every track kind, spline extras, and the
// scale track's last key applied to the node's object.
#include <algorithm>

#include "loader_fixture.h"

namespace {

void TrackHeader(Chunks& w, std::uint16_t count) {
  for (std::uint16_t word : {0x10, 0x0, 0x2, 0x0, 0xAB}) w.U16(word);
  w.U16(count).U16(0x0);
}

void Key(Chunks& w, std::uint16_t frame, std::uint16_t flags, std::initializer_list<float> values) {
  w.U16(frame).U16(0).U16(flags);
  for (int bit = 0; bit < 16; ++bit) {
    if (flags & (1u << bit)) w.F32(99.0f);  // spline extra, dropped
  }
  for (float f : values) w.F32(f);
}

// A node "Track info" naming `object`, holding one track chunk.
Chunks Node(const char* object, void (*track)(Chunks&)) {
  Chunks w;
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
  std::string position = Load(Node("box", [](Chunks& w) {
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

  std::string rotation = Load(Node("box", [](Chunks& w) {
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
  std::string listing = Load(Node("box", [](Chunks& w) {
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
  std::string listing = Load(Node("BOX", [](Chunks& w) {
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
  Load(Node("box", [](Chunks& w) {
    w.Begin(0xB022);
    TrackHeader(w, 0);
    w.End();
  }));
  Load(Node("crate", [](Chunks& w) {
    w.Begin(0xB022);
    TrackHeader(w, 1);
    Key(w, 0, 0, {9, 9, 9});
    w.End();
  }));
  Chunks cut = Node("box", [](Chunks& w) {
    w.Begin(0xB022);
    TrackHeader(w, 1);
    Key(w, 0, 0, {8, 8});
    w.End();
  });
  Load(cut);
  EXPECT_FLOAT_EQ(box->scale.x, 3.0f);
}

// A track holds what its chunk holds: a key count larger than that ends the
// track at the chunk's end, as the end of the file would, and the chunks
// behind it are read as chunks, not as keys or names.
TEST_F(LoaderTest, TracksAndNamesEndWithTheirChunk) {
  std::string listing = Load(Node("box", [](Chunks& w) {
    w.Begin(0xB020);
    TrackHeader(w, 5);
    Key(w, 0, 0, {1, 2, 3});
    Key(w, 10, 0, {4, 5, 6});
    Key(w, 20, 0, {7, 8});  // cut inside its value
    w.End();
    w.Begin(0xB026);
    TrackHeader(w, 2);
    Key(w, 30, 0, {});
    for (char c : std::string("ball")) w.U8(static_cast<std::uint8_t>(c));  // no NUL
    w.End();
    w.Begin(0xB030).U16(7).End();
  }));
  EXPECT_EQ(TrackLines(listing), std::string(HeaderLines) +
                                     "    Position keys: 5\n"
                                     "    Unknown: 0x0\n"
                                     "      Frame   0: Flags 0x0\n"
                                     "    \t\tX: 1.000000, Y: 2.000000, Z: 3.000000\n"
                                     "      Frame  10: Flags 0x0\n"
                                     "    \t\tX: 4.000000, Y: 5.000000, Z: 6.000000\n"
                                     "      Frame  20: Flags 0x0\n"
                                     "  Chunk type \"Morph keys\", offset 0x5C, size 30 bytes\n" +
                                     HeaderLines +
                                     "    Morph keys: 2\n"
                                     "    Unknown: 0x0\n"
                                     "      Frame  30: Flags 0x0\n"
                                     "    \t\tObject name: \"ball"
                                     "  Chunk type \"Object number\", offset 0x7A, size 8 bytes\n"
                                     "    Object number: 7\n");

  // A scale track cut short applies nothing, even with a chunk behind it
  // whose bytes would complete the key.
  MeshObject* box = AddMeshObject("box");
  Load(Node("box", [](Chunks& w) {
    w.Begin(0xB022);
    TrackHeader(w, 1);
    Key(w, 0, 0, {8, 8});
    w.End();
    w.Begin(0xB030).U16(7).End();
  }));
  EXPECT_FLOAT_EQ(box->scale.x, 1.0f);

  // A node name without its NUL ends with its chunk and still names the node.
  Chunks unterminated;
  unterminated.Begin(0xB002).Begin(0xB010);
  for (char c : std::string("box")) unterminated.U8(static_cast<std::uint8_t>(c));
  unterminated.End().Begin(0xB022);
  TrackHeader(unterminated, 1);
  Key(unterminated, 0, 0, {2, 3, 4});
  unterminated.End().End();
  listing = Load(unterminated);
  EXPECT_NE(listing.find("size 9 bytes\nbox  Chunk type \"Scale keys\""), std::string::npos) << listing;
  EXPECT_FLOAT_EQ(box->scale.z, 4.0f);
}

namespace {

// An in-memory input stream that counts the bytes the loader takes from it
// and, past a cap, reads as ended, so that a loader doing too much work stops
// soon and fails the count instead of running for minutes.
struct CountingInput {
  const std::vector<std::uint8_t>* bytes;
  long position;
  long bytesRead;
  long cap;
};

ssize_t ReadCounted(void* cookie, char* buffer, size_t size) {
  auto* in = static_cast<CountingInput*>(cookie);
  const long size_ = static_cast<long>(in->bytes->size());
  long n = std::min(static_cast<long>(size), size_ - in->position);
  n = std::min(n, in->cap - in->bytesRead);
  if (n <= 0) return 0;
  std::memcpy(buffer, in->bytes->data() + in->position, static_cast<std::size_t>(n));
  in->position += n;
  in->bytesRead += n;
  return n;
}

int SeekCounted(void* cookie, off64_t* offset, int whence) {
  auto* in = static_cast<CountingInput*>(cookie);
  const long base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? in->position : static_cast<long>(in->bytes->size());
  const long target = base + static_cast<long>(*offset);
  if (target < 0) return -1;
  in->position = target;
  *offset = target;
  return 0;
}

ssize_t CountWritten(void* cookie, const char*, size_t size) {
  *static_cast<long*>(cookie) += static_cast<long>(size);
  return static_cast<ssize_t>(size);
}

// What loading a file took: bytes read, listing bytes written, faces visited.
struct LoadWork {
  long size;
  long bytesRead;
  long listed;
  long long faceVisits;
};

// Walks the file from an unbuffered counting stream, so that every byte
// counted is a byte the loader asked for; the listing is only counted.
LoadWork WalkCounted(const Chunks& w) {
  const long size = static_cast<long>(w.bytes().size());
  LoadWork work{size, 0, 0, 0};
  CountingInput in{&w.bytes(), 0, 0, 4 * size};
  std::FILE* stream = fopencookie(&in, "rb", {ReadCounted, nullptr, SeekCounted, nullptr});
  std::FILE* sink = fopencookie(&work.listed, "w", {nullptr, CountWritten, nullptr, nullptr});
  if (!stream || !sink) {
    ADD_FAILURE() << "no in-memory stream";
    return work;
  }
  std::setvbuf(stream, nullptr, _IONBF, 0);
  std::FILE* listing = LoadState.listing;
  LoadState.listing = sink;
  LoadState.faceVisits = 0;
  ReadChunks(stream, 0, size);
  std::fflush(sink);
  LoadState.listing = listing;
  std::fclose(sink);
  std::fclose(stream);
  work.bytesRead = in.bytesRead;
  work.faceVisits = LoadState.faceVisits;
  return work;
}

constexpr long TargetSize = 1 << 20;

// One object of 65,535 faces on three vertices, then small chunks added by
// `more` inside its mesh until the file is about a megabyte.
Chunks FacesThen(void (*more)(Chunks&)) {
  Chunks w;
  w.Begin(0x4D4D).Begin(0x3D3D).Begin(0x4000).Name("many").Begin(0x4100);
  w.Begin(0x4110).U16(3);
  for (int i = 0; i < 9; ++i) w.F32(static_cast<float>(i));
  w.End().Begin(0x4120).U16(0xFFFF);
  for (int i = 0; i < 0xFFFF; ++i) w.U16(i % 3).U16((i + 1) % 3).U16((i + 2) % 3).U16(0);
  w.End();
  while (static_cast<long>(w.bytes().size()) < TargetSize - 64) more(w);
  w.End().End().End().End();
  return w;
}

}  // namespace

// A megabyte of 20-byte keyframer chunks, each a track claiming 65,535 keys
// or a name without its NUL: the loader reads each chunk once and lists each
// one in a few lines, so bytes read and listing bytes grow with the file.
TEST_F(LoaderTest, LoadingWorkGrowsLinearlyWithTheFile) {
  const std::uint16_t tracks[] = {0xB020, 0xB021, 0xB022, 0xB023, 0xB024, 0xB026, 0xB029, 0xB010};
  Chunks w;
  w.Begin(0x4D4D).Begin(0xB000).Begin(0xB002);
  long chunks = 3;
  for (long at = 18; at + 20 <= TargetSize; at += 20, ++chunks) {
    const std::uint16_t id = tracks[chunks % 8];
    w.Begin(id);
    if (id == 0xB010) {
      for (int i = 0; i < 14; ++i) w.U8('A');
    } else {
      TrackHeader(w, 0xFFFF);
    }
    w.End();
  }
  w.End().End().End();
  const LoadWork work = WalkCounted(w);

  // Every header and body byte once, and nothing twice.
  EXPECT_LE(work.bytesRead, work.size) << "bytes read for a file of " << work.size;
  // A chunk line and seven short lines, some 220 bytes, for each 20-byte chunk.
  EXPECT_LE(work.listed, 12 * work.size) << "listing bytes for a file of " << work.size;
  EXPECT_GE(work.listed, 5 * work.size) << "every chunk is listed";
}

// The mesh lists of a megabyte: 65,535 faces, then tens of thousands of
// vertex lists that each replace the vertices under them, or of empty face
// lists. The faces are visited a few times in all, not once for every list.
TEST_F(LoaderTest, MeshLoadingWorkGrowsLinearlyWithTheFile) {
  const Chunks vertexLists = FacesThen([](Chunks& w) { w.Begin(0x4110).U16(1).F32(0).F32(0).F32(0).End(); });
  const LoadWork relisted = WalkCounted(vertexLists);
  EXPECT_LE(relisted.bytesRead, relisted.size);
  EXPECT_LE(relisted.faceVisits, 4 * 0xFFFF) << "faces visited for a file of " << relisted.size;
  // Every face ends on the one vertex left, with the default material.
  const MeshGeometry* g = FindMeshObject("many")->geometry;
  ASSERT_EQ(g->vertexCount, 1);
  ASSERT_EQ(g->faceCount, 0xFFFF);
  for (std::int32_t i = 0; i < g->faceCount; ++i) {
    ASSERT_TRUE(g->faces[i].vertices[0] == g->vertices && g->faces[i].vertices[2] == g->vertices) << i;
    ASSERT_NE(g->faces[i].material, nullptr) << i;
  }

  const Chunks emptyFaceLists = FacesThen([](Chunks& w) { w.Begin(0x4120).U16(0).End(); });
  const LoadWork refaced = WalkCounted(emptyFaceLists);
  EXPECT_LE(refaced.bytesRead, refaced.size);
  EXPECT_LE(refaced.faceVisits, 4 * 0xFFFF) << "faces visited for a file of " << refaced.size;
  EXPECT_LE(refaced.listed, 12 * refaced.size);
}
