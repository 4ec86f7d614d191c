// Light groups and the lights each group owns.
#include <cstdlib>

#include "scene/records.h"
#include "scene/scene.h"

Registry<LightGroup> LightGroups;

void InitLightGroups() {
  LightGroups = {};
  SetCurrentLightGroup(AddLightGroup());
}

LightGroup* AddLightGroup() {
  auto* group = AllocateRecord<LightGroup>();
  if (!group) return nullptr;
  LinkLast(LightGroups, group);
  return group;
}

static void FreeLight(Light* light) {
  // The model loader's pointer to the record dies with it.
  if (LoadTargets.currentLight == light) LoadTargets.currentLight = nullptr;
  std::free(light->name);
  std::free(light);
}

void RemoveLightGroup(LightGroup* group) {
  if (!group) return;
  for (Light* light = group->firstLight; light;) {
    Light* next = light->next;
    FreeLight(light);
    light = next;
  }
  Unlink(LightGroups, group);
  std::free(group);
}

void FreeLightGroups() {
  for (LightGroup* g = LightGroups.first; g;) {
    LightGroup* next = g->next;
    RemoveLightGroup(g);
    g = next;
  }
}

void SetCurrentLightGroup(LightGroup* group) { LightGroups.current = group; }

Light* AddLight(LightGroup* group, std::int32_t type, const char* name) {
  if (!group) return nullptr;
  auto* light = AllocateRecord<Light>();
  if (!light) return nullptr;
  light->name = CopyName(name);
  // A record created without a name keeps a null name (finds skip it).
  if (name && !light->name) {
    std::free(light);
    return nullptr;
  }
  light->type = type;
  light->position = {0.0f, 0.0f, 0.0f, 1.0f};
  light->lightScale = 1.0f;
  LinkLast(group->firstLight, group->lastLight, light);
  return light;
}

Light* FindLight(const LightGroup* group, const char* name) {
  if (!group) return nullptr;
  for (Light* light = group->firstLight; light; light = light->next) {
    if (light->name && NamesEqual(light->name, name)) return light;
  }
  return nullptr;
}
