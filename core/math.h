// Single-precision vector and matrix math shared by the whole engine.
// Points are row vectors multiplied on the left (p' = p * M), matrices are
// row-major with the translation in row 3. Trigonometry and square roots run
// in double precision and are stored back as float.
#pragma once

#include <cmath>

struct Vec4 {
  float x, y, z, w;
};

struct Matrix {
  float m[16];

  float& operator[](int i) { return m[i]; }
  const float& operator[](int i) const { return m[i]; }
};

// Every vector result has w = 1. Defined here so the per-vertex and
// per-particle loops inline them.
inline Vec4 VecAdd(const Vec4& a, const Vec4& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z, 1.0f};
}

inline Vec4 VecSub(const Vec4& a, const Vec4& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z, 1.0f};
}

inline Vec4 VecCross(const Vec4& a, const Vec4& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x, 1.0f};
}

// Dot product and length use x, y, z only.
inline float VecDot(const Vec4& a, const Vec4& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

inline float VecLength(const Vec4& v) {
  float squared = v.x * v.x + v.y * v.y + v.z * v.z;
  return static_cast<float>(std::sqrt(static_cast<double>(squared)));
}

// In place; a zero-length vector (w included) is left untouched.
inline void VecNormalize(Vec4& v) {
  float length = VecLength(v);
  if (length == 0.0f) return;
  // The reciprocal is rounded to float before the three products.
  float k = static_cast<float>(1.0 / static_cast<double>(length));
  v.x *= k;
  v.y *= k;
  v.z *= k;
  v.w = 1.0f;
}

// In place: (0, 0, 0, 1).
inline void VecSetOrigin(Vec4& v) {
  v = {0.0f, 0.0f, 0.0f, 1.0f};
}

// The row vector v (all four components) times M. Returned by value, so
// v = VecTransform(M, v) is safe.
inline Vec4 VecTransform(const Matrix& m, const Vec4& v) {
  Vec4 r;
  r.x = v.x * m[0] + v.y * m[4] + v.z * m[8] + v.w * m[12];
  r.y = v.x * m[1] + v.y * m[5] + v.z * m[9] + v.w * m[13];
  r.z = v.x * m[2] + v.y * m[6] + v.z * m[10] + v.w * m[14];
  r.w = v.x * m[3] + v.y * m[7] + v.z * m[11] + v.w * m[15];
  return r;
}

// Constructors; angles in radians. With p' = p * M a positive angle turns
// +y towards +z (X), +z towards +x (Y) and +x towards +y (Z).
Matrix MatIdentity();
Matrix MatRotateX(float angle);
Matrix MatRotateY(float angle);
Matrix MatRotateZ(float angle);
Matrix MatTranslate(float tx, float ty, float tz);
Matrix MatScale(float sx, float sy, float sz);

// Full 4x4 product A * B (A applied first). Results are built in a temporary,
// so the destination may be either input.
Matrix MatMultiply(const Matrix& a, const Matrix& b);
// RotateX(ax) * RotateY(ay) * RotateZ(az): turns about X first, then Y, then Z.
Matrix MatRotateXYZ(float ax, float ay, float az);
// Inverse of rotation + translation (transposed 3x3, negated translation).
Matrix MatRigidInverse(const Matrix& m);
// Divides rows 0-2 by their squared lengths and copies the translation, so
// that MatRigidInverse(MatUnscaleRows(M)) inverts scale * rotation * translation.
Matrix MatUnscaleRows(const Matrix& m);
// Euler angles (about x, y, z, composed as MatRotateXYZ) into angles.x/y/z;
// angles.w is not written.
void MatToEuler(const Matrix& m, Vec4& angles);
