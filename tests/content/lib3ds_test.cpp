// Every scene file read back by lib3ds, an independent reader: the objects,
// lights, camera, materials and keyframer nodes the generator meant to write.
#include <gtest/gtest.h>

#include <lib3ds/camera.h>
#include <lib3ds/file.h>
#include <lib3ds/light.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>

#include <cstring>
#include <memory>

#include "art_output.h"
#include "tools/content/art/scene_file.h"

namespace {

using FilePtr = std::unique_ptr<Lib3dsFile, void (*)(Lib3dsFile*)>;

FilePtr Load(const SceneFile& scene) {
  const std::string path = ArtDir() + "/Objects/" + scene.name + "scene01.3ds";
  return FilePtr(lib3ds_file_load(path.c_str()), lib3ds_file_free);
}

TEST(Lib3dsReadsScenes, MeshesHaveTheIntendedCountsMaterialsAndPivots) {
  for (const SceneFile& scene : BuildScenes()) {
    SCOPED_TRACE(scene.name);
    FilePtr file = Load(scene);
    ASSERT_NE(file, nullptr);
    lib3ds_file_eval(file.get(), 0);  // the nodes' tracks at frame 0
    int meshCount = 0;
    for (Lib3dsMesh* m = file->meshes; m; m = m->next) ++meshCount;
    EXPECT_EQ(meshCount, static_cast<int>(scene.meshes.size()));
    for (const Mesh& want : scene.meshes) {
      SCOPED_TRACE(want.name);
      Lib3dsMesh* got = lib3ds_file_mesh_by_name(file.get(), want.name.c_str());
      ASSERT_NE(got, nullptr);
      ASSERT_EQ(got->points, want.vertices.size());
      ASSERT_EQ(got->texels, want.vertices.size());
      ASSERT_EQ(got->faces, want.faces.size());
      for (std::size_t i = 0; i < want.vertices.size(); i += 97) {
        EXPECT_FLOAT_EQ(got->pointL[i].pos[0], want.vertices[i].p.x);
        EXPECT_FLOAT_EQ(got->pointL[i].pos[2], want.vertices[i].p.z);
        EXPECT_FLOAT_EQ(got->texelL[i][1], want.vertices[i].v);
      }
      for (std::size_t i = 0; i < want.faces.size(); ++i) {
        const MeshFace& f = want.faces[i];
        EXPECT_EQ(got->faceL[i].points[0], f.a);
        EXPECT_EQ(got->faceL[i].points[2], f.c);
        EXPECT_STREQ(got->faceL[i].material, want.materials[f.material].c_str());
      }
      // The frame: world axes, origin at the pivot.
      EXPECT_FLOAT_EQ(got->matrix[0][0], 1);
      EXPECT_FLOAT_EQ(got->matrix[1][1], 1);
      EXPECT_FLOAT_EQ(got->matrix[3][0], want.pivot.x);
      EXPECT_FLOAT_EQ(got->matrix[3][2], want.pivot.z);
      Lib3dsNode* node = lib3ds_file_node_by_name(file.get(), want.name.c_str(), LIB3DS_OBJECT_NODE);
      ASSERT_NE(node, nullptr);
      EXPECT_FLOAT_EQ(node->data.object.scl[0], 1);
      EXPECT_FLOAT_EQ(node->data.object.pos[1], want.pivot.y);
    }
  }
}

TEST(Lib3dsReadsScenes, MaterialsNameTheirMaps) {
  for (const SceneFile& scene : BuildScenes()) {
    SCOPED_TRACE(scene.name);
    FilePtr file = Load(scene);
    ASSERT_NE(file, nullptr);
    for (const MaterialDef& want : scene.materials) {
      Lib3dsMaterial* got = lib3ds_file_material_by_name(file.get(), want.name.c_str());
      ASSERT_NE(got, nullptr) << want.name;
      EXPECT_STREQ(got->texture1_map.name, want.map.c_str());
    }
  }
}

TEST(Lib3dsReadsScenes, LightsAndCameraAreInPlace) {
  for (const SceneFile& scene : BuildScenes()) {
    SCOPED_TRACE(scene.name);
    FilePtr file = Load(scene);
    ASSERT_NE(file, nullptr);
    // lib3ds keeps lights in reverse file order when it inserts; compare by name.
    int lightCount = 0;
    for (Lib3dsLight* l = file->lights; l; l = l->next) ++lightCount;
    EXPECT_EQ(lightCount, static_cast<int>(scene.lights.size()));
    for (const LightDef& want : scene.lights) {
      Lib3dsLight* got = lib3ds_file_light_by_name(file.get(), want.name.c_str());
      ASSERT_NE(got, nullptr) << want.name;
      EXPECT_FLOAT_EQ(got->position[0], want.position.x);
      EXPECT_FLOAT_EQ(got->position[2], want.position.z);
      EXPECT_FLOAT_EQ(got->color[1], want.green);
      EXPECT_FLOAT_EQ(got->inner_range, want.range);
      EXPECT_FLOAT_EQ(got->outer_range * 10, want.farRange);
    }
    int cameraCount = 0;
    for (Lib3dsCamera* c = file->cameras; c; c = c->next) ++cameraCount;
    EXPECT_EQ(cameraCount, scene.camera ? 1 : 0);
    if (scene.camera) {
      EXPECT_FLOAT_EQ(file->cameras->position[0], scene.camera->eye.x);
      EXPECT_FLOAT_EQ(file->cameras->target[2], scene.camera->target.z);
    }
  }
}

// Every light and the camera's eye and target have a keyframer node of their
// name, which puts them where their blocks do at frame 0.
TEST(Lib3dsReadsScenes, LightsAndCameraHaveTheirNodes) {
  for (const SceneFile& scene : BuildScenes()) {
    SCOPED_TRACE(scene.name);
    FilePtr file = Load(scene);
    ASSERT_NE(file, nullptr);
    lib3ds_file_eval(file.get(), 0);
    for (const LightDef& want : scene.lights) {
      Lib3dsNode* node = lib3ds_file_node_by_name(file.get(), want.name.c_str(), LIB3DS_LIGHT_NODE);
      ASSERT_NE(node, nullptr) << want.name;
      EXPECT_EQ(node->parent_id, LIB3DS_NO_PARENT);
      EXPECT_FLOAT_EQ(node->data.light.pos[0], want.position.x);
      EXPECT_FLOAT_EQ(node->data.light.pos[1], want.position.y);
      EXPECT_FLOAT_EQ(node->data.light.pos[2], want.position.z);
    }
    Lib3dsNode* eye = lib3ds_file_node_by_name(file.get(), "Camera01", LIB3DS_CAMERA_NODE);
    Lib3dsNode* target = lib3ds_file_node_by_name(file.get(), "Camera01", LIB3DS_TARGET_NODE);
    if (!scene.camera) {
      EXPECT_EQ(eye, nullptr);
      EXPECT_EQ(target, nullptr);
      continue;
    }
    ASSERT_EQ(scene.camera->name, "Camera01");
    ASSERT_NE(eye, nullptr);
    ASSERT_NE(target, nullptr);
    EXPECT_FLOAT_EQ(eye->data.camera.pos[0], scene.camera->eye.x);
    EXPECT_FLOAT_EQ(eye->data.camera.pos[2], scene.camera->eye.z);
    EXPECT_FLOAT_EQ(eye->data.camera.fov, 2400 / scene.camera->lens);
    EXPECT_FLOAT_EQ(eye->data.camera.roll, 0);
    EXPECT_FLOAT_EQ(target->data.target.pos[1], scene.camera->target.y);
    EXPECT_FLOAT_EQ(target->data.target.pos[2], scene.camera->target.z);
    // Node numbers run on from the meshes' without a gap or repeat.
    int nodes = 0;
    for (Lib3dsNode* n = file->nodes; n; n = n->next) ++nodes;
    EXPECT_EQ(nodes, static_cast<int>(scene.meshes.size() + scene.lights.size() + 2));
    EXPECT_EQ(target->node_id, nodes - 1);
  }
}

}  // namespace
