// Persistent rasterising threads: workers sleep on a condition variable
// between runs; a run's jobs are claimed through one atomic counter.
#include "compat/d3d9/worker_pool.h"

#include <algorithm>
#include <cstdlib>

#include "compat/d3d9_present.h"

namespace compat::d3d9 {

namespace {

constexpr int kMaxThreads = 64;
// About a tenth of a millisecond of watching before a thread sleeps: long
// enough to bridge a frame's consecutive draws and calls (a wake-up from sleep
// takes longer than most of them), short enough not to starve a busy machine.
constexpr int kSpinChecks = 5000;

inline void Pause() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#else
  std::this_thread::yield();
#endif
}

int DefaultThreadCount() {
  if (const char* env = std::getenv("CALVETTA_D3D_WORKERS")) {
    int n = std::atoi(env);
    if (n > 0) return std::min(n, kMaxThreads);
  }
  unsigned cores = std::thread::hardware_concurrency();
  return std::clamp(static_cast<int>(cores), 1, kMaxThreads);
}

}  // namespace

WorkerPool& WorkerPool::Instance() {
  static WorkerPool pool;
  return pool;
}

WorkerPool::WorkerPool() { StartWorkers(DefaultThreadCount() - 1); }

WorkerPool::~WorkerPool() { StopWorkers(); }

void WorkerPool::SetThreadCount(int count) {
  std::lock_guard<std::mutex> run(runMutex_);
  if (count <= 0) count = DefaultThreadCount();
  count = std::min(count, kMaxThreads);
  if (count - 1 == static_cast<int>(workers_.size())) return;
  StopWorkers();
  StartWorkers(count - 1);
}

int WorkerPool::ThreadCount() {
  std::lock_guard<std::mutex> run(runMutex_);
  return static_cast<int>(workers_.size()) + 1;
}

void WorkerPool::StartWorkers(int count) {
  stopping_ = false;
  for (int i = 0; i < count; ++i) workers_.emplace_back([this] { WorkerLoop(); });
}

void WorkerPool::StopWorkers() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    published_.fetch_add(1, std::memory_order_release);
  }
  wake_.notify_all();
  for (std::thread& t : workers_) t.join();
  workers_.clear();
}

void WorkerPool::TakeJobs(const RunInfo& run) {
  for (;;) {
    uint64_t cursor = cursor_.load(std::memory_order_acquire);
    for (;;) {
      if (static_cast<uint32_t>(cursor >> 32) != run.generation ||
          static_cast<int>(cursor & 0xFFFFFFFFu) >= run.count)
        return;
      if (cursor_.compare_exchange_weak(cursor, cursor + 1, std::memory_order_acq_rel)) break;
    }
    run.job(run.context, static_cast<int>(cursor & 0xFFFFFFFFu));
    if (finishedJobs_.fetch_add(1, std::memory_order_acq_rel) + 1 == run.count) {
      std::lock_guard<std::mutex> lock(mutex_);  // the runner may be going to sleep
      done_.notify_all();
    }
  }
}

void WorkerPool::WorkerLoop() {
  uint64_t seen = 0;
  for (;;) {
    // Draws come in quick succession: watch for the next run a little while
    // before sleeping, which saves a wake-up per draw.
    for (int spin = 0; spin < kSpinChecks && published_.load(std::memory_order_acquire) == seen; ++spin) Pause();
    RunInfo run;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
      if (stopping_) return;
      seen = generation_;
      run = RunInfo{job_, context_, jobCount_, static_cast<uint32_t>(generation_)};
    }
    TakeJobs(run);
  }
}

void WorkerPool::Run(int jobs, JobFunction job, void* context) {
  if (jobs <= 0) return;
  std::lock_guard<std::mutex> runLock(runMutex_);
  if (workers_.empty() || jobs == 1) {
    for (int i = 0; i < jobs; ++i) job(context, i);
    return;
  }
  RunInfo run;
  {
    // Every job of the previous run has finished, so its counters are free.
    std::lock_guard<std::mutex> lock(mutex_);
    job_ = job;
    context_ = context;
    jobCount_ = jobs;
    ++generation_;
    run = RunInfo{job, context, jobs, static_cast<uint32_t>(generation_)};
    finishedJobs_.store(0, std::memory_order_relaxed);
    cursor_.store(uint64_t{run.generation} << 32, std::memory_order_release);
    published_.store(generation_, std::memory_order_release);
  }
  wake_.notify_all();
  TakeJobs(run);
  // The last jobs usually end within microseconds: watch before sleeping.
  auto finished = [&] { return finishedJobs_.load(std::memory_order_acquire) == jobs; };
  for (int spin = 0; spin < kSpinChecks && !finished(); ++spin) Pause();
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, finished);
}

}  // namespace compat::d3d9

namespace compat {

void SetD3DWorkerCount(int count) { d3d9::WorkerPool::Instance().SetThreadCount(count); }
int GetD3DWorkerCount() { return d3d9::WorkerPool::Instance().ThreadCount(); }
void RunD3DJobs(int jobs, void (*job)(void*, int), void* context) {
  d3d9::WorkerPool::Instance().Run(jobs, job, context);
}

}  // namespace compat
