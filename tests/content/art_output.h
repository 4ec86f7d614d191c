// One generated data directory shared by the content tests: WriteArt runs once
// into a fresh folder under the build tree.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The folder WriteArt wrote into (created on first use).
const std::string& ArtDir();
std::vector<std::uint8_t> ReadBytes(const std::string& path);
