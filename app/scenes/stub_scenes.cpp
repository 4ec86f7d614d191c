// Placeholder scene scripts until the real ones exist: empty scenes.
#include "app/scenes/scenes.h"

#define KAVRET_EMPTY_SCENE(Name)        \
  bool Name##Setup() { return true; }   \
  bool Name##Frame() { return true; }   \
  bool Name##TearDown() { return true; }

KAVRET_EMPTY_SCENE(Rocket)
KAVRET_EMPTY_SCENE(Sphere)
KAVRET_EMPTY_SCENE(Swarm)
KAVRET_EMPTY_SCENE(Egypt)
KAVRET_EMPTY_SCENE(Exp)
KAVRET_EMPTY_SCENE(Cross)
KAVRET_EMPTY_SCENE(Dante)
KAVRET_EMPTY_SCENE(Outro)
