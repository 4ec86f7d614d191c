// The sprite registry (lens flares and billboards) and sprite copies.
#include <cstdlib>

#include "scene/records.h"
#include "scene/scene.h"

Registry<Sprite> Sprites;
Sprite* LensFlareTemplate = nullptr;

void InitSprites() { Sprites = {}; }

Sprite* AddSprite(std::int32_t kind) {
  auto* sprite = AllocateRecord<Sprite>();
  if (!sprite) return nullptr;
  sprite->kind = kind;
  InitParticle(&sprite->particle);
  LinkLast(Sprites, sprite);
  return sprite;
}

void RemoveSprite(Sprite* sprite) {
  if (!sprite) return;
  Unlink(Sprites, sprite);
  std::free(sprite);
}

void FreeSprites() {
  for (Sprite* s = Sprites.first; s;) {
    Sprite* next = s->next;
    RemoveSprite(s);
    s = next;
  }
}

Sprite* CloneSprite(const Sprite* source) {
  if (!source) return nullptr;
  Sprite* copy = AddSprite(source->kind);
  if (!copy) return nullptr;
  // Everything but the links, which belong to the copy.
  copy->particle = source->particle;
  copy->viewX = source->viewX;
  copy->viewY = source->viewY;
  copy->depth = source->depth;
  for (int i = 0; i < 4; ++i) {
    copy->materials[i] = source->materials[i];
    copy->colour[i] = source->colour[i];
  }
  copy->halfSize = source->halfSize;
  copy->active = source->active;
  return copy;
}
