// The scene registries: linking and unlinking, creation defaults, name
// look-ups and the end-of-scene sweep.
#include <gtest/gtest.h>

#include <cstdlib>

#include "scene/scene.h"

namespace {

class Registries : public ::testing::Test {
 protected:
  void SetUp() override { InitSceneRegistries(); }
  void TearDown() override { FreeSceneRegistries(); }
};

template <typename T>
void ExpectChain(const Registry<T>& registry, std::initializer_list<T*> records) {
  T* prev = nullptr;
  T* at = registry.first;
  for (T* expected : records) {
    ASSERT_EQ(at, expected);
    EXPECT_EQ(at->prev, prev);
    prev = at;
    at = at->next;
  }
  EXPECT_EQ(at, nullptr);
  EXPECT_EQ(registry.last, prev);
}

}  // namespace

TEST_F(Registries, RemovingFirstMiddleLastAndOnly) {
  Material* a = AddMaterial("a");
  Material* b = AddMaterial("b");
  Material* c = AddMaterial("c");
  Material* d = AddMaterial("d");
  ExpectChain(Materials, {a, b, c, d});
  EXPECT_EQ(Materials.current, nullptr);  // Add never sets current

  RemoveMaterial(b);
  ExpectChain(Materials, {a, c, d});
  RemoveMaterial(a);
  ExpectChain(Materials, {c, d});
  RemoveMaterial(d);
  ExpectChain(Materials, {c});

  Materials.current = c;
  RemoveMaterial(c);
  EXPECT_EQ(Materials.first, nullptr);
  EXPECT_EQ(Materials.last, nullptr);
  EXPECT_EQ(Materials.current, nullptr);

  // A record that is not current leaves current alone.
  Camera* one = AddCamera();
  Camera* two = AddCamera();
  SetCurrentCamera(one);
  RemoveCamera(two);
  EXPECT_EQ(Cameras.current, one);
  ExpectChain(Cameras, {one});
}

TEST_F(Registries, NamesCompareWithoutCaseAndWithoutPrefixes) {
  EXPECT_TRUE(NamesEqual("SkySphere", "SKYSPHERE"));
  EXPECT_TRUE(NamesEqual("", ""));
  EXPECT_FALSE(NamesEqual("sky", "skysphere"));
  EXPECT_FALSE(NamesEqual("skysphere", "sky"));
  EXPECT_FALSE(NamesEqual("box_1", "box_2"));
  // Only ASCII letters fold: '@' (0x40) and '`' (0x60) stay apart, as do
  // '[' and '{'.
  EXPECT_FALSE(NamesEqual("@", "`"));
  EXPECT_FALSE(NamesEqual("[", "{"));
  EXPECT_TRUE(NamesEqual("a_z", "A_Z"));
  EXPECT_FALSE(NamesEqual(nullptr, "x"));
  EXPECT_FALSE(NamesEqual("x", nullptr));
}

TEST_F(Registries, FindsReturnTheOldestMatch) {
  MeshObject* box = AddMeshObject("Box");
  MeshObject* box2 = AddMeshObject("box");
  MeshObject* sky = AddMeshObject("skysphere");
  AddMeshObject(nullptr);  // a nameless record is passed over
  EXPECT_EQ(FindMeshObject("BOX"), box);
  EXPECT_EQ(FindMeshObject("skySphere"), sky);
  EXPECT_EQ(FindMeshObject("sky"), nullptr);
  EXPECT_EQ(FindMeshObject("skysphere2"), nullptr);
  RemoveMeshObject(box);
  EXPECT_EQ(FindMeshObject("BOX"), box2);

  Material* m1 = AddMaterial("Lenz");
  AddMaterial("LENZ");
  EXPECT_EQ(FindMaterial("lenz"), m1);
  EXPECT_EQ(FindMaterial("len"), nullptr);

  LightGroup* group = LightGroups.current;
  Light* l1 = AddLight(group, 2, "Sun");
  AddLight(group, 2, "SUN");
  EXPECT_EQ(FindLight(group, "sun"), l1);
  EXPECT_EQ(FindLight(group, "su"), nullptr);
  EXPECT_EQ(FindLight(nullptr, "sun"), nullptr);
}

TEST_F(Registries, NamesAreOwnedCopies) {
  char name[] = "rocket69";
  MeshObject* o = AddMeshObject(name);
  name[0] = 'X';
  EXPECT_STREQ(o->name, "rocket69");
  EXPECT_NE(o->name, name);
}

TEST_F(Registries, CameraHalfAnglesAndScreenCentre) {
  Camera* c = AddCamera();
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->halfAngleX, 45.0 * 0.01745329252 / 2.0);
  EXPECT_EQ(c->halfAngleY, c->halfAngleX);
  EXPECT_EQ(Cameras.current, nullptr);

  SetCameraScreen(c, 641, 480);
  EXPECT_EQ(c->halfWidth, 320.5f);
  EXPECT_EQ(c->halfHeight, 240.0f);
  SetCurrentCamera(c);
  EXPECT_EQ(Cameras.current, c);
}

TEST_F(Registries, LightGroupsAndLights) {
  ASSERT_NE(LightGroups.current, nullptr);
  EXPECT_EQ(LightGroups.first, LightGroups.current);
  EXPECT_EQ(LightGroups.last, LightGroups.current);
  LightGroup* group = LightGroups.current;

  Light* a = AddLight(group, 2, "a");
  Light* b = AddLight(group, 5, "b");
  EXPECT_EQ(group->firstLight, a);
  EXPECT_EQ(group->lastLight, b);
  EXPECT_EQ(a->next, b);
  EXPECT_EQ(b->prev, a);
  EXPECT_EQ(b->type, 5);
  EXPECT_EQ(a->position.x, 0.0f); EXPECT_EQ(a->position.w, 1.0f);
  EXPECT_EQ(a->lightScale, 1.0f);
  EXPECT_EQ(a->flare, nullptr);
  EXPECT_EQ(group->currentLight, nullptr);

  LightGroup* second = AddLightGroup();
  EXPECT_EQ(LightGroups.current, group);
  AddLight(second, 2, "c");
  SetCurrentLightGroup(second);
  RemoveLightGroup(second);  // frees its light too
  EXPECT_EQ(LightGroups.current, nullptr);
  EXPECT_EQ(LightGroups.last, group);
  EXPECT_EQ(AddLight(nullptr, 2, "x"), nullptr);
}

TEST_F(Registries, SpritesAndTheirCopies) {
  Sprite* s = AddSprite(SpriteBillboard);
  EXPECT_EQ(s->kind, SpriteBillboard);
  EXPECT_EQ(s->particle.state, ParticleWaiting);
  EXPECT_EQ(s->active, 0);
  EXPECT_EQ(s->halfSize, 0.0f);
  EXPECT_EQ(s->materials[0], nullptr);

  // A lens-flare template as the renderer builds it.
  Material* lenses[4];
  for (int i = 0; i < 4; ++i) lenses[i] = AddMaterial("lenz_flare_material");
  Sprite* flare = AddSprite(SpriteLensFlare);
  for (int i = 0; i < 4; ++i) flare->materials[i] = lenses[i];
  flare->halfSize = 60.0f;
  flare->colour[0] = 255; flare->colour[1] = 254; flare->colour[2] = 253; flare->colour[3] = 7;
  flare->particle.position = {1.0f, 2.0f, 3.0f, 1.0f};
  flare->viewX = 5.0f;
  flare->depth = 9.0f;

  Sprite* copy = CloneSprite(flare);
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, flare);
  EXPECT_EQ(copy->kind, SpriteLensFlare);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(copy->materials[i], lenses[i]);
    EXPECT_EQ(copy->colour[i], flare->colour[i]);
  }
  EXPECT_EQ(copy->halfSize, 60.0f);
  EXPECT_EQ(copy->active, 0);
  EXPECT_EQ(copy->particle.position.z, 3.0f);
  EXPECT_EQ(copy->viewX, 5.0f);
  EXPECT_EQ(copy->depth, 9.0f);
  // Fresh links: the copy is the new last sprite.
  EXPECT_EQ(copy->next, nullptr);
  EXPECT_EQ(copy->prev, flare);
  EXPECT_EQ(flare->next, copy);
  ExpectChain(Sprites, {s, flare, copy});

  EXPECT_EQ(CloneSprite(nullptr), nullptr);
  ExpectChain(Sprites, {s, flare, copy});
}

TEST_F(Registries, TheSweepEmptiesEveryRegistry) {
  AddCamera();
  AddLight(LightGroups.current, 2, "l");
  AddLightGroup();
  Material* m = AddMaterial("m");
  Texture* t = AddTexture();
  t->pixels = static_cast<std::uint8_t*>(std::calloc(16, 1));
  m->texture = t;
  MeshGeometry* g = AddGeometry();
  g->vertices = static_cast<Vertex*>(std::calloc(3, sizeof(Vertex)));
  g->vertexCount = 3;
  g->faces = static_cast<Face*>(std::calloc(1, sizeof(Face)));
  g->faceCount = 1;
  AddMeshObject("skysphere")->geometry = g;
  AddSprite(SpriteBillboard);
  SetCurrentCamera(Cameras.first);

  FreeSceneRegistries();
  EXPECT_EQ(Cameras.first, nullptr); EXPECT_EQ(Cameras.last, nullptr); EXPECT_EQ(Cameras.current, nullptr);
  EXPECT_EQ(LightGroups.first, nullptr); EXPECT_EQ(LightGroups.current, nullptr);
  EXPECT_EQ(Materials.first, nullptr); EXPECT_EQ(Materials.last, nullptr);
  EXPECT_EQ(Textures.first, nullptr); EXPECT_EQ(Textures.last, nullptr);
  EXPECT_EQ(Geometries.first, nullptr); EXPECT_EQ(Geometries.last, nullptr);
  EXPECT_EQ(MeshObjects.first, nullptr); EXPECT_EQ(MeshObjects.last, nullptr);
  EXPECT_EQ(Sprites.first, nullptr); EXPECT_EQ(Sprites.last, nullptr);
  EXPECT_EQ(FindMeshObject("skysphere"), nullptr);
  EXPECT_EQ(FindMaterial("m"), nullptr);
  // The next scene starts from nothing and may sweep again.
  InitSceneRegistries();
}
