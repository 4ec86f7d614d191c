// The capture sink: PNG frames or raw frames piped to ffmpeg, and the music
// rendered at exactly sampleRate / fps samples per frame (remainder carried).
#include "platform/capture/capture.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/capture/frame_clock.h"
#include "platform/capture/png_write.h"
#include "platform/capture/wav_writer.h"
#include "platform/dx/dx_platform.h"
#include "platform/music/music_platform.h"

namespace {

struct CaptureState {
  bool active = false;
  CaptureConfig config;
  CaptureKind kind = CaptureKind::PngFolder;
  std::string folder;     // PNG folder, or where the MP4's temporary files go
  std::string videoTemp;  // MP4 without sound, made while frames arrive
  std::string wavPath;
  FILE* ffmpeg = nullptr;  // the encoder's standard input
  pid_t ffmpegPid = -1;
  WavWriter wav;
  long frames = 0;
  bool failed = false;
  std::string error;
  std::vector<std::uint8_t> rgb;
  std::vector<std::int16_t> samples;
  // Screenshots
  std::string shotDir;
  int shotEvery = 0;
  long shotCount = 0;
  // Progress
  std::chrono::steady_clock::time_point started;
  std::chrono::steady_clock::time_point lastProgress;
  int sceneIndex = 0;
  std::string sceneName;
};
CaptureState capture;

bool MakeDirectory(const std::string& path) {
  if (path.empty()) return false;
  for (size_t i = 1; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') {
      const std::string part = path.substr(0, i);
      if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
  }
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string Quoted(const std::string& s) {
  std::string out = "'";
  for (char c : s) {
    if (c == '\'') out += "'\\''";
    else out += c;
  }
  return out + "'";
}

std::string FramePath(const std::string& dir, long index) {
  char name[32];
  std::snprintf(name, sizeof name, "/frame_%06ld.png", index);
  return dir + name;
}

void ShowProgress(bool last) {
  if (!capture.config.progress) return;
  const auto now = std::chrono::steady_clock::now();
  if (!last && now - capture.lastProgress < std::chrono::milliseconds(250)) return;
  capture.lastProgress = now;
  const double seconds = std::chrono::duration<double>(now - capture.started).count();
  const double fps = seconds > 0 ? capture.frames / seconds : 0;
  const long total = capture.config.expectedFrames;
  char line[160];
  if (total > 0) {
    const long left = total > capture.frames ? total - capture.frames : 0;
    const long secondsLeft = fps > 0 ? static_cast<long>(left / fps) : 0;
    const int width = 24;
    const int filled = static_cast<int>(width * (capture.frames > total ? total : capture.frames) / total);
    std::string bar(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(width - filled), '.');
    std::snprintf(line, sizeof line, "[%s] scene %d %-7s frame %6ld/%ld %5.0f fps %2ld:%02ld left", bar.c_str(),
                  capture.sceneIndex, capture.sceneName.c_str(), capture.frames, total, fps, secondsLeft / 60,
                  secondsLeft % 60);
  } else {
    std::snprintf(line, sizeof line, "scene %d %-7s frame %6ld %5.0f fps", capture.sceneIndex,
                  capture.sceneName.c_str(), capture.frames, fps);
  }
  if (isatty(STDERR_FILENO)) {
    std::fprintf(stderr, "\r%s%s", line, last ? "\n" : "");
  } else if (last || capture.frames % 1000 == 0) {
    std::fprintf(stderr, "%s\n", line);
  }
}

void WriteScreenshot(const DxFrame& frame) {
  if (capture.shotEvery <= 0) return;
  const long index = capture.shotCount++;
  if (index % capture.shotEvery != 0) return;
  std::vector<std::uint8_t> rgb;
  DxFrameToRgb888(frame, rgb);
  if (!WritePngRgb(FramePath(capture.shotDir, index), frame.width, frame.height, rgb)) {
    std::fprintf(stderr, "kavret: cannot write a screenshot into %s\n", capture.shotDir.c_str());
    capture.shotEvery = 0;
  }
}

void Sink(const DxFrame& frame, void*) {
  WriteScreenshot(frame);
  if (!capture.active || capture.failed) return;
  // The encoder was told one size: a frame of another would shear every
  // frame after it. The PNG files could take it, but a capture is one size.
  if (frame.width != capture.config.width || frame.height != capture.config.height) {
    capture.failed = true;
    capture.error = "a frame of " + std::to_string(frame.width) + "x" + std::to_string(frame.height) +
                    " in a capture of " + std::to_string(capture.config.width) + "x" +
                    std::to_string(capture.config.height);
    return;
  }
  DxFrameToRgb888(frame, capture.rgb);
  const long index = capture.frames++;
  if (capture.kind == CaptureKind::PngFolder) {
    if (!WritePngRgb(FramePath(capture.folder, index), frame.width, frame.height, capture.rgb)) {
      capture.failed = true;
      capture.error = "cannot write frames into " + capture.folder;
    }
  } else if (std::fwrite(capture.rgb.data(), 1, capture.rgb.size(), capture.ffmpeg) != capture.rgb.size()) {
    capture.failed = true;
    capture.error = "ffmpeg stopped taking frames";
  }
  const int n = SamplesForFrame(index, kMusicSampleRate, capture.config.fps);
  capture.samples.resize(static_cast<size_t>(n) * 2);
  MusicRender(capture.samples.data(), n);
  if (!WavWrite(&capture.wav, capture.samples.data(), n) && !capture.failed) {
    capture.failed = true;
    capture.error = "cannot write " + capture.wavPath;
  }
  ShowProgress(false);
}

// Starts the encoder with a pipe to its standard input. It gets a process
// group of its own, so that Ctrl+C in the terminal reaches only this program,
// which then finishes the capture and lets the encoder end its file; and it
// starts with the default signal handling whatever this program has set up.
bool StartEncoder(const std::vector<std::string>& args) {
  int pipeEnds[2];
  if (::pipe2(pipeEnds, O_CLOEXEC) != 0) return false;
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_adddup2(&files, pipeEnds[0], STDIN_FILENO);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults, none;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGTERM);
  sigaddset(&defaults, SIGPIPE);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const int spawned = posix_spawnp(&capture.ffmpegPid, argv[0], &files, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&files);
  posix_spawnattr_destroy(&attributes);
  ::close(pipeEnds[0]);
  if (spawned != 0) {
    ::close(pipeEnds[1]);
    capture.ffmpegPid = -1;
    return false;
  }
  capture.ffmpeg = ::fdopen(pipeEnds[1], "w");
  if (!capture.ffmpeg) {
    ::close(pipeEnds[1]);
    ::waitpid(capture.ffmpegPid, nullptr, 0);
    capture.ffmpegPid = -1;
    return false;
  }
  // An encoder that dies must fail the capture with a message, not end this
  // program silently on a write to its closed pipe.
  ::signal(SIGPIPE, SIG_IGN);
  return true;
}

// Closes the encoder's input and waits for it; true when it finished well.
bool FinishEncoder() {
  if (!capture.ffmpeg) return false;
  ::fclose(capture.ffmpeg);
  capture.ffmpeg = nullptr;
  int status = 0;
  pid_t waited;
  do {
    waited = ::waitpid(capture.ffmpegPid, &status, 0);
  } while (waited < 0 && errno == EINTR);
  capture.ffmpegPid = -1;
  return waited > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

bool FfmpegAvailable() {
  return std::system("command -v ffmpeg >/dev/null 2>&1") == 0;
}

CaptureKind ChooseCaptureKind(const std::string& out, bool ffmpegAvailable, std::string* folder) {
  const bool mp4 = out.size() > 4 && out.compare(out.size() - 4, 4, ".mp4") == 0;
  if (mp4 && ffmpegAvailable) {
    *folder = out.substr(0, out.size() - 4);
    return CaptureKind::Mp4;
  }
  *folder = mp4 ? out.substr(0, out.size() - 4) : out;
  while (folder->size() > 1 && folder->back() == '/') folder->pop_back();
  return CaptureKind::PngFolder;
}

bool CaptureStart(const CaptureConfig& config, std::string* error) {
  capture = CaptureState{};
  capture.config = config;
  if (capture.config.fps <= 0) capture.config.fps = 60;
  if (capture.config.width <= 0 || capture.config.height <= 0) {
    *error = "a capture needs a frame size";
    return false;
  }
  const bool ffmpeg = FfmpegAvailable();
  capture.kind = ChooseCaptureKind(config.out, ffmpeg, &capture.folder);
  if (capture.kind == CaptureKind::PngFolder && config.out.size() > 4 &&
      config.out.compare(config.out.size() - 4, 4, ".mp4") == 0) {
    std::fprintf(stderr, "kavret: ffmpeg not found; writing PNG frames and music.wav into %s/\n",
                 capture.folder.c_str());
  }
  if (capture.kind == CaptureKind::PngFolder) {
    if (!MakeDirectory(capture.folder)) {
      *error = "cannot create the folder " + capture.folder;
      return false;
    }
    capture.wavPath = capture.folder + "/music.wav";
  } else {
    const std::string out = config.out;
    const size_t slash = out.rfind('/');
    if (slash != std::string::npos && slash > 0 && !MakeDirectory(out.substr(0, slash))) {
      *error = "cannot create the folder of " + out;
      return false;
    }
    capture.videoTemp = capture.folder + ".video.mp4";
    capture.wavPath = capture.folder + ".wav";
    const std::vector<std::string> command = {
        "ffmpeg", "-nostdin", "-y", "-loglevel", "error", "-f", "rawvideo", "-pixel_format", "rgb24",
        "-video_size",
        std::to_string(capture.config.width) + "x" + std::to_string(capture.config.height), "-framerate", std::to_string(capture.config.fps), "-i", "-", "-c:v", "libx264",
        "-preset", "veryfast", "-crf", "18", "-pix_fmt", "yuv420p", capture.videoTemp};
    if (!StartEncoder(command)) {
      *error = "cannot start ffmpeg";
      return false;
    }
  }
  if (!WavOpen(&capture.wav, capture.wavPath, kMusicSampleRate)) {
    *error = "cannot write " + capture.wavPath;
    FinishEncoder();
    return false;
  }
  capture.started = std::chrono::steady_clock::now();
  capture.active = true;
  DxSetFrameSink(Sink, nullptr);
  return true;
}

bool ScreenshotsStart(const std::string& dir, int every, std::string* error) {
  if (every <= 0 || !MakeDirectory(dir)) {
    *error = "cannot create the screenshot folder " + dir;
    return false;
  }
  capture.shotDir = dir;
  capture.shotEvery = every;
  capture.shotCount = 0;
  DxSetFrameSink(Sink, nullptr);
  return true;
}

void CaptureSetScene(int index, const char* name) {
  capture.sceneIndex = index;
  capture.sceneName = name ? name : "";
}

long CaptureFrames() { return capture.frames; }

bool CaptureFinish(std::string* result, std::string* error) {
  if (!capture.active) return false;
  capture.active = false;
  ShowProgress(true);
  const bool wavOk = WavClose(&capture.wav);
  bool ok = !capture.failed && wavOk;
  if (!ok && error) *error = capture.failed ? capture.error : "cannot finish " + capture.wavPath;
  if (capture.kind == CaptureKind::PngFolder) {
    if (result) *result = capture.folder + "/ (" + std::to_string(capture.frames) + " PNG frames and music.wav)";
    return ok;
  }
  const bool videoOk = FinishEncoder();
  if (ok && !videoOk) {
    ok = false;
    if (error) *error = "ffmpeg could not encode the video";
  }
  if (ok) {
    const std::string mux = "ffmpeg -nostdin -y -loglevel error -i " + Quoted(capture.videoTemp) + " -i " +
                            Quoted(capture.wavPath) + " -c:v copy -c:a aac -b:a 192k -movflags +faststart " +
                            Quoted(capture.config.out);
    if (std::system(mux.c_str()) != 0) {
      ok = false;
      if (error) *error = "ffmpeg could not add the music to the video";
    }
  }
  std::remove(capture.videoTemp.c_str());
  if (ok) {
    std::remove(capture.wavPath.c_str());
    if (result) *result = capture.config.out;
  }
  return ok;
}
