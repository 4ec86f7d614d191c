// Shared set-up of the libFuzzer targets: the input is written to an in-memory
// file that the loaders open by path, the data directory holds a texture the
// model files can name, and every run starts and ends with empty registries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Path of a file holding exactly the given bytes (rewritten on each call).
const char* WriteInput(const std::uint8_t* data, std::size_t size);

// Empty registries with a lens-flare template and a current camera, as a scene
// has them when it loads its model file.
void BeginScene();
// Frees everything the scene made.
void EndScene();
