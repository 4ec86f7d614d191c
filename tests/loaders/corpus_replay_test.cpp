// Replays the saved fuzzing corpus through both loaders as a fuzz target would:
// every file must load (or be refused) without a fault, and every face left
// behind must have its corners inside its vertex array and a material. Under
// the sanitizer build this catches any out-of-bounds access the corpus reaches.
#include <algorithm>

#include "loader_fixture.h"
#include "loaders/texture_file.h"

namespace {

std::vector<std::filesystem::path> CorpusFiles(const char* target) {
  std::vector<std::filesystem::path> files;
  std::filesystem::path dir = std::filesystem::path(KAVRET_SOURCE_DIR) / "fuzz" / "corpus" / target;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

TEST_F(LoaderTest, SavedModelCorpusLoadsSafely) {
  WriteFile("Textures/A.TGA", TargaFile(2, 2));
  std::vector<std::filesystem::path> files = CorpusFiles("load3ds");
  ASSERT_FALSE(files.empty());
  for (const auto& file : files) {
    LensFlareTemplate = AddSprite(SpriteLensFlare);
    SetCurrentCamera(AddCamera());
    Load3ds(file.c_str());
    for (const MeshGeometry* g = Geometries.first; g; g = g->next) {
      for (std::int32_t i = 0; i < g->faceCount; ++i) {
        const Face& face = g->faces[i];
        EXPECT_NE(face.material, nullptr) << file;
        for (const Vertex* corner : face.vertices) {
          EXPECT_TRUE(corner >= g->vertices && corner < g->vertices + g->vertexCount) << file;
        }
      }
    }
    FreeSceneRecords();
    InitSceneRecords();
  }
}

TEST_F(LoaderTest, SavedTextureCorpusLoadsSafely) {
  std::vector<std::filesystem::path> files = CorpusFiles("texture");
  ASSERT_FALSE(files.empty());
  for (const auto& file : files) {
    Texture* texture = LoadTexture(file.c_str());
    if (!texture) {
      EXPECT_EQ(Textures.last->pixels, nullptr) << file;
      continue;
    }
    EXPECT_EQ(texture->width, texture->height) << file;
    EXPECT_GE(texture->mipLevels, 1) << file;
  }
}
