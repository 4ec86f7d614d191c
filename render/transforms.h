// Camera and object transforms: the current camera's view matrix, projection
// factors and side planes, and each object's world and inverse matrices.
#pragma once

#include <cstdint>

#include "core/math.h"

struct Camera;
struct MeshObject;

// Recomputes the camera's axes, view matrix, projection factors, depth
// factors and side planes from its eye, target, up hint, angles and screen.
void UpdateCamera(Camera* camera);
// world = scale * rotation X, Y, Z * translation from the object's particle
// block and scale; inverseWorld is its exact inverse.
void BuildObjectMatrices(MeshObject* object);
// 1 when either box corner lies in front of the current camera (view depth
// above 0), else 0. Only the two corners are tested.
std::uint8_t ObjectInFront(const Vec4& boundsMin, const Vec4& boundsMax, const Matrix& worldView);
