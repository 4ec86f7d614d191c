// Opening the demo's data files. The engine names them as the original file
// system did ("Objects\rocketscene01.3ds", "Textures\\FIRE002.TGA"): backslashes
// separate components and case does not matter. Paths are relative to the data
// directory, and only regular files are read: never a FIFO, device or folder.
#pragma once

#include <cstdio>
#include <string>

// Sets the data directory ("" or "." means the working directory).
void SetDataDirectory(const std::string& directory);

// The host path of a data file: backslashes become '/', and when the exact name
// is missing each component is matched without regard to case. Returns the exact
// mapping (which may not exist) when nothing matches.
std::string ResolveDataPath(const char* path);

// True for a name that stays inside the folder it is looked up in: not empty,
// no leading separator ('\\' or '/') and no ".." component. Names that come
// from data files (a material's texture map) must pass it before use.
bool DataNameStaysInside(const char* name);

// Opens a data file for reading ("rb"; data files are never written) through
// ResolveDataPath. Null when it cannot be opened, and also, with a warning on
// stderr, when the path has a ".." component or names anything but a regular
// file (a FIFO, device or directory would block or mislead the reader).
FILE* OpenDataFile(const char* path, const char* mode);

// Opens a host path for reading if it is a regular file (a symbolic link to
// one included); never blocks on a FIFO or device. Null otherwise; when the
// path exists but is no regular file, *notRegular (if given) is set to true.
FILE* OpenRegularFile(const std::string& path, bool* notRegular = nullptr);
