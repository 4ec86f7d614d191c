// Opening the demo's data files. The engine names them as the original file
// system did ("Objects\rocketscene01.3ds", "Textures\\FIRE002.TGA"): backslashes
// separate components and case does not matter. Paths are relative to the data
// directory.
#pragma once

#include <cstdio>
#include <string>

// Sets the data directory ("" or "." means the working directory).
void SetDataDirectory(const std::string& directory);
const std::string& DataDirectory();

// The host path of a data file: backslashes become '/', and when the exact name
// is missing each component is matched without regard to case. Returns the exact
// mapping (which may not exist) when nothing matches.
std::string ResolveDataPath(const char* path);

// fopen of a data file through ResolveDataPath. Null when it cannot be opened.
FILE* OpenDataFile(const char* path, const char* mode);
