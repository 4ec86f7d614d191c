// The sequencer's sweep between two scenes and the model loader: nothing the
// loader kept of the last scene's records is used for the next scene's file.
#include "app/sequencer.h"
#include "loaders/loader_fixture.h"

namespace {

// An object block "name" holding a triangle whose face no face-material chunk names.
void Triangle(Chunks& w, const char* name) {
  w.Begin(0x4000).Name(name).Begin(0x4100);
  w.Begin(0x4110).U16(3).F32(0).F32(0).F32(0).F32(1).F32(0).F32(0).F32(0).F32(1).F32(0).End();
  w.Begin(0x4120).U16(1).U16(0).U16(1).U16(2).U16(0).End();
  w.End().End();
}

}  // namespace

// The real order of a scene change: the sweep, then the next scene's set-up,
// whose lens-flare materials are among the first records allocated and so
// often get the addresses the last scene's materials had, then the next file.
// A map chunk before any material block and a face with no material must not
// land on a flare material. Which address comes back depends on the heap, so
// scenes with 1 to 16 materials are played in turn (a Release build reuses
// freed memory at once; a sanitizer build holds it back).
TEST_F(LoaderTest, RecordsOfTheLastSceneAreForgottenAtTheSweep) {
  for (const char* lens : {"lens1", "lens2", "lens3", "lens4"}) {
    WriteFile(std::string("Textures/") + lens + ".tga", TargaFile(16, 16));
  }
  WriteFile("Textures/MAP.TGA", TargaFile(2, 2));
  FreeSceneRecords();
  for (int materials = 1; materials <= 16; ++materials) {
    SCOPED_TRACE("scene with " + std::to_string(materials) + " materials");
    InitAllRegistries();
    Chunks first;
    first.Begin(0x4D4D).Begin(0x3D3D);
    for (int i = 0; i < materials; ++i) first.Begin(0xAFFF).Begin(0xA000).Name("paint" + std::to_string(i)).End().End();
    Triangle(first, "box");
    first.Begin(0x4000).Name("lamp").Begin(0x4600).F32(0).F32(0).F32(0).End().End();
    first.End().End();
    Load(first);
    ASSERT_NE(LoadTargets.currentMaterial, nullptr);
    ASSERT_NE(LoadTargets.defaultMaterial, nullptr);
    ASSERT_NE(LoadTargets.currentObject, nullptr);
    ASSERT_NE(LoadTargets.currentLight, nullptr);

    FreeAllRegistries();
    EXPECT_EQ(LoadTargets.currentMaterial, nullptr);
    EXPECT_EQ(LoadTargets.defaultMaterial, nullptr);
    EXPECT_EQ(LoadTargets.currentObject, nullptr);
    EXPECT_EQ(LoadTargets.currentLight, nullptr);

    InitAllRegistries();
    ASSERT_NE(LensFlareTemplate, nullptr);
    Material* flareMaterials[4];
    Texture* flareTextures[4];
    for (int i = 0; i < 4; ++i) {
      flareMaterials[i] = LensFlareTemplate->materials[i];
      ASSERT_NE(flareMaterials[i], nullptr);
      flareTextures[i] = flareMaterials[i]->texture;
    }
    Chunks second;
    second.Begin(0x4D4D).Begin(0x3D3D);
    second.Begin(0xA300).Name("MAP.TGA").End();
    Triangle(second, "crate");
    second.End().End();
    Load(second);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(flareMaterials[i]->texture, flareTextures[i]) << "flare material " << i;
    const Face& face = FindMeshObject("crate")->geometry->faces[0];
    ASSERT_NE(face.material, nullptr);
    EXPECT_STREQ(face.material->name, "(default)");
    FreeAllRegistries();
  }
}
