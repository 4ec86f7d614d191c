// The scene's records for tests (see scene_records.h).
#include "support/scene_records.h"

#include "scene/scene.h"

void InitSceneRecords() { InitSceneRegistries(); }

void FreeSceneRecords() {
  // The template's sprite goes with the records.
  LensFlareTemplate = nullptr;
  FreeSceneRegistries();
}
