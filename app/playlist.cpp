// The playlist: eight scenes with their names, frame budgets and music cues,
// the one place these are written down.
#include "app/playlist.h"

#include "app/scenes/scenes.h"

const Scene demoPlaylist[kSceneCount] = {
    {"Rocket", RocketSetup, RocketFrame, RocketTearDown, 2500, MusicCue::FirstAfterSetup, 3},
    {"Sphere", SphereSetup, SphereFrame, SphereTearDown, 2500, MusicCue::None, 0},
    {"Swarm", SwarmSetup, SwarmFrame, SwarmTearDown, 2500, MusicCue::None, 0},
    {"Egypt", EgyptSetup, EgyptFrame, EgyptTearDown, 1600, MusicCue::None, 0},
    {"Exp", ExpSetup, ExpFrame, ExpTearDown, 2000, MusicCue::None, 0},
    {"Cross", CrossSetup, CrossFrame, CrossTearDown, 680, MusicCue::AfterSetup, 2},
    {"Dante", DanteSetup, DanteFrame, DanteTearDown, 2000, MusicCue::None, 0},
    {"Outro", OutroSetup, OutroFrame, OutroTearDown, 1500, MusicCue::BeforeSetup, 1},
};

void CapPlaylist(int maxFrames, Scene out[kSceneCount]) {
  for (int i = 0; i < kSceneCount; ++i) {
    out[i] = demoPlaylist[i];
    if (maxFrames > 0 && out[i].frameBudget > maxFrames) out[i].frameBudget = maxFrames;
  }
}

long PlaylistFrames(const Scene* list, int first) {
  long frames = 1;
  for (int i = first; i < kSceneCount; ++i) frames += list[i].frameBudget + 2;
  return frames;
}

std::string SceneListText(const Scene* list) {
  std::string text;
  for (int i = 0; i < kSceneCount; ++i) {
    text += std::to_string(i) + "\t" + list[i].name + "\t" + std::to_string(list[i].frameBudget) + "\n";
  }
  return text;
}
