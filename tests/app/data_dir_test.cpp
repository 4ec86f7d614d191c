// The data lookup: the working directory first, then the installed tree beside
// the program, then the build tree, each only when it holds the data.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/data_dir.h"
#include "support/process_folder.h"

namespace fs = std::filesystem;

namespace {

void MakeData(const fs::path& dir) { fs::create_directories(dir / "Objects"); }

DataSearch SearchFrom(const fs::path& cwd, const fs::path& exe) {
  DataSearch s;
  s.workingDir = cwd.string();
  s.executable = exe.string();
  s.installedFromExe = "../share/kavret";
  s.buildFromExe = "../data";
  return s;
}

}  // namespace

TEST(DataDirectoryTest, InstalledTreeIsFoundBesideTheProgramWhereverItIsMoved) {
  const fs::path root = ProcessFolder("data_dir_installed");
  const fs::path elsewhere = root / "elsewhere";
  fs::create_directories(elsewhere);
  for (const char* prefix : {"usr", "opt/moved/kavret"}) {
    MakeData(root / prefix / "share/kavret");
    const fs::path exe = root / prefix / "bin/kavret";
    EXPECT_EQ(FindDataDirectory(SearchFrom(elsewhere, exe)), (root / prefix / "share/kavret").string()) << prefix;
  }
}

TEST(DataDirectoryTest, OrderIsWorkingDirectoryThenInstalledThenBuildTree) {
  const fs::path root = ProcessFolder("data_dir_order");
  const fs::path cwd = root / "cwd", exe = root / "tree/bin/kavret";
  fs::create_directories(cwd);
  // Nothing holds the data: nothing is found (the program then says where it looked).
  EXPECT_EQ(FindDataDirectory(SearchFrom(cwd, exe)), "");
  const std::vector<std::string> looked = {cwd.string(), (root / "tree/share/kavret").string(),
                                           (root / "tree/data").string()};
  EXPECT_EQ(DataCandidates(SearchFrom(cwd, exe)), looked);
  // A folder named like the data but without Objects/ is passed over.
  fs::create_directories(root / "tree/share/kavret/Textures");
  EXPECT_EQ(FindDataDirectory(SearchFrom(cwd, exe)), "");

  MakeData(root / "tree/data");
  EXPECT_EQ(FindDataDirectory(SearchFrom(cwd, exe)), (root / "tree/data").string());
  MakeData(root / "tree/share/kavret");
  EXPECT_EQ(FindDataDirectory(SearchFrom(cwd, exe)), (root / "tree/share/kavret").string());
  // The original's rule comes first: a lower-case objects/ in the working directory counts too.
  fs::create_directories(cwd / "objects");
  EXPECT_EQ(FindDataDirectory(SearchFrom(cwd, exe)), cwd.string());
}

TEST(DataDirectoryTest, UnknownProgramPathLooksInTheWorkingDirectoryAlone) {
  const fs::path cwd = ProcessFolder("data_dir_unknown");
  DataSearch s = SearchFrom(cwd, "");
  EXPECT_EQ(DataCandidates(s), std::vector<std::string>{cwd.string()});
  EXPECT_EQ(FindDataDirectory(s), "");
  MakeData(cwd);
  EXPECT_EQ(FindDataDirectory(s), cwd.string());
  // This process's own path is known on Linux and is a real file.
  const std::string self = ExecutablePath();
  ASSERT_FALSE(self.empty());
  EXPECT_TRUE(fs::is_regular_file(self)) << self;
}
