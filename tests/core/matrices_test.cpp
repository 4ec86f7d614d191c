// Matrix constructors, products, inverses and Euler extraction: the layout,
// rotation signs and composition order the renderer and loaders rely on.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "core/math.h"

namespace {

bool SameBits(const Matrix& a, const Matrix& b) {
  return std::memcmp(a.m, b.m, sizeof a.m) == 0;
}

void ExpectNear(const Matrix& a, const Matrix& b, float tolerance) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(a[i], b[i], tolerance) << "element " << i;
}

Matrix Sample() {
  Matrix m;
  for (int i = 0; i < 16; ++i) m[i] = 0.1f * static_cast<float>(i * i) - 1.3f;
  return m;
}

}  // namespace

TEST(Matrices, RotationSigns) {
  const float quarter = static_cast<float>(M_PI / 2);
  Vec4 y{0, 1, 0, 1}, z{0, 0, 1, 1}, x{1, 0, 0, 1};
  // X turns +y towards +z, Y turns +z towards +x, Z turns +x towards +y.
  Vec4 a = VecTransform(MatRotateX(quarter), y);
  Vec4 b = VecTransform(MatRotateY(quarter), z);
  Vec4 c = VecTransform(MatRotateZ(quarter), x);
  EXPECT_NEAR(a.z, 1.0f, 1e-6f); EXPECT_NEAR(a.y, 0.0f, 1e-6f);
  EXPECT_NEAR(b.x, 1.0f, 1e-6f); EXPECT_NEAR(b.z, 0.0f, 1e-6f);
  EXPECT_NEAR(c.y, 1.0f, 1e-6f); EXPECT_NEAR(c.x, 0.0f, 1e-6f);

  Matrix rx = MatRotateX(0.3f);
  EXPECT_EQ(rx[5], static_cast<float>(std::cos(0.3f)));
  EXPECT_EQ(rx[6], static_cast<float>(std::sin(static_cast<double>(0.3f))));
  EXPECT_EQ(rx[9], -rx[6]);
  Matrix ry = MatRotateY(0.3f);
  EXPECT_EQ(ry[2], -ry[8]);
  Matrix rz = MatRotateZ(0.3f);
  EXPECT_EQ(rz[4], -rz[1]);
}

TEST(Matrices, IdentityProductsAreExactAndMayAliasTheDestination) {
  Matrix a = Sample();
  EXPECT_TRUE(SameBits(MatMultiply(a, MatIdentity()), a));
  EXPECT_TRUE(SameBits(MatMultiply(MatIdentity(), a), a));
  Matrix b = a;
  b = MatMultiply(b, MatIdentity());
  EXPECT_TRUE(SameBits(b, a));

  // Squaring in place must use the old values for every element.
  Matrix c = a;
  Matrix expected = MatMultiply(a, a);
  c = MatMultiply(c, c);
  EXPECT_TRUE(SameBits(c, expected));
}

TEST(Matrices, ProductAppliesLeftFirst) {
  // Scale then translate: the translation is not scaled.
  Matrix m = MatMultiply(MatScale(2, 2, 2), MatTranslate(1, 0, 0));
  Vec4 p = VecTransform(m, Vec4{1, 1, 1, 1});
  EXPECT_EQ(p.x, 3.0f); EXPECT_EQ(p.y, 2.0f);
}

TEST(Matrices, RotateXYZComposesXThenYThenZ) {
  EXPECT_TRUE(SameBits(MatRotateXYZ(0, 0, 0.8f), MatRotateZ(0.8f)));
  EXPECT_TRUE(SameBits(MatRotateXYZ(0.4f, -1.2f, 0), MatMultiply(MatRotateX(0.4f), MatRotateY(-1.2f))));
  Matrix full = MatMultiply(MatMultiply(MatRotateX(0.4f), MatRotateY(-1.2f)), MatRotateZ(2.0f));
  EXPECT_TRUE(SameBits(MatRotateXYZ(0.4f, -1.2f, 2.0f), full));
}

TEST(Matrices, RigidInverseOfUnscaledObjectMatrixIsTheInverse) {
  Matrix m = MatMultiply(MatMultiply(MatScale(2, 3, 4), MatRotateXYZ(0.3f, -0.7f, 1.1f)),
                         MatTranslate(5, -6, 7));
  Matrix inverse = MatRigidInverse(MatUnscaleRows(m));
  ExpectNear(MatMultiply(m, inverse), MatIdentity(), 1e-5f);
  ExpectNear(MatMultiply(inverse, m), MatIdentity(), 1e-5f);
}

TEST(Matrices, RigidInverseIgnoresColumnThree) {
  Matrix m = MatMultiply(MatRotateZ(0.5f), MatTranslate(1, 2, 3));
  m[3] = 9.0f; m[7] = 9.0f; m[11] = 9.0f; m[15] = 9.0f;
  Matrix r = MatRigidInverse(m);
  EXPECT_EQ(r[3], 0.0f); EXPECT_EQ(r[7], 0.0f); EXPECT_EQ(r[11], 0.0f); EXPECT_EQ(r[15], 1.0f);
  // Transposed block and the translation -(t . row j).
  EXPECT_EQ(r[1], m[4]);
  EXPECT_EQ(r[4], m[1]);
  EXPECT_EQ(r[12], -(m[12] * m[0] + m[13] * m[1] + m[14] * m[2]));
}

TEST(Matrices, UnscaleRowsRoundsTheReciprocalToFloat) {
  Matrix m = MatIdentity();
  m[0] = 3.0f; m[5] = 0.5f; m[10] = 7.0f;
  m[12] = 4.0f; m[13] = 5.0f; m[14] = 6.0f;
  Matrix r = MatUnscaleRows(m);
  EXPECT_EQ(r[0], 3.0f * static_cast<float>(1.0 / 9.0));
  EXPECT_EQ(r[5], 2.0f);
  EXPECT_EQ(r[10], 7.0f * static_cast<float>(1.0 / 49.0));
  EXPECT_EQ(r[12], 4.0f); EXPECT_EQ(r[13], 5.0f); EXPECT_EQ(r[14], 6.0f);
}

TEST(Matrices, EulerOfSingleAndCombinedRotations) {
  Vec4 angles{9.0f, 9.0f, 9.0f, 42.0f};
  MatToEuler(MatRotateY(0.5f), angles);
  EXPECT_NEAR(angles.x, 0.0f, 1e-6f);
  EXPECT_NEAR(angles.y, 0.5f, 1e-6f);
  EXPECT_NEAR(angles.z, 0.0f, 1e-6f);
  EXPECT_EQ(angles.w, 42.0f);

  // Both cosines negative: h turns negative and the angle lands past 90 degrees.
  MatToEuler(MatRotateY(2.5f), angles);
  EXPECT_NEAR(angles.x, 0.0f, 1e-6f);
  EXPECT_NEAR(angles.y, 2.5f, 1e-6f);
  EXPECT_NEAR(angles.z, 0.0f, 1e-6f);

  // The loaders read angles back from an inverse frame; for the inverse of
  // RotateXYZ(0.3, -0.7, 1.1) the formula gives (0.3, 0.7, 1.1), worked out
  // by hand from the transposed elements.
  MatToEuler(MatRigidInverse(MatRotateXYZ(0.3f, -0.7f, 1.1f)), angles);
  EXPECT_NEAR(angles.x, 0.3f, 1e-5f);
  EXPECT_NEAR(angles.y, 0.7f, 1e-5f);
  EXPECT_NEAR(angles.z, 1.1f, 1e-5f);
}

TEST(Matrices, EulerAtGimbalLockTakesTheSecondBranch) {
  Matrix m = MatIdentity();
  // M[8] = 1 exactly: y = +90 degrees.
  m[0] = 0.0f; m[2] = -1.0f; m[8] = 1.0f; m[10] = 0.0f;
  Vec4 angles{};
  MatToEuler(m, angles);
  EXPECT_NEAR(angles.y, M_PI / 2, 1e-6);
  EXPECT_EQ(angles.z, 0.0f);
  EXPECT_EQ(angles.x, 0.0f);  // atan2(-M[6], M[5]) = atan2(0, 1)
}

TEST(Matrices, EulerClampsASineJustAboveOne) {
  Matrix m = MatIdentity();
  m[0] = 0.0f; m[10] = 0.0f;
  m[8] = std::nextafter(1.0f, 2.0f);
  m[5] = 0.6f; m[6] = -0.8f;
  Vec4 angles{};
  MatToEuler(m, angles);
  EXPECT_FALSE(std::isnan(angles.x));
  EXPECT_FALSE(std::isnan(angles.y));
  EXPECT_NEAR(angles.y, M_PI / 2, 1e-6);
  EXPECT_NEAR(angles.x, std::atan2(0.8, 0.6), 1e-6);

  m[8] = -std::nextafter(1.0f, 2.0f);
  MatToEuler(m, angles);
  EXPECT_NEAR(angles.y, -M_PI / 2, 1e-6);
}
