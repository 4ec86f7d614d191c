// The playlist: eight scenes with their frame budgets and music cues.
#include "app/scenes/scenes.h"
#include "app/sequencer.h"

const Scene demoPlaylist[kSceneCount] = {
    {RocketSetup, RocketFrame, RocketTearDown, 2500, MusicCue::FirstAfterSetup, 3},
    {SphereSetup, SphereFrame, SphereTearDown, 2500, MusicCue::None, 0},
    {SwarmSetup, SwarmFrame, SwarmTearDown, 2500, MusicCue::None, 0},
    {EgyptSetup, EgyptFrame, EgyptTearDown, 1600, MusicCue::None, 0},
    {ExpSetup, ExpFrame, ExpTearDown, 2000, MusicCue::None, 0},
    {CrossSetup, CrossFrame, CrossTearDown, 680, MusicCue::AfterSetup, 2},
    {DanteSetup, DanteFrame, DanteTearDown, 2000, MusicCue::None, 0},
    {OutroSetup, OutroFrame, OutroTearDown, 1500, MusicCue::BeforeSetup, 1},
};
