// Drawing with several threads. Triangles are set up on the caller's thread
// and queued with everything they draw with; workers draw them, each owning
// the bands of rows whose number modulo the worker count is its own, every
// band in submission order. Every worker runs the very loops one thread would
// run over the whole triangle and only skips writing the rows it does not
// own, so the pixels are the same for any number of threads. Anything that could see
// or change the pixels, textures or surfaces a queued triangle uses waits for
// the queue to be drawn first (DxFlushRaster).
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

struct QueuedTriangle {
  TriangleSetup setup;
  RasterTarget target;
  RasterState state;      // its texture pointer is replaced by `texture`
  RasterTexture texture;  // a copy: the caller's goes out of scope
  bool reference;
};

// The caller's thread writes entries from `queued` on; workers read entries
// below `published`, which only grows until every worker has drawn up to it
// and the caller starts the queue again.
struct RasterPool {
  int threads = 1;
  std::vector<std::thread> workers;
  std::unique_ptr<QueuedTriangle[]> queue;
  int queued = 0;  // the caller's thread only

  std::mutex mutex;
  std::condition_variable wake;  // more to draw, or stop
  std::condition_variable done;  // a worker caught up
  int published = 0;
  std::vector<int> drawn;  // per worker: entries drawn so far
  bool stop = false;

  ~RasterPool() { Stop(); }
  void Stop();
  void Start();
  void Publish();
  void Flush();
};

RasterPool pool;

// The worker's rows of one triangle.
void DrawBands(const QueuedTriangle& e, int worker, int workers) {
  RasterState state = e.state;
  if (state.texture) state.texture = &e.texture;
  RasterTarget target = e.target;
  target.bands = workers;
  target.band = worker;
  // Nothing to do unless one of the worker's bands meets the triangle.
  const int firstBand = e.setup.minY / kBandRows, lastBand = (e.setup.maxY - 1) / kBandRows;
  const int mine = firstBand + ((worker - firstBand) % workers + workers) % workers;
  if (mine > lastBand) return;
  if (e.reference) RasterizeReference(e.setup, target, state);
  else RasterizeSpans(e.setup, target, state);
}

void WorkerLoop(int worker, int workers) {
  std::unique_lock lock(pool.mutex);
  for (;;) {
    pool.wake.wait(lock, [&] { return pool.stop || pool.drawn[worker] < pool.published; });
    if (pool.stop) return;
    const int from = pool.drawn[worker], to = pool.published;
    lock.unlock();
    for (int i = from; i < to; ++i) DrawBands(pool.queue[i], worker, workers);
    lock.lock();
    pool.drawn[worker] = to;
    if (to == pool.published) pool.done.notify_one();
  }
}

void RasterPool::Start() {
  if (!queue) queue = std::make_unique<QueuedTriangle[]>(kQueueCapacity);
  drawn.assign(threads, 0);
  stop = false;
  workers.reserve(threads);
  for (int w = 0; w < threads; ++w) workers.emplace_back(WorkerLoop, w, threads);
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
}

void RasterPool::Publish() {
  {
    std::lock_guard lock(mutex);
    published = queued;
  }
  wake.notify_all();
}

void RasterPool::Flush() {
  if (queued == 0) return;
  const auto start = std::chrono::steady_clock::now();
  Publish();
  {
    std::unique_lock lock(mutex);
    done.wait(lock, [this] { return std::all_of(drawn.begin(), drawn.end(), [this](int d) { return d == published; }); });
    published = 0;
    std::fill(drawn.begin(), drawn.end(), 0);
  }
  queued = 0;
  dxState.rasterSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

bool DxRasterQueued() { return pool.threads > 1; }

void DxQueueTriangle(const TriangleSetup& setup, const RasterTarget& target, const RasterState& state,
                     bool reference) {
  if (pool.workers.empty()) pool.Start();
  if (pool.queued == kQueueCapacity) pool.Flush();
  QueuedTriangle& e = pool.queue[pool.queued++];
  e.setup = setup;
  e.target = target;
  e.state = state;
  if (state.texture) e.texture = *state.texture;
  e.reference = reference;
  if (pool.queued - pool.published >= kPublishBatch) pool.Publish();
}

void DxPublishRaster() {
  if (pool.queued - pool.published >= kPublishBatch) pool.Publish();
}

void DxFlushRaster() { pool.Flush(); }

void DxStopRasterThreads() { pool.Stop(); }

int DxAvailableCores() {
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0) {
    const int n = CPU_COUNT(&set);
    if (n > 0) return std::min(n, kMaxThreads);
  }
  return std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, kMaxThreads);
}

void DxSetRasterThreads(int threads) {
  threads = std::clamp(threads, 1, kMaxThreads);
  if (threads == pool.threads) return;
  pool.Stop();
  pool.threads = threads;
}

int DxRasterThreads() { return pool.threads; }
