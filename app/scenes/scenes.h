// The eight scene scripts: a set-up, a per-frame and a tear-down routine each.
#pragma once

bool RocketSetup();
bool RocketFrame();
bool RocketTearDown();
bool SphereSetup();
bool SphereFrame();
bool SphereTearDown();
bool SwarmSetup();
bool SwarmFrame();
bool SwarmTearDown();
bool EgyptSetup();
bool EgyptFrame();
bool EgyptTearDown();
bool ExpSetup();
bool ExpFrame();
bool ExpTearDown();
bool CrossSetup();
bool CrossFrame();
bool CrossTearDown();
bool DanteSetup();
bool DanteFrame();
bool DanteTearDown();
bool OutroSetup();
bool OutroFrame();
bool OutroTearDown();
