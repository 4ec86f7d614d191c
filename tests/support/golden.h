// Golden-image comparison for the frame tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Compares an RGB picture with tests/<folder>/golden/<name>.png exactly. On a
// mismatch (or a missing reference) writes the picture into the build tree as
// golden_failed/<folder>/<name>.actual.png, never next to the reference, and
// says so in the returned message; empty when equal. KAVRET_UPDATE_GOLDEN=1
// writes the reference instead.
std::string CompareWithGolden(const std::string& folder, const std::string& name,
                              const std::vector<std::uint8_t>& rgb, int width, int height);
