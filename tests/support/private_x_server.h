// An X server of a test's own. The tests of one run share the display that
// scripts/test starts, and windows of tests running side by side may cover one
// another or take the keyboard; a test that reads pixels back from the server
// or types keys starts its own Xvfb instead, on a display number the server
// picks itself. DISPLAY points at it for the object's lifetime.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

class PrivateXServer {
 public:
  explicit PrivateXServer(const char* screen = "1024x768x24") {
    int fds[2];
    if (::pipe(fds) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(fds[0]);
      const std::string fd = std::to_string(fds[1]);
      const int quiet = ::open("/dev/null", O_WRONLY);
      if (quiet >= 0) ::dup2(quiet, STDERR_FILENO);
      // -noreset: a server whose last client leaves resets, and refuses
      // connections for a moment.
      ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-noreset", "-screen", "0", screen, "-nolisten", "tcp",
               nullptr);
      ::_exit(127);
    }
    ::close(fds[1]);
    // The server writes its display number once it takes connections.
    std::string number;
    pollfd wait{fds[0], POLLIN, 0};
    while (pid_ > 0 && ::poll(&wait, 1, 10000) > 0) {
      char c;
      if (::read(fds[0], &c, 1) != 1 || c == '\n') break;
      number += c;
    }
    ::close(fds[0]);
    if (number.empty()) {
      Stop();
      return;
    }
    if (const char* previous = std::getenv("DISPLAY")) previous_ = previous, hadPrevious_ = true;
    display_ = ":" + number;
    ::setenv("DISPLAY", display_.c_str(), 1);
  }
  ~PrivateXServer() {
    Stop();
    if (display_.empty()) return;
    if (hadPrevious_) ::setenv("DISPLAY", previous_.c_str(), 1);
    else ::unsetenv("DISPLAY");
  }
  PrivateXServer(const PrivateXServer&) = delete;
  PrivateXServer& operator=(const PrivateXServer&) = delete;

  bool Running() const { return !display_.empty(); }

 private:
  void Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  pid_t pid_ = -1;
  std::string display_;
  std::string previous_;
  bool hadPrevious_ = false;
};
