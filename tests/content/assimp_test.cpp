// Every scene file opened by assimp, the import library common modelling tools
// are built on: its validation refuses a file whose lights or camera have no
// node in the scene graph, and names every object, light and camera it kept.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "art_output.h"
#include "tools/content/art/scene_file.h"

namespace {

bool HaveAssimp() { return std::system("command -v assimp >/dev/null 2>&1") == 0; }

// Runs "assimp info" on the file; returns its exit status and puts what it
// wrote on both streams into `output`.
int AssimpInfo(const std::string& path, std::string& output) {
  const std::string command = "assimp info '" + path + "' 2>&1";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return -1;
  std::array<char, 4096> buffer;
  output.clear();
  for (std::size_t got; (got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) {
    output.append(buffer.data(), got);
  }
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The number after a "Label:" line of the statistics.
int Statistic(const std::string& output, const std::string& label) {
  const std::size_t at = output.find("\n" + label + ":");
  if (at == std::string::npos) return -1;
  return std::atoi(output.c_str() + at + label.size() + 2);
}

TEST(AssimpReadsScenes, EverySceneFilePassesItsValidation) {
  if (!HaveAssimp()) {
    GTEST_SKIP() << "the assimp command is missing (Debian package assimp-utils; scripts/bootstrap installs it)";
  }
  for (const SceneFile& scene : BuildScenes()) {
    SCOPED_TRACE(scene.name);
    std::string output;
    ASSERT_EQ(AssimpInfo(ArtDir() + "/Objects/" + scene.name + "scene01.3ds", output), 0) << output;
    EXPECT_EQ(output.find("ERROR"), std::string::npos) << output;
    EXPECT_EQ(Statistic(output, "Lights"), static_cast<int>(scene.lights.size()));
    EXPECT_EQ(Statistic(output, "Cameras"), scene.camera ? 1 : 0);
    // The root and one node for each object, light and camera.
    EXPECT_EQ(Statistic(output, "Nodes"),
              static_cast<int>(1 + scene.meshes.size() + scene.lights.size() + (scene.camera ? 1 : 0)));
    const std::size_t tree = output.find("Node hierarchy:");
    ASSERT_NE(tree, std::string::npos) << output;
    auto inTree = [&](const std::string& name) { return output.find(name, tree) != std::string::npos; };
    for (const Mesh& m : scene.meshes) EXPECT_TRUE(inTree(m.name + " (mesh ")) << m.name;
    for (const LightDef& l : scene.lights) EXPECT_TRUE(inTree(l.name)) << l.name;
    if (scene.camera) {
      EXPECT_TRUE(inTree(scene.camera->name));
    }
  }
}

}  // namespace
