// The content generator's parts: each writes its share of the data directory.
#pragma once

#include <string>

// Scene files (Objects/), textures (Textures/) and the banner picture.
bool WriteArt(const std::string& outDir);
// The three music modules (Midas/).
bool WriteMusic(const std::string& outDir);
// The program's icon in every size of kIconSizes, as a hicolor theme lays
// them out: themeDir/<n>x<n>/apps/kavret.png.
bool WriteIcons(const std::string& themeDir);
