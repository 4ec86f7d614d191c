// What the program derives from the playlist: shortened copies for quick runs,
// the number of frames a run presents, and the scene list for scripts.
#pragma once

#include <string>

#include "app/sequencer.h"

// Copies the demo's playlist into `out` with every frame budget capped at
// `maxFrames` (--scene-frames); 0 or less copies it unchanged.
void CapPlaylist(int maxFrames, Scene out[kSceneCount]);

// Frames one run of `list` presents from scene `first` on: the first, empty
// frame, then budget + 2 frames per scene (its set-up and tear-down passes).
long PlaylistFrames(const Scene* list, int first);

// One line per scene of `list`: index, name and frame budget, separated by a
// tab ("0\tRocket\t2500\n").
std::string SceneListText(const Scene* list);
