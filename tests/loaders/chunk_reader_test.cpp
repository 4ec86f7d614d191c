// The chunk walker: the table lookup, the listing format, skipping, and the bounds
// that keep a damaged file from walking backwards, past its parent or too deep.
#include "loader_fixture.h"

TEST(ChunkTable, EachIdFindsItsOwnRowAndUnknownIdsNone) {
  // "Ambient color" is in the table twice; each id finds its own row.
  EXPECT_EQ(FindChunkType(0x2100), 10);
  EXPECT_EQ(FindChunkType(0xA010), 32);
  EXPECT_EQ(FindChunkType(0x1234), -1);
}

TEST_F(LoaderTest, ListsKnownChunksAndSkipsUnknownOnes) {
  Chunks w;
  w.Begin(0x4D4D).Begin(0x3D3D);
  w.Begin(0x1234).U32(7).End();                    // unknown: skipped, not listed
  w.Begin(0x4111).U16(1).End();                    // empty handler: listed, skipped
  w.Begin(0x0030).U16(5).U16(0x4D4D).U16(6).End();  // handler reads 2 of 6 bytes
  w.End().Begin(0x4F00).End().End();
  EXPECT_EQ(Load(w),
            "Chunk type \"Main\", offset 0x0, size 48 bytes\n"
            "  Chunk type \"Object Mesh\", offset 0x6, size 36 bytes\n"
            "    Chunk type \"Vertex flag list\", offset 0x16, size 8 bytes\n"
            "    Chunk type \"WORD\", offset 0x1E, size 12 bytes\n"
            "  Chunk type \"Hierarchy\", offset 0x2A, size 6 bytes\n");
}

TEST_F(LoaderTest, UnknownTopLevelChunkAndEmptyFileLoadNothing) {
  Chunks w;
  w.Begin(0x7777).Begin(0x4000).Name("box").End().End();
  EXPECT_EQ(Load(w), "");
  EXPECT_EQ(MeshObjects.first, nullptr);
  EXPECT_EQ(Load(Chunks()), "");
  Load3ds("Objects\\missing.3ds");
  EXPECT_EQ(TakeListing(), "");
}

TEST_F(LoaderTest, FindsTheFileWhateverTheCaseAndSeparators) {
  Chunks w;
  w.Begin(0x4D4D).End();
  WriteFile("objects/Scene01.3DS", w.bytes());
  Load3ds("OBJECTS\\scene01.3ds");
  EXPECT_EQ(TakeListing(), "Chunk type \"Main\", offset 0x0, size 6 bytes\n");
}

TEST_F(LoaderTest, ZeroLengthChunkEndsOnlyItsContainer) {
  Chunks w;
  w.Begin(0x4D4D).Begin(0xAFFF).Header(0x0030, 0);
  w.Begin(0xA000).Name("lost").End();  // behind the zero length: never read
  w.End().Begin(0x4F00).End().End();
  EXPECT_EQ(Load(w),
            "Chunk type \"Main\", offset 0x0, size 35 bytes\n"
            "  Chunk type \"Material\", offset 0x6, size 23 bytes\n"
            "  Chunk type \"Hierarchy\", offset 0x1D, size 6 bytes\n");
  EXPECT_EQ(Materials.first, nullptr);
}

TEST_F(LoaderTest, BadLengthsEndTheWalkOfTheirLevel) {
  // Shorter than a header: the rest of Main is not walked; the next top-level chunk is.
  Chunks shortChunk;
  shortChunk.Begin(0x4D4D).Header(0x4F00, 3).U8(0).U8(0).U8(0).Begin(0x4F00).End().End();
  shortChunk.Begin(0x4F00).End();
  EXPECT_EQ(Load(shortChunk),
            "Chunk type \"Main\", offset 0x0, size 21 bytes\n"
            "Chunk type \"Hierarchy\", offset 0x15, size 6 bytes\n");

  // Reaching past the parent, and past the end of the file.
  Chunks pastParent;
  pastParent.Begin(0x4D4D).Header(0x4F00, 100).End().Begin(0x4F00).End();
  EXPECT_EQ(Load(pastParent),
            "Chunk type \"Main\", offset 0x0, size 12 bytes\n"
            "Chunk type \"Hierarchy\", offset 0xC, size 6 bytes\n");
  Chunks pastEnd;
  pastEnd.Header(0x4D4D, 1000).Begin(0x4F00).End();
  EXPECT_EQ(Load(pastEnd), "");
}

TEST_F(LoaderTest, NestingStopsAtSixtyFourLevels) {
  Chunks w;
  for (int i = 0; i < 70; ++i) w.Begin(0x4D4D);
  for (int i = 0; i < 70; ++i) w.End();
  std::string listing = Load(w);
  int lines = 0;
  std::string last;
  for (std::size_t at = 0, end; (end = listing.find('\n', at)) != std::string::npos; at = end + 1, ++lines) {
    last = listing.substr(at, end - at);
  }
  EXPECT_EQ(lines, MaxChunkDepth);
  EXPECT_EQ(last.find_first_not_of(' '), 2u * (MaxChunkDepth - 1));
  EXPECT_EQ(LoadState.depth, 0);
}

TEST_F(LoaderTest, LongNamesAreEchoedWholeButKeptShort) {
  std::string name(2000, 'n');
  Chunks w;
  w.Begin(0x4000).Name(name).End();
  EXPECT_EQ(Load(w), "Chunk type \"Object Block\", offset 0x0, size 2007 bytes\n" + name);
  ASSERT_NE(MeshObjects.first, nullptr);
  EXPECT_EQ(std::strlen(MeshObjects.first->name), static_cast<std::size_t>(NameBufferSize - 1));
}

TEST_F(LoaderTest, ChunkKindIsSetOnEntryAndNotRestored) {
  Chunks mesh;
  mesh.Begin(0x4D4D).Begin(0x4100).End().Begin(0x4F00).End().End();
  Load(mesh);
  EXPECT_EQ(LoadState.chunkKind, ChunkKindMesh);
  Chunks camera;
  camera.Begin(0x4700);
  for (int i = 0; i < 8; ++i) camera.F32(0.0f);
  camera.End();
  Load(camera);
  EXPECT_EQ(LoadState.chunkKind, ChunkKindCamera);
}

// Record pointers a file left behind die with the registries at the end of a
// scene; the next file must not use them.
TEST_F(LoaderTest, StateFromAFinishedSceneIsNotUsed) {
  Chunks first;
  first.Begin(0xAFFF).Begin(0xA000).Name("old").End().End();
  Load(first);
  ASSERT_NE(LoadTargets.currentMaterial, nullptr);
  FreeMaterials();
  InitMaterials();

  Chunks second;
  second.Begin(0x4000).Name("box").Begin(0x4100);
  second.Begin(0x4110).U16(3).F32(0).F32(0).F32(0).F32(1).F32(0).F32(0).F32(0).F32(1).F32(0).End();
  second.Begin(0x4120).U16(1).U16(0).U16(1).U16(2).U16(0);
  second.Begin(0x4130).Name("unknown").U16(1).U16(0).End();
  second.End().End().End();
  Load(second);
  EXPECT_EQ(LoadTargets.currentMaterial, nullptr);
  Face& face = MeshObjects.first->geometry->faces[0];
  ASSERT_NE(face.material, nullptr);
  EXPECT_EQ(face.material, LoadTargets.defaultMaterial);
}
