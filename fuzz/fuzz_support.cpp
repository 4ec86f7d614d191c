// Set-up shared by the fuzz targets (see fuzz_support.h).
#include "fuzz_support.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "loaders/load3ds.h"
#include "platform/files/files.h"
#include "scene/scene.h"

namespace {

struct FuzzState {
  int inputFd = -1;
  std::string inputPath;
  std::string dataDirectory;
};
FuzzState fuzz;

// A data directory with Textures/A.TGA (2 x 2), so that map chunks naming it
// run the texture loader too.
void MakeDataDirectory() {
  char pattern[] = "/tmp/kavret-fuzz-XXXXXX";
  if (!mkdtemp(pattern)) std::abort();
  fuzz.dataDirectory = pattern;
  std::filesystem::create_directories(fuzz.dataDirectory + "/Textures");
  std::FILE* f = std::fopen((fuzz.dataDirectory + "/Textures/A.TGA").c_str(), "wb");
  if (!f) std::abort();
  const std::uint8_t header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0};
  std::fwrite(header, 1, sizeof header, f);
  for (int i = 0; i < 12; ++i) std::fputc(i * 20, f);
  std::fclose(f);
  SetDataDirectory(fuzz.dataDirectory);
  std::atexit([] { std::filesystem::remove_all(fuzz.dataDirectory); });
}

}  // namespace

const char* WriteInput(const std::uint8_t* data, std::size_t size) {
  if (fuzz.inputFd < 0) {
    fuzz.inputFd = memfd_create("kavret-fuzz-input", 0);
    if (fuzz.inputFd < 0) std::abort();
    fuzz.inputPath = "/proc/self/fd/" + std::to_string(fuzz.inputFd);
    MakeDataDirectory();
    // The listing is not looked at; keep it off the terminal.
    LoadState.listing = std::fopen("/dev/null", "w");
  }
  if (ftruncate(fuzz.inputFd, 0) != 0) std::abort();
  for (std::size_t done = 0; done < size;) {
    ssize_t n = pwrite(fuzz.inputFd, data + done, size - done, static_cast<off_t>(done));
    if (n <= 0) std::abort();
    done += static_cast<std::size_t>(n);
  }
  return fuzz.inputPath.c_str();
}

void BeginScene() {
  InitSceneRegistries();
  LensFlareTemplate = AddSprite(SpriteLensFlare);
  SetCurrentCamera(AddCamera());
}

void EndScene() {
  LensFlareTemplate = nullptr;
  FreeSceneRegistries();
}
