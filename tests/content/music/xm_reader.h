// A small XM reader for the tests: turns the bytes the writer made back into
// an XmModule, so that the two can be compared field by field.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/content/music/xm_writer.h"

// Reads an XM file; false with a reason in `why` when the bytes are not one.
bool ReadXm(const std::vector<std::uint8_t>& bytes, XmModule& out, std::string& why);
