// A folder in the build tree that belongs to one test process: emptied when
// made, removed when the process ends. CTest runs the cases of one test
// binary as separate processes side by side, so a folder they shared would
// be rewritten under a case that is reading it. Every file a test writes
// goes into one.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// <build>/<name>-<process id>, empty; asking again for the same name empties it.
std::filesystem::path ProcessFolder(const std::string& name);

// Writes bytes to a file, making its folders first; false when it cannot.
bool WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
