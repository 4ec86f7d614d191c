// Allocation helpers shared by the registry files (not part of the public
// scene interface).
#pragma once

#include <cstdlib>

// A zero-filled record, or null when memory runs out.
template <typename T>
T* AllocateRecord() {
  return static_cast<T*>(std::calloc(1, sizeof(T)));
}

// A malloc'ed copy of name; null for a null name or when memory runs out.
char* CopyName(const char* name);
