// Camera and object transforms. The projection factor is the half angle in
// radians itself (not its tangent), and the side planes let points up to 2000
// units beyond them pass, as the scenes were tuned with.
#include "render/transforms.h"

#include <cmath>
#include <initializer_list>

#include "scene/scene.h"

namespace {

constexpr double DegreesToRadians = 0.01745329252;
constexpr float PlaneSlack = -2000.0f;

void SetPlane(float* plane, float nx, float ny, float nz) {
  plane[0] = nx;
  plane[1] = ny;
  plane[2] = nz;
  plane[3] = PlaneSlack;
}

}  // namespace

void UpdateCamera(Camera* camera) {
  if (!camera) return;
  Camera& cam = *camera;
  cam.halfAngleX = cam.angleX * DegreesToRadians / 2.0;
  cam.halfAngleY = cam.angleY * DegreesToRadians / 2.0;

  cam.forward = VecSub(cam.target, cam.eye);
  VecNormalize(cam.forward);
  cam.right = VecCross(cam.upHint, cam.forward);
  VecNormalize(cam.right);
  cam.up = VecCross(cam.forward, cam.right);
  VecNormalize(cam.up);

  // The axes become the first three columns: view coordinates are the dot
  // products of the offset from the eye with right, up and forward.
  Matrix axes = MatIdentity();
  axes[0] = cam.right.x;
  axes[4] = cam.right.y;
  axes[8] = cam.right.z;
  axes[1] = cam.up.x;
  axes[5] = cam.up.y;
  axes[9] = cam.up.z;
  axes[2] = cam.forward.x;
  axes[6] = cam.forward.y;
  axes[10] = cam.forward.z;
  cam.view = MatMultiply(MatTranslate(-cam.eye.x, -cam.eye.y, -cam.eye.z), axes);

  // Products rounded to float, from the double half angles.
  cam.scaleX = static_cast<float>(cam.halfWidth * cam.halfAngleX);
  cam.scaleY = static_cast<float>(cam.halfHeight * cam.halfAngleY);
  cam.zScale = cam.farZ / (cam.farZ - cam.nearZ);
  cam.invDepthRange = 1.0f / (cam.farZ - cam.nearZ);

  const float sx = static_cast<float>(std::sin(cam.halfAngleX));
  const float cx = static_cast<float>(std::cos(cam.halfAngleX));
  const float sy = static_cast<float>(std::sin(cam.halfAngleY));
  const float cy = static_cast<float>(std::cos(cam.halfAngleY));
  SetPlane(cam.planes[0], cx, 0.0f, sx);
  SetPlane(cam.planes[1], -cx, 0.0f, sx);
  SetPlane(cam.planes[2], 0.0f, cy, sy);
  SetPlane(cam.planes[3], 0.0f, -cy, sy);
}

void BuildObjectMatrices(MeshObject* object) {
  if (!object) return;
  const Vec4& p = object->particle.position;
  const Vec4& r = object->particle.rotation;
  const Vec4& s = object->scale;
  Matrix world = MatMultiply(MatScale(s.x, s.y, s.z), MatRotateXYZ(r.x, r.y, r.z));
  object->world = MatMultiply(world, MatTranslate(p.x, p.y, p.z));
  object->inverseWorld = MatRigidInverse(MatUnscaleRows(object->world));
}

std::uint8_t ObjectInFront(const Vec4& boundsMin, const Vec4& boundsMax, const Matrix& worldView) {
  const Camera* cam = Cameras.current;
  const float invDepthRange = cam ? cam->invDepthRange : 1.0f;
  for (const Vec4* p : {&boundsMin, &boundsMax}) {
    const float depth =
        (p->x * worldView[2] + p->y * worldView[6] + p->z * worldView[10] + worldView[14]) * invDepthRange;
    if (depth > 0.0f) return 1;
  }
  return 0;
}
