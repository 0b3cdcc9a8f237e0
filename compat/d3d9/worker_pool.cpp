// Persistent rasterising threads: a run is published through atomics that
// watching workers pick up without a lock; idle ones sleep on an atomic's
// wait, so waking them takes no lock either. A run's jobs are claimed
// through one atomic counter.
#include "compat/d3d9/worker_pool.h"

#include <algorithm>
#include <cstdlib>

#include "compat/d3d9_present.h"

namespace compat::d3d9 {

namespace {

constexpr int kMaxThreads = 64;
// About a tenth of a millisecond of watching (on an idle machine) before a
// thread sleeps: long enough to bridge a frame's consecutive draws and calls
// (a wake-up from sleep takes longer than most of them), short enough not to
// starve a busy machine.
constexpr int kSpinChecks = 400;

inline void Pause() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#else
  std::this_thread::yield();
#endif
}

constexpr int kPauseChecks = 200;

// Set while a thread runs jobs: a job that starts a run of its own runs it
// by itself rather than wait for the pool it is part of.
thread_local bool tInsideRun = false;

int DefaultThreadCount() {
  if (const char* env = std::getenv("CALVETTA_D3D_WORKERS")) {
    int n = std::atoi(env);
    if (n > 0) return std::min(n, kMaxThreads);
  }
  unsigned cores = std::thread::hardware_concurrency();
  return std::clamp(static_cast<int>(cores), 1, kMaxThreads);
}

}  // namespace

// Later looks give the core away to any thread waiting for it (on a busy
// machine that may be one of ours, holding the job everyone waits for),
// which costs little when the machine is idle and nothing else is waiting.
void WaitBriefly(int spin) {
  if (spin < kPauseChecks) Pause();
  else std::this_thread::yield();
}

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

int WorkerPool::ThreadCount() { return threadCount_.load(std::memory_order_relaxed); }

void WorkerPool::StartWorkers(int count) {
  stopping_.store(false);
  // No run is in progress: the workers start out having seen the last one.
  const uint64_t seen = published_.load();
  for (int i = 0; i < count; ++i) workers_.emplace_back([this, seen] { WorkerLoop(seen); });
  threadCount_.store(count + 1, std::memory_order_relaxed);
}

void WorkerPool::StopWorkers() {
  stopping_.store(true);
  wakeSignal_.fetch_add(1);
  wakeSignal_.notify_all();
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
    // Sequentially consistent with the runner's flag, so that either it sees
    // the last job done before it sleeps or this thread sees it asleep.
    if (finishedJobs_.fetch_add(1) + 1 == run.count && runnerSleeping_.load()) finishedJobs_.notify_all();
  }
}

bool WorkerPool::NextRun(uint64_t& seen, RunInfo& run) {
  for (int spin = 0;; ++spin) {
    const uint64_t published = published_.load(std::memory_order_acquire);
    if (published != seen && !(published & 1)) {
      RunInfo read{job_.load(std::memory_order_relaxed), context_.load(std::memory_order_relaxed),
                   jobCount_.load(std::memory_order_relaxed), static_cast<uint32_t>(published >> 1)};
      std::atomic_thread_fence(std::memory_order_acquire);
      if (published_.load(std::memory_order_relaxed) != published) continue;  // rewritten meanwhile
      seen = published;
      run = read;
      return true;
    }
    if (stopping_.load(std::memory_order_acquire)) return false;
    // Draws come in quick succession: watch for the next run a little while
    // before sleeping, which saves a wake-up per draw.
    if (published != seen || spin < kSpinChecks) {
      WaitBriefly(spin);
      continue;
    }
    // Counted, then the signal read, then one more look at published_, all
    // sequentially consistent: a runner publishing after that look sees a
    // sleeper and moves the signal, which ends (or forestalls) the wait.
    sleepers_.fetch_add(1);
    const uint32_t signal = wakeSignal_.load();
    if (published_.load() == seen && !stopping_.load()) wakeSignal_.wait(signal);
    sleepers_.fetch_sub(1);
    spin = 0;
  }
}

void WorkerPool::WorkerLoop(uint64_t seen) {
  tInsideRun = true;
  RunInfo run;
  while (NextRun(seen, run)) TakeJobs(run);
}

void WorkerPool::Run(int jobs, JobFunction job, void* context) {
  if (jobs <= 0) return;
  if (tInsideRun) {
    for (int i = 0; i < jobs; ++i) job(context, i);
    return;
  }
  std::lock_guard<std::mutex> runLock(runMutex_);
  if (workers_.empty() || jobs == 1) {
    tInsideRun = true;
    for (int i = 0; i < jobs; ++i) job(context, i);
    tInsideRun = false;
    return;
  }
  // Every job of the previous run has finished, so its counters are free;
  // a worker still reading the previous run's fields sees published_ move.
  const uint64_t generation = (published_.load(std::memory_order_relaxed) >> 1) + 1;
  published_.store(generation * 2 - 1, std::memory_order_relaxed);
  std::atomic_thread_fence(std::memory_order_release);
  job_.store(job, std::memory_order_relaxed);
  context_.store(context, std::memory_order_relaxed);
  jobCount_.store(jobs, std::memory_order_relaxed);
  finishedJobs_.store(0, std::memory_order_relaxed);
  const RunInfo run{job, context, jobs, static_cast<uint32_t>(generation)};
  cursor_.store(uint64_t{run.generation} << 32, std::memory_order_relaxed);
  published_.store(generation * 2);  // sequentially consistent: see NextRun
  if (sleepers_.load() > 0) {
    wakeSignal_.fetch_add(1);
    wakeSignal_.notify_all();
  }
  tInsideRun = true;
  TakeJobs(run);
  tInsideRun = false;
  // The last jobs usually end within microseconds: watch before sleeping.
  auto finished = [&] { return finishedJobs_.load() == jobs; };
  for (int spin = 0; spin < kSpinChecks && !finished(); ++spin) WaitBriefly(spin);
  if (finished()) return;
  // Flagged before the counter is read again: either that read sees the
  // last job done or the thread finishing it sees the flag and wakes us.
  runnerSleeping_.store(true);
  for (int done; (done = finishedJobs_.load()) != jobs;) finishedJobs_.wait(done);
  runnerSleeping_.store(false);
}

}  // namespace compat::d3d9

namespace compat {

void SetD3DWorkerCount(int count) { d3d9::WorkerPool::Instance().SetThreadCount(count); }
int GetD3DWorkerCount() { return d3d9::WorkerPool::Instance().ThreadCount(); }
void RunD3DJobs(int jobs, void (*job)(void*, int), void* context) {
  d3d9::WorkerPool::Instance().Run(jobs, job, context);
}

}  // namespace compat
