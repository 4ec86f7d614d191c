// The camera registry and its creation defaults.
#include <cstdlib>

#include "scene/records.h"
#include "scene/scene.h"

Registry<Camera> Cameras;

void InitCameras() { Cameras = {}; }

Camera* AddCamera() {
  auto* camera = AllocateRecord<Camera>();
  if (!camera) return nullptr;
  camera->upHint = {0.0f, 1.0f, 0.0f, 1.0f};
  VecNormalize(camera->upHint);
  camera->nearZ = 1.0f;
  camera->farZ = 4000.0f;
  camera->angleX = 45.0;
  camera->angleY = 45.0;
  camera->halfAngleX = camera->angleX * 0.01745329252 / 2.0;
  camera->halfAngleY = camera->angleY * 0.01745329252 / 2.0;
  LinkLast(Cameras, camera);
  return camera;
}

void RemoveCamera(Camera* camera) {
  if (!camera) return;
  Unlink(Cameras, camera);
  std::free(camera);
}

void FreeCameras() {
  for (Camera* c = Cameras.first; c;) {
    Camera* next = c->next;
    RemoveCamera(c);
    c = next;
  }
}

void SetCurrentCamera(Camera* camera) { Cameras.current = camera; }

void SetCameraScreen(Camera* camera, std::int32_t width, std::int32_t height) {
  if (!camera) return;
  camera->halfWidth = static_cast<float>(width) / 2.0f;
  camera->halfHeight = static_cast<float>(height) / 2.0f;
}
