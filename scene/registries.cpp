// The scene model as a whole: every registry emptied at the start of a scene
// and freed at its end.
#include "scene/scene.h"

void InitSceneRegistries() {
  InitGeometries();
  InitSprites();
  InitMeshObjects();
  InitTextures();
  InitMaterials();
  InitCameras();
  InitLightGroups();
}

void FreeSceneRegistries() {
  FreeGeometries();
  FreeSprites();
  FreeMeshObjects();
  FreeTextures();
  FreeMaterials();
  FreeCameras();
  FreeLightGroups();
}
