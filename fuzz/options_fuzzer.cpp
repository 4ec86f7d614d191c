// libFuzzer target: any byte string as a command line, one argument per run of
// bytes up to a NUL. Parsing ends in a result or in a one-line reason, and a
// result stays within the ranges the rest of the program relies on.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/options.h"

namespace {

// The message reaches the terminal when a saved input is run again by hand.
[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "options fuzzer: %s\n", what);
  std::abort();
}

bool Within(long v, long low, long high) { return v >= low && v <= high; }

void CheckResult(const CommandLine& c) {
  if (!Within(c.looping, -1, 1)) Fail("looping out of range");
  if (!Within(c.frames, 0, 1000000000L)) Fail("frames out of range");
  if (!Within(c.scene, 0, 7)) Fail("scene out of range");
  if (!Within(c.sceneFrames, 0, 1000000)) Fail("scene frames out of range");
  if (!Within(c.fps, 1, 1000)) Fail("fps out of range");
  if (!Within(c.pace, -1, 1000)) Fail("pace out of range");
  if (!Within(c.threads, 0, 64)) Fail("threads out of range");
  if (!Within(c.scale, 0, 8)) Fail("scale out of range");
  if (!Within(c.screenshotEvery, 0, 1000000000L)) Fail("screenshot interval out of range");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Every NUL ends an argument; bytes after the last one form a final argument.
  std::vector<std::string> args{"kavret"};
  std::string arg;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      args.push_back(arg);
      arg.clear();
    } else {
      arg += static_cast<char>(data[i]);
    }
  }
  if (!arg.empty()) args.push_back(arg);
  // As main() gets it: argv[argc] is null and nothing lies behind it.
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  argv.push_back(nullptr);

  CommandLine line;
  std::string error;
  const bool ok = ParseCommandLine(static_cast<int>(args.size()), argv.data(), &line, &error);
  if (ok) {
    if (!error.empty()) Fail("an accepted command line has an error message");
    CheckResult(line);
  } else if (error.empty()) {
    Fail("a refused command line has no reason");
  }
  return 0;
}
