// Ctrl+C (SIGINT) and SIGTERM sent to the real program: in a window they close
// it as its close box would, in the set-up dialog they cancel, and a headless
// capture finishes its files. Runs the kavret binary as its own process.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "device/settings.h"
#include "platform/capture/frame_clock.h"
#include "platform/music/music_platform.h"
#include "platform/registry/winreg.h"
#include "support/private_x_server.h"
#include "support/process_folder.h"
#include "x_keys.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kDialogTitle = "Ossik Kavret Demo - Select Driver...";
constexpr const char* kWindowTitle = "Ossik Kavret Demo";

struct Child {
  pid_t pid = -1;
  fs::path stderrFile;
};

// Starts kavret in a process group of its own (as a shell job is), with the
// default handling of the signals under test whatever this process has.
Child Start(const std::vector<std::string>& args, const fs::path& folder, bool display) {
  std::vector<std::string> env;
  std::string sanitizer = "ASAN_OPTIONS=";
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    if (entry.rfind("SDL_VIDEODRIVER=", 0) == 0 && display) continue;  // the test environment asks for dummy
    if (entry.rfind("ASAN_OPTIONS=", 0) == 0) {
      sanitizer = entry + ":";
      continue;
    }
    env.push_back(entry);
  }
  // SDL's X and D-Bus libraries keep allocations past their unloading; not
  // ours to find (the headless runs check the program's own memory).
  env.push_back(display ? sanitizer + "detect_leaks=0" : sanitizer.substr(0, sanitizer.size() - 1));
  std::vector<std::string> argv = {KAVRET_PROGRAM};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> argvp, envp;
  for (auto& a : argv) argvp.push_back(a.data());
  argvp.push_back(nullptr);
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);

  Child run;
  run.stderrFile = folder / "stderr.txt";
  const std::string errPath = run.stderrFile.string();
  run.pid = fork();
  if (run.pid == 0) {
    setpgid(0, 0);
    for (int s : {SIGINT, SIGTERM, SIGPIPE}) signal(s, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    const int out = open("/dev/null", O_WRONLY);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out >= 0) dup2(out, STDOUT_FILENO);
    if (err >= 0) dup2(err, STDERR_FILENO);
    execve(argvp[0], argvp.data(), envp.data());
    _exit(127);
  }
  if (run.pid > 0) setpgid(run.pid, run.pid);
  return run;
}

struct Ended {
  bool ended = false;
  int status = 0;
  double seconds = 0;
};

// Waits for the process to end, up to `limitSeconds`; kills its group after that.
Ended WaitForEnd(const Child& run, double limitSeconds) {
  Ended result;
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    const pid_t done = waitpid(run.pid, &result.status, WNOHANG);
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (done == run.pid) {
      result.ended = true;
      return result;
    }
    if (result.seconds > limitSeconds) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(-run.pid, SIGKILL);
  waitpid(run.pid, &result.status, 0);
  return result;
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A settings file with the windowed driver chosen, music and looping off.
void WriteSettings(const fs::path& file) {
  RegistrySetFile(file.string());
  DemoSettings = DemoSettingsRecord{};
  std::strcpy(DemoSettings.driverName, "Desktop window (software RGB)");
  std::strcpy(DemoSettings.resolution, "640 x 480 x 16");
  SaveSettings();
}

bool WaitForFile(const fs::path& path, int timeoutMs) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::error_code ec;
  while (std::chrono::steady_clock::now() < until) {
    if (fs::exists(path, ec)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

// Processes whose command line mentions `text` (an encoder left behind).
int ProcessesMentioning(const std::string& text) {
  int found = 0;
  DIR* proc = opendir("/proc");
  if (!proc) return 0;
  while (dirent* entry = readdir(proc)) {
    if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
    std::string cmdline = ReadAll(fs::path("/proc") / entry->d_name / "cmdline");
    for (char& c : cmdline) {
      if (c == '\0') c = ' ';
    }
    if (cmdline.find(text) != std::string::npos) ++found;
  }
  closedir(proc);
  return found;
}

const char* SignalName(int s) { return s == SIGINT ? "SIGINT" : "SIGTERM"; }

}  // namespace

TEST(QuitSignals, CloseThePlayingWindowOrCancelTheSetUpDialog) {
  // A server of its own: on a shared one, windows of other tests running side
  // by side carry the same titles and may take the keyboard.
  PrivateXServer x("1280x1024x24");
  if (!x.Running()) GTEST_SKIP() << "Xvfb cannot be started";
  XDesk* desk = XDeskOpen();
  if (!desk) GTEST_SKIP() << "the private X display cannot be opened";
  struct CloseDesk {
    XDesk* desk;
    ~CloseDesk() { XDeskClose(desk); }
  } closeDesk{desk};
  const fs::path folder = ProcessFolder("quit-signals");

  for (int sig : {SIGINT, SIGTERM}) {
    for (bool inDialog : {false, true}) {
      SCOPED_TRACE(std::string(SignalName(sig)) + (inDialog ? " in the set-up dialog" : " while the demo plays"));
      const fs::path settings = folder / "settings.reg";
      WriteSettings(settings);
      Child run = Start({"--settings", settings.string(), "--data", KAVRET_TEST_DATA_DIR, "--no-music"}, folder, true);
      ASSERT_GT(run.pid, 0);
      unsigned long dialog = 0, window = 0;
      const bool dialogShown = XDeskWaitForWindow(desk, kDialogTitle, 20000, &dialog);
      EXPECT_TRUE(dialogShown) << ReadAll(run.stderrFile);
      if (dialogShown && !inDialog) {
        // The stored driver is chosen: Enter presses OK.
        if (!XDeskPressKey(desk, dialog, "Return")) {
          kill(-run.pid, SIGKILL);
          waitpid(run.pid, nullptr, 0);
          GTEST_SKIP() << "no XTest extension to press OK with";
        }
        EXPECT_TRUE(XDeskWaitForWindow(desk, kWindowTitle, 20000, &window)) << ReadAll(run.stderrFile);
        // Let it play a little.
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
      }
      const std::string before = ReadAll(settings);
      kill(run.pid, sig);
      const Ended end = WaitForEnd(run, 10.0);
      std::fprintf(stderr, "%s %s: ended %.2f s after the signal\n", SignalName(sig),
                   inDialog ? "in the dialog" : "while playing", end.seconds);
      ASSERT_TRUE(end.ended) << "still running 10 s after " << SignalName(sig);
      EXPECT_LT(end.seconds, 5.0);
      ASSERT_TRUE(WIFEXITED(end.status)) << "ended by signal " << WTERMSIG(end.status);
      // The exit codes of closing the window (0) and of Cancel (1).
      EXPECT_EQ(WEXITSTATUS(end.status), inDialog ? 1 : 0) << ReadAll(run.stderrFile);
      EXPECT_EQ(ReadAll(settings), before);
      LoadSettings();
      EXPECT_STREQ(DemoSettings.driverName, "Desktop window (software RGB)");
    }
  }
}

TEST(QuitSignals, SigtermEndsAHeadlessCaptureWithItsFilesComplete) {
  const fs::path folder = ProcessFolder("quit-capture");
  const fs::path frames = folder / "frames";
  Child run = Start({"--headless", "--settings", (folder / "settings.reg").string(), "--data", KAVRET_TEST_DATA_DIR,
                   "--capture", frames.string()},
                  folder, false);
  ASSERT_GT(run.pid, 0);
  ASSERT_TRUE(WaitForFile(frames / "frame_000010.png", 60000)) << ReadAll(run.stderrFile);
  kill(run.pid, SIGTERM);
  const Ended end = WaitForEnd(run, 10.0);
  std::fprintf(stderr, "SIGTERM in a PNG capture: ended %.2f s after the signal\n", end.seconds);
  ASSERT_TRUE(end.ended);
  EXPECT_LT(end.seconds, 5.0);
  ASSERT_TRUE(WIFEXITED(end.status)) << "ended by signal " << WTERMSIG(end.status);
  EXPECT_EQ(WEXITSTATUS(end.status), 128 + SIGTERM) << ReadAll(run.stderrFile);

  // Every frame written has its sound: the WAV's header matches its length,
  // which is exactly that of the frames.
  long frameFiles = 0;
  for (const auto& entry : fs::directory_iterator(frames)) {
    if (entry.path().extension() == ".png") ++frameFiles;
  }
  const std::string wav = ReadAll(frames / "music.wav");
  ASSERT_GE(wav.size(), 44u);
  auto u32 = [&](size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(wav[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(wav[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(wav[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(wav[at + 3])) << 24;
  };
  EXPECT_EQ(u32(4), wav.size() - 8);
  EXPECT_EQ(u32(40), wav.size() - 44);
  long samples = 0;
  for (long i = 0; i < frameFiles; ++i) samples += SamplesForFrame(i, kMusicSampleRate, 60);
  EXPECT_EQ(u32(40), static_cast<std::uint32_t>(samples * 4));
}

TEST(QuitSignals, CtrlCEndsAnMp4CaptureAndItsEncoderCleanly) {
  if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg";
  const fs::path folder = ProcessFolder("quit-mp4");
  const fs::path out = folder / "demo.mp4";
  Child run = Start({"--headless", "--settings", (folder / "settings.reg").string(), "--data", KAVRET_TEST_DATA_DIR,
                   "--capture", out.string()},
                  folder, false);
  ASSERT_GT(run.pid, 0);
  // The sound track grows frame by frame beside the video.
  const fs::path wav = folder / "demo.wav";
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  std::error_code ec;
  while (std::chrono::steady_clock::now() < until && !(fs::exists(wav, ec) && fs::file_size(wav, ec) > 100000))
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  // Ctrl+C in a terminal goes to the whole foreground job.
  kill(-run.pid, SIGINT);
  const Ended end = WaitForEnd(run, 30.0);
  std::fprintf(stderr, "Ctrl+C in an MP4 capture: ended %.2f s after the signal\n", end.seconds);
  ASSERT_TRUE(end.ended);
  ASSERT_TRUE(WIFEXITED(end.status)) << "ended by signal " << WTERMSIG(end.status);
  EXPECT_EQ(WEXITSTATUS(end.status), 128 + SIGINT) << ReadAll(run.stderrFile);
  EXPECT_TRUE(fs::exists(out)) << ReadAll(run.stderrFile);
  EXPECT_GT(fs::file_size(out, ec), 1000u);
  EXPECT_FALSE(fs::exists(folder / "demo.video.mp4"));
  EXPECT_FALSE(fs::exists(wav));
  EXPECT_EQ(ProcessesMentioning(out.stem().string() + ".video.mp4"), 0);
}
