// A persistent pool of rasterising threads. `Run` hands out job indices to the
// calling thread and the workers and returns when every job is done.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace compat::d3d9 {

class WorkerPool {
 public:
  using JobFunction = void (*)(void* context, int job);

  static WorkerPool& Instance();

  // Threads taking part in a run, the caller included; at least 1.
  void SetThreadCount(int count);
  int ThreadCount();

  // Runs job(context, i) for every i in [0, jobs); jobs may run on any
  // thread, each exactly once, and are handed out in increasing order, so a
  // job may wait for lower ones: they have all started. Callers on several
  // threads take turns; a job that starts a run of its own runs it by itself.
  void Run(int jobs, JobFunction job, void* context);

  ~WorkerPool();

 private:
  WorkerPool();
  void StartWorkers(int count);
  void StopWorkers();
  // What a thread needs of one run, copied under the lock.
  struct RunInfo {
    JobFunction job;
    void* context;
    int count;
    uint32_t generation;
  };
  void WorkerLoop(uint64_t seen);
  // Waits for a run other than `seen`; false when the pool stops.
  bool NextRun(uint64_t& seen, RunInfo& run);
  void TakeJobs(const RunInfo& run);

  std::mutex runMutex_;  // one run at a time
  std::vector<std::thread> workers_;
  std::atomic<int> threadCount_{1};  // workers_ and the caller, readable during a run
  std::atomic<bool> stopping_{false};
  std::atomic<int> sleepers_{0};             // workers waiting on wakeSignal_
  std::atomic<uint32_t> wakeSignal_{0};      // moved to wake them
  std::atomic<bool> runnerSleeping_{false};  // the runner waits on finishedJobs_

  // The run being handed out, read by the workers without a lock: published_
  // is twice the run's generation, odd while the runner rewrites the fields,
  // so a reader that saw it change under its reads tries again.
  std::atomic<uint64_t> published_{0};
  std::atomic<JobFunction> job_{nullptr};
  std::atomic<void*> context_{nullptr};
  std::atomic<int> jobCount_{0};
  // The run's generation (high half) and next job index: a worker that wakes
  // after its run has ended sees another generation and claims nothing, so a
  // run waits only for its jobs, never for idle or descheduled workers.
  // Claims and completions on cache lines of their own: every thread
  // touches both once a job.
  alignas(64) std::atomic<uint64_t> cursor_{0};
  alignas(64) std::atomic<int> finishedJobs_{0};
};

// One look of a thread watching for other threads' progress (`spin` counts
// the looks so far): the first few only pause, later ones give the core away.
void WaitBriefly(int spin);

}  // namespace compat::d3d9
