// Materials and their texture maps, read through the texture loader.
#include "loader_support.h"

namespace {

ChunkWriter MaterialWithMaps(std::initializer_list<std::string> maps) {
  ChunkWriter w;
  w.Begin(0xAFFF).Begin(0xA000).Name("wall").End();
  for (const std::string& map : maps) w.Begin(0xA200).Begin(0xA300).Name(map).End().End();
  w.End();
  return w;
}

}  // namespace

TEST_F(LoaderTest, MaterialKeepsTheTextureOfItsLastMap) {
  WriteFile("textures/FIRST.TGA", MakeTarga(2, 2));
  WriteFile("textures/SECOND.TGA", MakeTarga(4, 4));
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
  ChunkWriter orphan;
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
