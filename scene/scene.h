// The scene model: plain records in seven global registries (cameras, light
// groups with their lights, materials, geometries, mesh objects, sprites and
// textures). Registries own their records; records own their names and arrays;
// pointers between records never own.
//
// Memory: names and owned arrays (vertices, faces, texture pixels) are
// allocated with std::malloc/std::calloc and released with std::free by the
// Remove... operations. Arrays are expected zero-filled (std::calloc).
// Allocation failure: every Add... returns null and links nothing; a record is
// never left half-built in a registry.
#pragma once

#include <cstdint>

#include "core/math.h"
#include "core/particle.h"
#include "core/registry.h"

struct TextureSurfaces;
struct TransformedVertex;

// Sprite kinds drawn by the sprite renderer.
inline constexpr std::int32_t SpriteLensFlare = 0;
inline constexpr std::int32_t SpriteBillboard = 3;

struct Vertex {
  Vec4 position;
  Vec4 normal;
  float u, v;
  TransformedVertex* cacheEntry;  // renderer's working fields
  std::int32_t cacheStamp;
};

struct Material;

struct Face {
  Vertex* vertices[3];  // corners in file order
  Vec4 normal;
  Material* material;   // null until assigned
};

struct MeshGeometry {
  Vertex* vertices;  // owned array, or null
  std::int32_t vertexCount;
  Face* faces;       // owned array, or null
  std::int32_t faceCount;
  Vec4 boundsMin;    // object coordinates, zero until ComputeBounds
  Vec4 boundsMax;
  MeshGeometry* next;
  MeshGeometry* prev;
};

struct MeshObject {
  char* name;              // owned
  MeshGeometry* geometry;  // not owned
  Particle particle;       // position first, rotation (Euler radians) fourth
  Vec4 scale;              // (1, 1, 1, 1)
  Matrix world;            // identity
  Matrix inverseWorld;     // identity
  Matrix worldView;        // identity
  std::uint8_t visible;    // 1
  MeshObject* next;
  MeshObject* prev;
};

struct Texture;

struct Material {
  char* name;  // owned
  std::uint8_t baseColour[4];  // red, green, blue, alpha (0-255)
  std::uint8_t fullBright;     // drawn white and unlit when set
  Texture* texture;            // not owned, or null
  Material* next;
  Material* prev;
};

struct Texture {
  std::uint8_t* pixels;  // owned mip chain, 4 bytes per texel
  std::int32_t width;
  std::int32_t height;
  float halfWidth;
  float halfHeight;
  TextureSurfaces* surfaces;  // owned device side, null until first drawn
  std::uint8_t mipMapped;
  std::int32_t mipLevels;
  Texture* next;
  Texture* prev;
};

struct Sprite;

struct Light {
  char* name;  // owned
  std::int32_t type;
  Vec4 position;        // (0, 0, 0, 1)
  Vec4 objectPosition;  // written by the renderer per object
  float lightScale;     // 1.0
  float rangeSquared;
  float farRangeSquared;
  float colour[4];      // red, green, blue (0-255), fourth 0
  Sprite* flare;        // not owned, null at creation
  Light* next;
  Light* prev;
};

struct LightGroup {
  Light* currentLight;
  Light* firstLight;  // the group owns its lights
  Light* lastLight;
  LightGroup* next;
  LightGroup* prev;
};

struct Sprite {
  std::int32_t kind;  // SpriteLensFlare or SpriteBillboard
  Particle particle;  // position first
  float viewX, viewY, depth;
  Material* materials[4];  // not owned
  std::uint8_t colour[4];
  float halfSize;
  std::uint8_t active;
  Sprite* next;
  Sprite* prev;
};

struct Camera {
  Vec4 eye;
  Vec4 target;
  Vec4 upHint;  // (0, 1, 0, 1) normalised
  Vec4 right;
  Vec4 up;
  Vec4 forward;
  Matrix view;
  float nearZ;  // 1.0
  float farZ;   // 4000.0
  float halfWidth;
  float halfHeight;
  double halfAngleX;
  double halfAngleY;
  double angleX;  // 45.0
  double angleY;  // 45.0
  float scaleX;
  float scaleY;
  float zScale;
  float invDepthRange;
  float planes[4][4];  // nx, ny, nz, d
  Camera* next;
  Camera* prev;
};

// Texture-coordinate generation over an object's bounding box.
struct PlanarMapping {
  std::int32_t mode;  // only 0 maps; any other mode does nothing
  float repeatX;
  float repeatY;
  float repeatZ;      // plays no part
};

// The records the model loader is filling in. They live beside the
// registries so that removing a record forgets it: a later file never reaches
// a freed record through them, and a new scene starts with none.
struct LoadTargetsRecord {
  MeshObject* currentObject;
  Material* currentMaterial;
  Light* currentLight;
  // The material given to faces no face-material chunk names (one per scene).
  Material* defaultMaterial;
};
extern LoadTargetsRecord LoadTargets;

// The lens-flare sprite every light's flare is copied from. The renderer's
// start-up makes it at the beginning of every scene; null until then, and
// lights loaded while it is null get no flare.
extern Sprite* LensFlareTemplate;

extern Registry<Camera> Cameras;
extern Registry<LightGroup> LightGroups;
extern Registry<Material> Materials;
extern Registry<MeshGeometry> Geometries;
extern Registry<MeshObject> MeshObjects;
extern Registry<Sprite> Sprites;
extern Registry<Texture> Textures;

// Every registry at once, in one fixed order. InitSceneRegistries also adds
// the first light group. Free releases texture pixels, not their device side:
// release that first (device/texture_surfaces.h).
void InitSceneRegistries();
void FreeSceneRegistries();

// Same length and same characters after upper-casing ASCII letters. A null
// name equals nothing.
bool NamesEqual(const char* a, const char* b);

// Cameras.
void InitCameras();
Camera* AddCamera();
void RemoveCamera(Camera* camera);
void FreeCameras();
void SetCurrentCamera(Camera* camera);
void SetCameraScreen(Camera* camera, std::int32_t width, std::int32_t height);

// Light groups and their lights.
void InitLightGroups();  // also adds the first group and makes it current
LightGroup* AddLightGroup();
void RemoveLightGroup(LightGroup* group);
void FreeLightGroups();
void SetCurrentLightGroup(LightGroup* group);
Light* AddLight(LightGroup* group, std::int32_t type, const char* name);
Light* FindLight(const LightGroup* group, const char* name);

// Materials.
void InitMaterials();
Material* AddMaterial(const char* name);
void RemoveMaterial(Material* material);
void FreeMaterials();
Material* FindMaterial(const char* name);

// Geometries.
void InitGeometries();
MeshGeometry* AddGeometry();
void RemoveGeometry(MeshGeometry* geometry);
void FreeGeometries();

// Mesh objects.
void InitMeshObjects();
MeshObject* AddMeshObject(const char* name);
void RemoveMeshObject(MeshObject* object);
void FreeMeshObjects();
MeshObject* FindMeshObject(const char* name);
// Axis-aligned box of the object's geometry vertices, x, y, z only.
void ComputeBounds(MeshObject* object);
// Mode 0: u, v from x, y across the bounding box times the repeats.
void ApplyPlanarMapping(MeshObject* object, const PlanarMapping& mapping);

// Sprites.
void InitSprites();
Sprite* AddSprite(std::int32_t kind);
void RemoveSprite(Sprite* sprite);
void FreeSprites();
// A new sprite with the template's kind, particle, view fields, materials,
// colour, half size and active byte; null for a null template.
Sprite* CloneSprite(const Sprite* source);

// Textures (LoadTexture lives with the texture-file reader).
void InitTextures();
Texture* AddTexture();
// Removing frees the pixels, not the device side: release a texture's
// surfaces (device/texture_surfaces.h) before removing it.
void RemoveTexture(Texture* texture);
void FreeTextures();
