// Vector operations: w handling, normalisation rounding and the row-vector
// transform.
#include <gtest/gtest.h>

#include <cmath>

#include "core/math.h"

TEST(Vectors, ArithmeticWritesWOne) {
  Vec4 a{1.0f, 2.0f, 3.0f, 7.0f};
  Vec4 b{4.0f, -5.0f, 6.0f, -2.0f};
  Vec4 sum = VecAdd(a, b);
  Vec4 diff = VecSub(a, b);
  Vec4 cross = VecCross(a, b);
  EXPECT_EQ(sum.x, 5.0f); EXPECT_EQ(sum.y, -3.0f); EXPECT_EQ(sum.z, 9.0f); EXPECT_EQ(sum.w, 1.0f);
  EXPECT_EQ(diff.x, -3.0f); EXPECT_EQ(diff.y, 7.0f); EXPECT_EQ(diff.z, -3.0f); EXPECT_EQ(diff.w, 1.0f);
  // (2*6 - 3*-5, 3*4 - 1*6, 1*-5 - 2*4)
  EXPECT_EQ(cross.x, 27.0f); EXPECT_EQ(cross.y, 6.0f); EXPECT_EQ(cross.z, -13.0f); EXPECT_EQ(cross.w, 1.0f);
  Vec4 x{1, 0, 0, 1}, y{0, 1, 0, 1};
  Vec4 z = VecCross(x, y);
  EXPECT_EQ(z.z, 1.0f);
}

TEST(Vectors, DotAndLengthIgnoreW) {
  Vec4 a{3.0f, 4.0f, 12.0f, 100.0f};
  Vec4 b{1.0f, 1.0f, 1.0f, 100.0f};
  EXPECT_EQ(VecDot(a, b), 19.0f);
  EXPECT_EQ(VecLength(a), 13.0f);
}

TEST(Vectors, NormalizeZeroLeavesVectorAlone) {
  Vec4 v{0.0f, 0.0f, 0.0f, 5.0f};
  VecNormalize(v);
  EXPECT_EQ(v.x, 0.0f); EXPECT_EQ(v.y, 0.0f); EXPECT_EQ(v.z, 0.0f);
  EXPECT_EQ(v.w, 5.0f);
}

TEST(Vectors, NormalizeMultipliesByFloatReciprocal) {
  Vec4 v{1.0f, 2.0f, 2.0f, 9.0f};
  VecNormalize(v);
  // k = 1/3 rounded to float, then each component times k in float.
  float k = static_cast<float>(1.0 / 3.0);
  EXPECT_EQ(v.x, 1.0f * k);
  EXPECT_EQ(v.y, 2.0f * k);
  EXPECT_EQ(v.z, 2.0f * k);
  EXPECT_EQ(v.w, 1.0f);

  Vec4 u{0.3f, -0.7f, 1.9f, 1.0f};
  VecNormalize(u);
  EXPECT_NEAR(VecLength(u), 1.0f, 1e-6f);
}

TEST(Vectors, TransformIsRowVectorTimesMatrix) {
  Matrix m;
  for (int i = 0; i < 16; ++i) m[i] = static_cast<float>(i + 1);
  Vec4 v{1.0f, 2.0f, 3.0f, 4.0f};
  Vec4 r = VecTransform(m, v);
  // Column j: 1*m[j] + 2*m[4+j] + 3*m[8+j] + 4*m[12+j].
  EXPECT_EQ(r.x, 1 * 1 + 2 * 5 + 3 * 9 + 4 * 13);
  EXPECT_EQ(r.y, 1 * 2 + 2 * 6 + 3 * 10 + 4 * 14);
  EXPECT_EQ(r.z, 1 * 3 + 2 * 7 + 3 * 11 + 4 * 15);
  EXPECT_EQ(r.w, 1 * 4 + 2 * 8 + 3 * 12 + 4 * 16);

  // Translation lives in row 3 and moves points (w = 1).
  Vec4 p{1.0f, 1.0f, 1.0f, 1.0f};
  p = VecTransform(MatTranslate(10.0f, 20.0f, 30.0f), p);
  EXPECT_EQ(p.x, 11.0f); EXPECT_EQ(p.y, 21.0f); EXPECT_EQ(p.z, 31.0f); EXPECT_EQ(p.w, 1.0f);
}
