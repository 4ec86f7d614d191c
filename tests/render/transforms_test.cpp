// Camera and object transforms: the worked figures a reader can check by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "render/transforms.h"
#include "scene/scene.h"

namespace {

class TransformsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitCameras();
    camera = AddCamera();
    SetCurrentCamera(camera);
    SetCameraScreen(camera, 640, 480);
  }
  void TearDown() override { FreeCameras(); }

  Camera* camera = nullptr;
};

Vec4 Point(float x, float y, float z) { return Vec4{x, y, z, 1.0f}; }

TEST_F(TransformsTest, ViewLooksFromTheEyeAtTheTarget) {
  camera->eye = Point(0, 600, -100);
  camera->target = Point(0, 0, 0);
  camera->upHint = Point(0, 0, -1);
  UpdateCamera(camera);

  const float n = std::sqrt(600.0f * 600.0f + 100.0f * 100.0f);
  EXPECT_NEAR(camera->forward.x, 0.0f, 1e-6f);
  EXPECT_NEAR(camera->forward.y, -600.0f / n, 1e-6f);
  EXPECT_NEAR(camera->forward.z, 100.0f / n, 1e-6f);
  // The axes are orthonormal.
  EXPECT_NEAR(VecDot(camera->right, camera->forward), 0.0f, 1e-6f);
  EXPECT_NEAR(VecDot(camera->up, camera->forward), 0.0f, 1e-6f);
  EXPECT_NEAR(VecLength(camera->right), 1.0f, 1e-6f);

  // The world origin lies straight ahead at about 608.3.
  const Vec4 origin = VecTransform(camera->view, Point(0, 0, 0));
  EXPECT_NEAR(origin.x, 0.0f, 1e-3f);
  EXPECT_NEAR(origin.y, 0.0f, 1e-3f);
  EXPECT_NEAR(origin.z, 608.276f, 1e-2f);
  // The translation row is minus the eye in (right, up, forward) coordinates.
  EXPECT_NEAR(camera->view[12], -VecDot(camera->eye, camera->right), 1e-3f);
  EXPECT_NEAR(camera->view[13], -VecDot(camera->eye, camera->up), 1e-3f);
  EXPECT_NEAR(camera->view[14], -VecDot(camera->eye, camera->forward), 1e-3f);
  // The eye itself maps to the view origin.
  const Vec4 eye = VecTransform(camera->view, camera->eye);
  EXPECT_NEAR(VecLength(eye), 0.0f, 1e-3f);
}

TEST_F(TransformsTest, ProjectionFactorsAreHalfAnglesInRadians) {
  camera->target = Point(0, 0, 1);
  UpdateCamera(camera);
  EXPECT_DOUBLE_EQ(camera->halfAngleX, 45.0 * 0.01745329252 / 2.0);
  EXPECT_NEAR(camera->scaleX, 125.66f, 0.01f);
  EXPECT_NEAR(camera->scaleY, 94.25f, 0.01f);
  EXPECT_FLOAT_EQ(camera->zScale, 4000.0f / 3999.0f);
  EXPECT_FLOAT_EQ(camera->invDepthRange, 1.0f / 3999.0f);

  // The side planes lean by the half angle and let 2000 units beyond them pass.
  const float c = static_cast<float>(std::cos(camera->halfAngleX));
  const float s = static_cast<float>(std::sin(camera->halfAngleX));
  const float expected[4][4] = {{c, 0, s, -2000}, {-c, 0, s, -2000}, {0, c, s, -2000}, {0, -c, s, -2000}};
  for (int p = 0; p < 4; ++p) {
    for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(camera->planes[p][i], expected[p][i]) << p << "," << i;
  }

  // A scene's wide angles are used as they are: 270 degrees is 135 degrees each side.
  camera->angleX = 270.0;
  camera->angleY = 335.0;
  UpdateCamera(camera);
  EXPECT_NEAR(camera->scaleX, 320.0f * 2.35619f, 0.01f);
  EXPECT_NEAR(camera->scaleY, 240.0f * 2.92342f, 0.01f);
  EXPECT_NEAR(camera->planes[0][0], -0.70711f, 1e-5f);
}

TEST_F(TransformsTest, ObjectMatricesAndTheirInverse) {
  InitMeshObjects();
  MeshObject* object = AddMeshObject("box");
  object->particle.position = Point(1, 2, 3);
  object->scale = Point(2, 2, 2);
  object->world[1] = 7.0f;  // whatever the loader left is overwritten
  BuildObjectMatrices(object);
  const float world[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 1, 2, 3, 1};
  const float inverse[16] = {0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 0.5f, 0, -0.5f, -1, -1.5f, 1};
  for (int i = 0; i < 16; ++i) {
    EXPECT_FLOAT_EQ(object->world[i], world[i]) << i;
    EXPECT_FLOAT_EQ(object->inverseWorld[i], inverse[i]) << i;
  }

  // Scale first, then X, Y, Z, then translation; the inverse undoes it.
  object->particle.rotation = Point(0.3f, -0.7f, 1.1f);
  object->scale = Point(2, 3, 4);
  BuildObjectMatrices(object);
  const Vec4 p = Point(5, -6, 7);
  const Vec4 expected = VecTransform(
      MatMultiply(MatMultiply(MatScale(2, 3, 4), MatRotateXYZ(0.3f, -0.7f, 1.1f)), MatTranslate(1, 2, 3)), p);
  const Vec4 moved = VecTransform(object->world, p);
  EXPECT_FLOAT_EQ(moved.x, expected.x);
  EXPECT_FLOAT_EQ(moved.y, expected.y);
  EXPECT_FLOAT_EQ(moved.z, expected.z);
  const Vec4 back = VecTransform(object->inverseWorld, moved);
  EXPECT_NEAR(back.x, 5.0f, 1e-4f);
  EXPECT_NEAR(back.y, -6.0f, 1e-4f);
  EXPECT_NEAR(back.z, 7.0f, 1e-4f);
  FreeMeshObjects();
}

TEST_F(TransformsTest, OnlyTheTwoBoxCornersDecideWhetherAnObjectIsInFront) {
  // Looking along (1, -1, 0): view depth is (x - y) / sqrt 2.
  camera->target = Point(1, -1, 0);
  UpdateCamera(camera);
  const Matrix& view = camera->view;
  // Both tested corners are behind although the corner (10, -11, 0) is in front.
  EXPECT_EQ(ObjectInFront(Point(-10, -9, 0), Point(10, 11, 0), view), 0);
  // Depth exactly 0 is not in front.
  EXPECT_EQ(ObjectInFront(Point(-10, -10, 0), Point(10, 10, 0), view), 0);
  // Either corner in front is enough.
  EXPECT_EQ(ObjectInFront(Point(1, 0, 0), Point(-50, 50, 0), view), 1);
  EXPECT_EQ(ObjectInFront(Point(-50, 50, 0), Point(1, 0, 0), view), 1);
}

}  // namespace
