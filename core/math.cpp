// Vector and matrix operations. Every stored result is a 32-bit float; the
// library functions (sin, cos, sqrt, atan2, asin) run in double precision.
#include "core/math.h"

#include <cmath>

Matrix MatIdentity() {
  Matrix r{};
  r[0] = r[5] = r[10] = r[15] = 1.0f;
  return r;
}

static float Sin(float angle) {
  return static_cast<float>(std::sin(static_cast<double>(angle)));
}

static float Cos(float angle) {
  return static_cast<float>(std::cos(static_cast<double>(angle)));
}

Matrix MatRotateX(float angle) {
  float si = Sin(angle), co = Cos(angle);
  Matrix r = MatIdentity();
  r[5] = co;
  r[6] = si;
  r[9] = -si;
  r[10] = co;
  return r;
}

Matrix MatRotateY(float angle) {
  float si = Sin(angle), co = Cos(angle);
  Matrix r = MatIdentity();
  r[0] = co;
  r[2] = -si;
  r[8] = si;
  r[10] = co;
  return r;
}

Matrix MatRotateZ(float angle) {
  float si = Sin(angle), co = Cos(angle);
  Matrix r = MatIdentity();
  r[0] = co;
  r[1] = si;
  r[4] = -si;
  r[5] = co;
  return r;
}

Matrix MatTranslate(float tx, float ty, float tz) {
  Matrix r = MatIdentity();
  r[12] = tx;
  r[13] = ty;
  r[14] = tz;
  return r;
}

Matrix MatScale(float sx, float sy, float sz) {
  Matrix r = MatIdentity();
  r[0] = sx;
  r[5] = sy;
  r[10] = sz;
  return r;
}

Matrix MatMultiply(const Matrix& a, const Matrix& b) {
  // Built in a temporary: the caller may assign the result over a or b.
  Matrix p;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      p[4 * i + j] = a[4 * i] * b[j] + a[4 * i + 1] * b[4 + j] + a[4 * i + 2] * b[8 + j] +
                     a[4 * i + 3] * b[12 + j];
    }
  }
  return p;
}

Matrix MatRotateXYZ(float ax, float ay, float az) {
  Matrix r = MatMultiply(MatRotateX(ax), MatRotateY(ay));
  return MatMultiply(r, MatRotateZ(az));
}

Matrix MatRigidInverse(const Matrix& m) {
  Matrix r = MatIdentity();
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) r[4 * j + i] = m[4 * i + j];
  }
  for (int j = 0; j < 3; ++j) {
    r[12 + j] = -(m[12] * m[4 * j] + m[13] * m[4 * j + 1] + m[14] * m[4 * j + 2]);
  }
  return r;
}

Matrix MatUnscaleRows(const Matrix& m) {
  Matrix r = MatIdentity();
  for (int row = 0; row < 3; ++row) {
    const float* a = &m[4 * row];
    float q = a[0] * a[0] + a[1] * a[1] + a[2] * a[2];
    // 1/q is rounded to float before scaling the row.
    float k = static_cast<float>(1.0 / static_cast<double>(q));
    for (int j = 0; j < 3; ++j) r[4 * row + j] = a[j] * k;
    r[12 + row] = m[12 + row];
  }
  return r;
}

static float Atan2(double y, double x) {
  return static_cast<float>(std::atan2(y, x));
}

void MatToEuler(const Matrix& m, Vec4& angles) {
  // A rotation matrix may carry |M[8]| a hair above 1 from rounding: clamp so
  // neither the square root nor the arc sine sees an argument out of range.
  double sine = m[8];
  if (sine > 1.0) sine = 1.0;
  if (sine < -1.0) sine = -1.0;
  float h = static_cast<float>(std::sqrt(1.0 - sine * sine));
  if (m[0] < 0.0f && m[10] < 0.0f) h = -h;
  if (h != 0.0f) {
    angles.x = Atan2(m[9] / h, m[10] / h);
    angles.y = Atan2(m[8], h);
    angles.z = Atan2(m[4] / h, m[0] / h);
  } else {
    angles.x = Atan2(-m[6], m[5]);
    angles.y = static_cast<float>(std::asin(sine));
    angles.z = 0.0f;
  }
}
