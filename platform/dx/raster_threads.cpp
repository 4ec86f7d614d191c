// Drawing with several threads. Triangles are set up on the caller's thread
// and queued, in submission order, with everything they draw with. The screen
// is cut into bands of rows; a band is drawn by one thread at a time, always
// the next queued triangles that meet it, in submission order, so depth
// tests, additive blending and dither give the same pixels as one thread.
// Worker threads take whichever band has work while the caller goes on
// setting up; when the caller needs the pixels (DxFlushRaster) it takes bands
// too until every one is drawn. Anything that could see or change the pixels,
// textures or surfaces a queued triangle uses flushes first.
#include <sched.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/dx/dx_internal.h"
#include "platform/dx/rasterizer.h"

namespace {

// Triangles queued before the caller waits for them to be drawn.
constexpr int kQueueCapacity = 4096;
// Triangles queued before the workers are woken for them (fewer wake-ups).
constexpr int kPublishBatch = 32;
constexpr int kMaxThreads = 64;

// Rows per band for a target of `height` rows: enough bands for the threads
// to share out evenly (about four each, at least sixteen), few enough that a
// big triangle is not set up over and over. Bands start on rows that are
// multiples of four, so that no band starts mid-way through the dither pattern
// (not that it matters: the pattern follows the row's own number).
int BandRowsFor(int height, int threads) {
  const int bands = std::max(16, 4 * threads);
  return std::max(8, (height / bands + 3) / 4 * 4);
}

// A triangle, or a rectangle filled with one 16-bit value (a clear): its rows
// are the set-up's minY to maxY.
struct QueuedTriangle {
  TriangleSetup setup;
  RasterTarget target;
  RasterState state;      // its texture pointer is replaced by `texture`
  RasterTexture texture;  // a copy: the caller's goes out of scope
  struct {
    std::uint8_t* memory = nullptr;  // null for a triangle
    LONG pitch;
    LONG left, right;
    std::uint16_t value;
  } fill;
};

// The queue entries that meet a band, in submission order: `queued` of them
// published, `drawn` of those drawn.
struct Band {
  std::unique_ptr<int[]> entries;  // kQueueCapacity of them
  int queued = 0;
  int drawn = 0;
  bool busy = false;
};

// The caller's thread writes queue entries from `published` on; entries below
// it are only read, until every band is drawn and the queue starts again.
struct RasterPool {
  int threads = 1;
  std::vector<std::thread> workers;
  std::unique_ptr<QueuedTriangle[]> queue;
  int queued = 0;  // the caller's thread only

  std::mutex mutex;
  std::condition_variable wake;  // a band has work, or stop
  std::condition_variable done;  // every band drawn
  int published = 0;
  int bandRows = 16;  // fixed while anything is queued
  std::vector<Band> bands;
  std::size_t cursor = 0;  // where the search for work starts
  bool stop = false;

  ~RasterPool() { Stop(); }
  void Stop();
  void Start();
  void Publish();
  void Flush();
  // With the mutex held:
  int Claim();
  bool AllDrawn() const;
  void DrawClaimed(int band, std::unique_lock<std::mutex>& lock);
};

RasterPool pool;

void DrawBand(const QueuedTriangle& e, int rowBegin, int rowEnd) {
  if (e.fill.memory) {
    const RECT rows{e.fill.left, std::max(e.setup.minY, rowBegin), e.fill.right, std::min(e.setup.maxY, rowEnd)};
    if (rows.top < rows.bottom) DxFillRect16(e.fill.memory, e.fill.pitch, rows, e.fill.value);
    return;
  }
  RasterState state = e.state;
  if (state.texture) state.texture = &e.texture;
  RasterTarget target = e.target;
  target.rowBegin = rowBegin;
  target.rowEnd = rowEnd;
  RasterizeSpans(e.setup, target, state);
}

// A band with work that no thread is drawing, or -1.
int RasterPool::Claim() {
  const std::size_t n = bands.size();
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t b = (cursor + i) % n;
    Band& band = bands[b];
    if (band.busy || band.drawn >= band.queued) continue;
    band.busy = true;
    cursor = b + 1;
    return static_cast<int>(b);
  }
  return -1;
}

bool RasterPool::AllDrawn() const {
  return std::all_of(bands.begin(), bands.end(), [](const Band& b) { return !b.busy && b.drawn >= b.queued; });
}

// Draws the published entries the band has not drawn yet, without the mutex.
void RasterPool::DrawClaimed(int band, std::unique_lock<std::mutex>& lock) {
  const int from = bands[band].drawn, to = bands[band].queued;
  const int* entries = bands[band].entries.get();
  const int rowBegin = band * bandRows;
  lock.unlock();
  for (int i = from; i < to; ++i) DrawBand(queue[entries[i]], rowBegin, rowBegin + bandRows);
  lock.lock();
  bands[band].drawn = to;
  bands[band].busy = false;
  if (AllDrawn()) done.notify_all();
}

void WorkerLoop() {
  std::unique_lock lock(pool.mutex);
  for (;;) {
    int band = -1;
    pool.wake.wait(lock, [&] { return pool.stop || (band = pool.Claim()) >= 0; });
    if (band < 0) return;  // stopping, with nothing queued (Stop flushes first)
    pool.DrawClaimed(band, lock);
  }
}

void RasterPool::Start() {
  if (!queue) queue = std::make_unique<QueuedTriangle[]>(kQueueCapacity);
  stop = false;
  workers.reserve(threads - 1);
  for (int w = 1; w < threads; ++w) workers.emplace_back(WorkerLoop);
}

void RasterPool::Stop() {
  Flush();
  {
    std::lock_guard lock(mutex);
    stop = true;
  }
  wake.notify_all();
  for (std::thread& t : workers) t.join();
  workers.clear();
  queue.reset();
  bands.clear();
}

// Hands the entries queued so far to the bands they meet.
void RasterPool::Publish() {
  {
    std::lock_guard lock(mutex);
    for (int i = published; i < queued; ++i) {
      const TriangleSetup& t = queue[i].setup;
      const int last = (t.maxY - 1) / bandRows;
      if (last >= static_cast<int>(bands.size())) bands.resize(last + 1);
      for (int b = t.minY / bandRows; b <= last; ++b) {
        Band& band = bands[b];
        if (!band.entries) band.entries = std::make_unique<int[]>(kQueueCapacity);
        band.entries[band.queued++] = i;
      }
    }
    published = queued;
  }
  wake.notify_all();
}

// The caller draws bands beside the workers until every one is drawn.
void RasterPool::Flush() {
  if (queued == 0) return;
  const auto start = std::chrono::steady_clock::now();
  Publish();
  {
    std::unique_lock lock(mutex);
    for (;;) {
      if (const int band = Claim(); band >= 0) {
        DrawClaimed(band, lock);
        continue;
      }
      if (AllDrawn()) break;
      done.wait(lock);
    }
    published = 0;
    for (Band& b : bands) b.drawn = b.queued = 0;
  }
  queued = 0;
  dxState.rasterSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

bool DxRasterQueued() { return pool.threads > 1; }

namespace {
QueuedTriangle& NextEntry(int targetHeight) {
  if (pool.workers.empty()) pool.Start();
  if (pool.queued == kQueueCapacity) pool.Flush();
  if (pool.queued == 0) pool.bandRows = BandRowsFor(targetHeight, pool.threads);
  return pool.queue[pool.queued++];
}
}  // namespace

void DxQueueTriangle(const TriangleSetup& setup, const RasterTarget& target, const RasterState& state) {
  QueuedTriangle& e = NextEntry(target.height);
  e.setup = setup;
  e.target = target;
  e.state = state;
  if (state.texture) e.texture = *state.texture;
  e.fill.memory = nullptr;
  if (pool.queued - pool.published >= kPublishBatch) pool.Publish();
}

void DxQueueFill(std::uint8_t* memory, LONG pitch, int height, const RECT& r, std::uint16_t value) {
  if (r.left >= r.right || r.top >= r.bottom) return;
  QueuedTriangle& e = NextEntry(height);
  e.setup.minY = static_cast<int>(r.top);
  e.setup.maxY = static_cast<int>(r.bottom);
  e.fill = {memory, pitch, r.left, r.right, value};
  if (pool.queued - pool.published >= kPublishBatch) pool.Publish();
}

void DxPublishRaster() {
  if (pool.queued - pool.published >= kPublishBatch) pool.Publish();
}

void DxFlushRaster() { pool.Flush(); }

void DxStopRasterThreads() { pool.Stop(); }

int DxAvailableCores() {
#if defined(__linux__)
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0) {
    const int n = CPU_COUNT(&set);
    if (n > 0) return std::min(n, kMaxThreads);
  }
#endif
  return std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, kMaxThreads);
}

void DxSetRasterThreads(int threads) {
  threads = std::clamp(threads, 1, kMaxThreads);
  if (threads == pool.threads) return;
  pool.Stop();
  pool.threads = threads;
}

int DxRasterThreads() { return pool.threads; }
