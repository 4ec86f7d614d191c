// Headless output: every presented frame goes to an MP4 (through the ffmpeg
// program, with the music muxed in) or to a folder of numbered PNG files with
// a music.wav beside them. Music is pulled frame by frame so that picture and
// sound line up to the sample.
#pragma once

#include <string>

struct CaptureConfig {
  std::string out;  // "name.mp4", or a folder
  int fps = 60;
  int width = 640, height = 480;  // every frame's size (the device's render scale times 640 x 480)
  long expectedFrames = 0;  // for the progress bar; 0 when unknown
  bool progress = true;
};

enum class CaptureKind { Mp4, PngFolder };

// Decides where the capture goes: MP4 when `out` ends in .mp4 and ffmpeg is
// available, else a folder of PNG files (".mp4" dropped from the name).
CaptureKind ChooseCaptureKind(const std::string& out, bool ffmpegAvailable, std::string* folder);
bool FfmpegAvailable();

// Starts the capture and plugs it into the device's frame sink.
bool CaptureStart(const CaptureConfig& config, std::string* error);
// Closes the files, muxes the MP4, and says where the result is.
bool CaptureFinish(std::string* result, std::string* error);
long CaptureFrames();

// A screenshot of every Nth presented frame, as DIR/frame_NNNNNN.png (while
// capturing or not).
bool ScreenshotsStart(const std::string& dir, int every, std::string* error);

// The progress line on stderr: scene, frame, frames per second, time left.
void CaptureSetScene(int index, const char* name);
