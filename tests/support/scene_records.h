// The scene's records for the tests that fill them without drawing.
#pragma once

// The records (geometries, sprites, mesh objects, textures, materials,
// cameras, light groups) made empty, and freed again; the lens flare
// template goes with them.
void InitSceneRecords();
void FreeSceneRecords();

// The number of records in a chain.
template <typename T>
int CountRecords(const T* first) {
  int n = 0;
  for (; first; first = first->next) ++n;
  return n;
}
