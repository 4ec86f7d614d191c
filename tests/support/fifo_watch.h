// A FIFO planted where a data file should be, and a watch on it. Opening a
// FIFO for reading waits for a writer, so a reader that opens it would hang;
// the watch plays the writer for a moment (which releases such a reader) and
// records that somebody was waiting, so the test fails instead of hanging.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

class FifoWatch {
 public:
  // Makes the FIFO at `path` and starts watching it.
  explicit FifoWatch(const std::string& path) : path_(path) {
    made_ = ::mkfifo(path.c_str(), 0600) == 0;
    if (made_) watcher_ = std::thread([this] { Watch(); });
  }
  ~FifoWatch() {
    done_ = true;
    if (watcher_.joinable()) watcher_.join();
  }
  FifoWatch(const FifoWatch&) = delete;
  FifoWatch& operator=(const FifoWatch&) = delete;

  bool made() const { return made_; }
  // True once a reader was found waiting in the FIFO.
  bool readerWaited() const { return readerWaited_; }

 private:
  void Watch() {
    // A non-blocking open for writing succeeds only while a reader has it open.
    while (!done_) {
      const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK);
      if (fd >= 0) {
        readerWaited_ = true;
        ::close(fd);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  std::string path_;
  bool made_ = false;
  std::atomic<bool> done_{false};
  std::atomic<bool> readerWaited_{false};
  std::thread watcher_;
};
