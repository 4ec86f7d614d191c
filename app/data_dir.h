// Where the demo's data is when --data does not say: the working directory,
// an installed tree beside the program, or the build tree it was built in.
#pragma once

#include <string>
#include <vector>

struct DataSearch {
  std::string workingDir = ".";  // holds the data when it has an Objects folder (the original's rule)
  std::string executable;        // the running program's real path; empty when unknown
  // Where the data lies relative to the program's folder: installed, then in
  // the build tree. Relative paths, so that a moved tree still finds its data.
  std::string installedFromExe;  // e.g. "../share/kavret"
  std::string buildFromExe;      // e.g. "../data"
};

// True when dir holds the demo's data (an Objects folder, in either case).
bool HoldsDemoData(const std::string& dir);
// The folders looked at, in order: the working directory, the installed data,
// the build tree's data (the last two only when the program's path is known).
std::vector<std::string> DataCandidates(const DataSearch& search);
// The first candidate that holds the demo's data; empty when none does.
std::string FindDataDirectory(const DataSearch& search);
// The running program's path as the kernel knows it (/proc/self/exe, links
// resolved); empty where that cannot be read.
std::string ExecutablePath();
