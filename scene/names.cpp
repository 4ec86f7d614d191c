// Name copies and the one name comparison of the scene model.
#include <cstdlib>
#include <cstring>

#include "scene/records.h"
#include "scene/scene.h"

static char UpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool NamesEqual(const char* a, const char* b) {
  if (!a || !b) return false;
  for (; *a && *b; ++a, ++b) {
    if (UpperAscii(*a) != UpperAscii(*b)) return false;
  }
  // Equal only when both end together: a prefix is not a match.
  return *a == '\0' && *b == '\0';
}

char* CopyName(const char* name) {
  if (!name) return nullptr;
  std::size_t size = std::strlen(name) + 1;
  auto* copy = static_cast<char*>(std::malloc(size));
  if (copy) std::memcpy(copy, name, size);
  return copy;
}
