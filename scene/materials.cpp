// The material and texture registries.
#include <cstdlib>

#include "scene/records.h"
#include "scene/scene.h"

Registry<Material> Materials;
Registry<Texture> Textures;

void InitMaterials() { Materials = {}; }

Material* AddMaterial(const char* name) {
  auto* material = AllocateRecord<Material>();
  if (!material) return nullptr;
  material->name = CopyName(name);
  // A record created without a name keeps a null name (finds skip it).
  if (name && !material->name) {
    std::free(material);
    return nullptr;
  }
  LinkLast(Materials, material);
  return material;
}

void RemoveMaterial(Material* material) {
  if (!material) return;
  Unlink(Materials, material);
  // The model loader's pointers to the record die with it.
  if (LoadTargets.currentMaterial == material) LoadTargets.currentMaterial = nullptr;
  if (LoadTargets.defaultMaterial == material) LoadTargets.defaultMaterial = nullptr;
  std::free(material->name);
  std::free(material);
}

void FreeMaterials() {
  for (Material* m = Materials.first; m;) {
    Material* next = m->next;
    RemoveMaterial(m);
    m = next;
  }
}

Material* FindMaterial(const char* name) {
  for (Material* m = Materials.first; m; m = m->next) {
    if (m->name && NamesEqual(m->name, name)) return m;
  }
  return nullptr;
}

void InitTextures() { Textures = {}; }

Texture* AddTexture() {
  auto* texture = AllocateRecord<Texture>();
  if (!texture) return nullptr;
  LinkLast(Textures, texture);
  return texture;
}

void RemoveTexture(Texture* texture) {
  if (!texture) return;
  Unlink(Textures, texture);
  std::free(texture->pixels);
  std::free(texture);
}

void FreeTextures() {
  for (Texture* t = Textures.first; t;) {
    Texture* next = t->next;
    RemoveTexture(t);
    t = next;
  }
}
