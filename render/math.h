// Single-precision vector and matrix math shared by the whole engine.
// Points are row vectors multiplied on the left (p' = p * M), matrices are
// row-major with the translation in row 3. Trigonometry and square roots run
// in double precision and are stored back as float.
#pragma once

struct Vec4 {
  float x, y, z, w;
};

struct Matrix {
  float m[16];

  float& operator[](int i) { return m[i]; }
  const float& operator[](int i) const { return m[i]; }
};

// Every vector result has w = 1.
Vec4 VecAdd(const Vec4& a, const Vec4& b);
Vec4 VecSub(const Vec4& a, const Vec4& b);
Vec4 VecCross(const Vec4& a, const Vec4& b);
// Dot product and length use x, y, z only.
float VecDot(const Vec4& a, const Vec4& b);
float VecLength(const Vec4& v);
// In place; a zero-length vector (w included) is left untouched.
void VecNormalize(Vec4& v);
// In place: (0, 0, 0, 1).
void VecSetOrigin(Vec4& v);
// The row vector v (all four components) times M. Returned by value, so
// v = VecTransform(M, v) is safe.
Vec4 VecTransform(const Matrix& m, const Vec4& v);

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
