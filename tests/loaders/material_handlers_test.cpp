// Materials and their texture maps, read through the texture loader.
#include "support/fifo_watch.h"
#include "loader_fixture.h"

namespace {

Chunks MaterialWithMaps(std::initializer_list<std::string> maps) {
  Chunks w;
  w.Begin(0xAFFF).Begin(0xA000).Name("wall").End();
  for (const std::string& map : maps) w.Begin(0xA200).Begin(0xA300).Name(map).End().End();
  w.End();
  return w;
}

}  // namespace

TEST_F(LoaderTest, MaterialKeepsTheTextureOfItsLastMap) {
  WriteFile("textures/FIRST.TGA", TargaFile(2, 2));
  WriteFile("textures/SECOND.TGA", TargaFile(4, 4));
  Load(MaterialWithMaps({"FIRST.TGA", "second.tga"}));
  Material* wall = FindMaterial("wall");
  ASSERT_NE(wall->texture, nullptr);
  EXPECT_EQ(wall->texture->width, 4);
  EXPECT_EQ(CountRecords(Textures.first), 2);
}

TEST_F(LoaderTest, MissingTexturesAndMaterialsLeaveNothingBroken) {
  Load(MaterialWithMaps({"nothere.tga"}));
  EXPECT_EQ(FindMaterial("wall")->texture, nullptr);

  // A map with no material defined in the scene is skipped.
  FreeMaterials();
  FreeTextures();
  Chunks orphan;
  orphan.Begin(0xA200).Begin(0xA300).Name("orphan.tga").End().End();
  Load(orphan);
  EXPECT_EQ(Textures.first, nullptr);
}

TEST_F(LoaderTest, OverlongMapNameIsRefused) {
  std::string name(506, 'x');  // "Textures\\" + 506 characters does not fit in 516 bytes
  Load(MaterialWithMaps({name}));
  EXPECT_EQ(FindMaterial("wall")->texture, nullptr);
  EXPECT_EQ(Textures.first, nullptr);
  Load(MaterialWithMaps({std::string(505, 'x')}));
  EXPECT_EQ(CountRecords(Textures.first), 1);  // fits: tried, not found
}

// A map name comes from the file: one that climbs out of the Textures folder
// or starts at the root is refused with a warning, and the material is left
// without a texture, even one an earlier map gave it.
TEST_F(LoaderTest, TextureNamesStayInsideTheTexturesFolder) {
  WriteFile("textures/GOOD.TGA", TargaFile(2, 2));
  WriteFile("OUTSIDE.TGA", TargaFile(4, 4));
  for (const char* name : {"..\\OUTSIDE.TGA", "../OUTSIDE.TGA", "sub\\..\\..\\OUTSIDE.TGA", "..\\..\\..\\etc\\passwd",
                           "\\etc\\passwd", "/etc/passwd", ""}) {
    SCOPED_TRACE(name);
    testing::internal::CaptureStderr();
    Load(MaterialWithMaps({"GOOD.TGA", name}));
    const std::string err = testing::internal::GetCapturedStderr();
    Material* wall = Materials.last;
    ASSERT_NE(wall, nullptr);
    EXPECT_EQ(wall->texture, nullptr);
    EXPECT_NE(err.find("texture name \"" + std::string(name) + "\" is not a file name inside the Textures folder"),
              std::string::npos)
        << err;
  }
  // A name that only contains dots is an ordinary name.
  WriteFile("textures/A..B.TGA", TargaFile(1, 1));
  Load(MaterialWithMaps({"a..b.tga"}));
  EXPECT_NE(Materials.last->texture, nullptr);
}

// A FIFO or a directory in place of a model or texture file is passed over
// with a warning: the loader neither waits on it nor reads it.
TEST_F(LoaderTest, OnlyRegularFilesAreReadAsModelsAndTextures) {
  std::filesystem::create_directories(dir_ + "/Objects/dir.3ds");
  std::filesystem::create_directories(dir_ + "/textures/DIR.TGA");
  FifoWatch model(dir_ + "/Objects/fifo.3ds");
  FifoWatch texture(dir_ + "/textures/FIFO.TGA");
  ASSERT_TRUE(model.made());
  ASSERT_TRUE(texture.made());

  testing::internal::CaptureStderr();
  Load3ds("Objects\\fifo.3ds");
  Load3ds("Objects\\DIR.3DS");
  EXPECT_EQ(TakeListing(), "");
  Load(MaterialWithMaps({"FIFO.TGA"}));
  EXPECT_EQ(Materials.last->texture, nullptr);
  Load(MaterialWithMaps({"dir.tga"}));
  EXPECT_EQ(Materials.last->texture, nullptr);
  const std::string err = testing::internal::GetCapturedStderr();

  EXPECT_FALSE(model.readerWaited());
  EXPECT_FALSE(texture.readerWaited());
  for (const char* file : {"/Objects/fifo.3ds", "/Objects/dir.3ds", "/textures/FIFO.TGA", "/textures/DIR.TGA"}) {
    EXPECT_NE(err.find(file + std::string(" is not a regular file; not read")), std::string::npos) << file << "\n"
                                                                                                      << err;
  }
  EXPECT_EQ(MeshObjects.first, nullptr);
}
