// A scene file as the builders describe it (materials, meshes, lights, an
// optional camera) and its encoding as a 3D Studio mesh file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/content/art/mesh.h"

struct MaterialDef {
  std::string name;
  std::string map;  // upper-case 8.3 file name under Textures, as the editor wrote it
  std::uint8_t red = 200, green = 200, blue = 200;  // diffuse colour (the demo itself ignores it)
};

struct LightDef {
  std::string name;
  Vec3 position;
  float red = 1, green = 1, blue = 1;  // 0 to 1
  float range = 500;                   // full strength up to here
  float farRange = 2000;               // no light beyond here (stored as a tenth)
};

struct CameraDef {
  std::string name = "Camera01";
  Vec3 eye, target;
  float lens = 35;
};

struct SceneFile {
  std::string name;  // "rocket", ... : the file is Objects/<name>scene01.3ds
  std::vector<MaterialDef> materials;
  std::vector<Mesh> meshes;  // written in this order, before the lights
  std::vector<LightDef> lights;
  std::optional<CameraDef> camera;
};

// Encodes the scene as a 3DS file: materials, then object blocks for the
// meshes, lights and camera, then a keyframer section with a node for every
// mesh and light and the camera's eye and target nodes.
std::vector<std::uint8_t> Encode3ds(const SceneFile& scene);

// The eight scenes, in playlist order.
std::vector<SceneFile> BuildScenes();
SceneFile BuildRocketScene();
SceneFile BuildSphereScene();
SceneFile BuildSwarmScene();
SceneFile BuildEgyptScene();
SceneFile BuildExpScene();
SceneFile BuildCrossScene();
SceneFile BuildDanteScene();
SceneFile BuildOutroScene();
