// Encodes a scene as a 3D Studio mesh file, laid out as the editor wrote them:
// version, then the mesh data (materials before the objects that name them),
// then the keyframer section.
#include "tools/content/art/scene_file.h"

#include <cctype>

#include "tools/content/art/chunk_writer.h"

namespace {

enum : std::uint16_t {
  kMain = 0x4D4D,
  kVersion = 0x0002,
  kColourFloat = 0x0010,
  kColourByte = 0x0011,
  kPercent = 0x0030,
  kMasterScale = 0x0100,
  kObjectMesh = 0x3D3D,
  kMeshVersion = 0x3D3E,
  kObjectBlock = 0x4000,
  kTriMesh = 0x4100,
  kVertexList = 0x4110,
  kFaceList = 0x4120,
  kFaceMaterial = 0x4130,
  kMappings = 0x4140,
  kSmoothings = 0x4150,
  kMatrix = 0x4160,
  kLight = 0x4600,
  kLightRange1 = 0x4659,
  kLightRange2 = 0x465A,
  kCamera = 0x4700,
  kMaterial = 0xAFFF,
  kMaterialName = 0xA000,
  kAmbient = 0xA010,
  kDiffuse = 0xA020,
  kSpecular = 0xA030,
  kShading = 0xA100,
  kTextureMap = 0xA200,
  kMapFilename = 0xA300,
  kMapTiling = 0xA351,
  kKeyframer = 0xB000,
  kNode = 0xB002,
  kCameraNode = 0xB003,
  kCameraTargetNode = 0xB004,
  kLightNode = 0xB005,
  kKeyframerHeader = 0xB00A,
  kFrames = 0xB008,
  kNodeName = 0xB010,
  kPivot = 0xB013,
  kPositionKeys = 0xB020,
  kRotationKeys = 0xB021,
  kScaleKeys = 0xB022,
  kFovKeys = 0xB023,
  kRollKeys = 0xB024,
  kNodeId = 0xB030,
};

constexpr std::uint32_t kLastFrame = 100;

void ColourByte(ChunkWriter& w, std::uint16_t id, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  w.Begin(id);
  w.Begin(kColourByte);
  w.U8(r);
  w.U8(g);
  w.U8(b);
  w.End();
  w.End();
}

void WriteMaterial(ChunkWriter& w, const MaterialDef& m) {
  w.Begin(kMaterial);
  w.Begin(kMaterialName);
  w.Name(m.name);
  w.End();
  ColourByte(w, kAmbient, m.red / 4, m.green / 4, m.blue / 4);
  ColourByte(w, kDiffuse, m.red, m.green, m.blue);
  ColourByte(w, kSpecular, 229, 229, 229);
  w.Begin(kShading);
  w.U16(3);  // Gouraud
  w.End();
  w.Begin(kTextureMap);
  w.Begin(kPercent);
  w.U16(100);
  w.End();
  w.Begin(kMapFilename);
  w.Name(m.map);
  w.End();
  w.Begin(kMapTiling);
  w.U16(0);
  w.End();
  w.End();
  w.End();
}

void WriteMesh(ChunkWriter& w, const Mesh& m) {
  w.Begin(kObjectBlock);
  w.Name(m.name);
  w.Begin(kTriMesh);

  w.Begin(kVertexList);
  w.U16(static_cast<std::uint16_t>(m.vertices.size()));
  for (const MeshVertex& v : m.vertices) {
    w.Float(v.p.x);
    w.Float(v.p.y);
    w.Float(v.p.z);
  }
  w.End();

  w.Begin(kMappings);
  w.U16(static_cast<std::uint16_t>(m.vertices.size()));
  for (const MeshVertex& v : m.vertices) {
    w.Float(v.u);
    w.Float(v.v);
  }
  w.End();

  // The object's frame: the world's axes, its origin at the pivot.
  w.Begin(kMatrix);
  const float axes[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  for (float f : axes) w.Float(f);
  w.Float(m.pivot.x);
  w.Float(m.pivot.y);
  w.Float(m.pivot.z);
  w.End();

  w.Begin(kFaceList);
  w.U16(static_cast<std::uint16_t>(m.faces.size()));
  for (const MeshFace& f : m.faces) {
    w.U16(f.a);
    w.U16(f.b);
    w.U16(f.c);
    w.U16(7);  // all three edges visible
  }
  for (std::size_t slot = 0; slot < m.materials.size(); ++slot) {
    std::vector<std::uint16_t> list;
    for (std::size_t i = 0; i < m.faces.size(); ++i) {
      if (m.faces[i].material == slot) list.push_back(static_cast<std::uint16_t>(i));
    }
    w.Begin(kFaceMaterial);
    w.Name(m.materials[slot]);
    w.U16(static_cast<std::uint16_t>(list.size()));
    for (std::uint16_t i : list) w.U16(i);
    w.End();
  }
  w.Begin(kSmoothings);
  for (std::size_t i = 0; i < m.faces.size(); ++i) w.U32(1);
  w.End();
  w.End();  // face list

  w.End();  // tri-mesh
  w.End();  // object block
}

void WriteLight(ChunkWriter& w, const LightDef& l) {
  w.Begin(kObjectBlock);
  w.Name(l.name);
  w.Begin(kLight);
  w.Float(l.position.x);
  w.Float(l.position.y);
  w.Float(l.position.z);
  w.Begin(kColourFloat);
  w.Float(l.red);
  w.Float(l.green);
  w.Float(l.blue);
  w.End();
  // The demo reads the first range chunk as the full-strength range and the
  // second as a tenth of the range where the light has faded out.
  w.Begin(kLightRange1);
  w.Float(l.range);
  w.End();
  w.Begin(kLightRange2);
  w.Float(l.farRange / 10);
  w.End();
  w.End();
  w.End();
}

void WriteCamera(ChunkWriter& w, const CameraDef& c) {
  w.Begin(kObjectBlock);
  w.Name(c.name);
  w.Begin(kCamera);
  for (float f : {c.eye.x, c.eye.y, c.eye.z, c.target.x, c.target.y, c.target.z, 0.0f, c.lens}) w.Float(f);
  w.End();
  w.End();
}

// A key track with one key at frame 0 and no spline values: flags, two
// unknown words, the key count as a double word, then the key's frame (double
// word) and spline flags; the caller writes the key's value and closes it.
void BeginTrack(ChunkWriter& w, std::uint16_t id) {
  w.Begin(id);
  w.U16(0);
  w.U32(0);
  w.U32(0);
  w.U32(1);
  w.U32(0);
  w.U16(0);
}

void PositionTrack(ChunkWriter& w, Vec3 p) {
  BeginTrack(w, kPositionKeys);
  w.Float(p.x);
  w.Float(p.y);
  w.Float(p.z);
  w.End();
}

void FloatTrack(ChunkWriter& w, std::uint16_t id, float f) {
  BeginTrack(w, id);
  w.Float(f);
  w.End();
}

// Opens a keyframer node: its number, then its header with the name of the
// object, light or camera it animates, at the top of the hierarchy.
void BeginNode(ChunkWriter& w, std::uint16_t tag, std::uint16_t& id, const std::string& name) {
  w.Begin(tag);
  w.Begin(kNodeId);
  w.U16(id++);
  w.End();
  w.Begin(kNodeName);
  w.Name(name);
  w.U16(0);
  w.U16(0);
  w.U16(0xFFFF);  // no parent
  w.End();
}

void WriteMeshNode(ChunkWriter& w, const Mesh& m, std::uint16_t& id) {
  BeginNode(w, kNode, id, m.name);
  w.Begin(kPivot);
  w.Float(0);
  w.Float(0);
  w.Float(0);
  w.End();
  PositionTrack(w, m.pivot);
  BeginTrack(w, kRotationKeys);
  for (float f : {0.0f, 0.0f, 0.0f, 1.0f}) w.Float(f);
  w.End();
  BeginTrack(w, kScaleKeys);
  for (float f : {1.0f, 1.0f, 1.0f}) w.Float(f);
  w.End();
  w.End();
}

// An omni light's node: where it stands. Editors tie a light to the scene
// graph through a node of its name, so every light gets one.
void WriteLightNode(ChunkWriter& w, const LightDef& l, std::uint16_t& id) {
  BeginNode(w, kLightNode, id, l.name);
  PositionTrack(w, l.position);
  w.End();
}

// A camera is two nodes of the same name: the eye with its field of view
// (the editor's 2400 / lens, in degrees) and roll, then the target.
void WriteCameraNodes(ChunkWriter& w, const CameraDef& c, std::uint16_t& id) {
  BeginNode(w, kCameraNode, id, c.name);
  PositionTrack(w, c.eye);
  FloatTrack(w, kFovKeys, 2400 / c.lens);
  FloatTrack(w, kRollKeys, 0);
  w.End();
  BeginNode(w, kCameraTargetNode, id, c.name);
  PositionTrack(w, c.target);
  w.End();
}

}  // namespace

std::vector<std::uint8_t> Encode3ds(const SceneFile& scene) {
  ChunkWriter w;
  w.Begin(kMain);
  w.Begin(kVersion);
  w.U32(3);
  w.End();

  w.Begin(kObjectMesh);
  w.Begin(kMeshVersion);
  w.U32(3);
  w.End();
  w.Begin(kMasterScale);
  w.Float(1);
  w.End();
  for (const MaterialDef& m : scene.materials) WriteMaterial(w, m);
  for (const Mesh& m : scene.meshes) WriteMesh(w, m);
  for (const LightDef& l : scene.lights) WriteLight(w, l);
  if (scene.camera) WriteCamera(w, *scene.camera);
  w.End();

  w.Begin(kKeyframer);
  w.Begin(kKeyframerHeader);
  w.U16(5);
  // The editor kept an 8.3 file name here (readers allow 12 characters).
  std::string header = scene.name.substr(0, 8);
  for (char& c : header) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  w.Name(header + ".3DS");
  w.U32(kLastFrame);
  w.End();
  w.Begin(kFrames);
  w.U32(0);
  w.U32(kLastFrame);
  w.End();
  std::uint16_t id = 0;
  for (const Mesh& m : scene.meshes) WriteMeshNode(w, m, id);
  for (const LightDef& l : scene.lights) WriteLightNode(w, l, id);
  if (scene.camera) WriteCameraNodes(w, *scene.camera, id);
  w.End();

  w.End();
  return std::move(w.bytes);
}

std::vector<SceneFile> BuildScenes() {
  return {BuildRocketScene(), BuildSphereScene(), BuildSwarmScene(), BuildEgyptScene(),
          BuildExpScene(),    BuildCrossScene(),  BuildDanteScene(), BuildOutroScene()};
}
