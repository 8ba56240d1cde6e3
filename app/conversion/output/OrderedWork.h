// Numbered jobs run in the order of their numbers: on worker threads, or, with none, on the
// caller's thread at the moment it waits for them. The caller takes the results in order and
// releases each job when it is done with it; a job starts only while it is fewer than `ahead`
// jobs beyond the first one not yet released, so that what finished jobs hold stays bounded
// however many jobs there are. Jobs report their failures in their own results; an exception
// that escapes a job is raised again by WaitFor.
//
// A job may spread its own work into parts (Spread), the bands of one image say: the parts run
// on the job's thread and on every worker that has nothing else to do, before any new job
// starts, so that one image takes every worker while the jobs around it take their turns.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <list>
#include <mutex>
#include <thread>
#include <vector>

class OrderedWork {
public:
    // Runs job index; work is the work it belongs to, for Stopping and Spread.
    using Job = std::function<void(size_t index, OrderedWork& work)>;
    using Part = std::function<void(size_t part)>;
    // What Spread raises when the work stopped before every part had run.
    struct Stopped : std::exception {
        const char* what() const noexcept override { return "OrderedWork::Spread stopped"; }
    };

    // threads below 2 run every job on the caller's thread; when the system gives fewer
    // threads than asked, fewer run the jobs (none: the caller's thread runs them).
    OrderedWork(size_t count, int32_t threads, size_t ahead, Job job);
    // Jobs not yet started never start; running ones are waited for.
    ~OrderedWork();
    OrderedWork(const OrderedWork&) = delete;
    OrderedWork& operator=(const OrderedWork&) = delete;

    // Returns once job index has run (running it, and any before it, without worker threads).
    void WaitFor(size_t index);
    // The caller is done with job index and every job before it.
    void Release(size_t index);
    // No job starts any more; running jobs may look at Stopping to end early.
    void Stop();
    bool Stopping() const { return stop_; }

    // From inside a job: runs part(i) for every i below count and returns once they have run.
    // Parts start in the order of their numbers, on this thread and on idle workers, each only
    // while it is fewer than `ahead` parts beyond the first one not yet finished. An exception
    // that escapes a part keeps the parts after it from starting; once the running ones are
    // done, that of the lowest-numbered failed part is raised again here (the same whichever
    // threads ran them). Stopped is raised when Stop kept parts from starting. The thread that
    // spreads helps with the parts of other jobs while its own are running elsewhere.
    void Spread(size_t count, size_t ahead, const Part& part);
    // The threads that run jobs and parts besides the caller's (0 when the caller runs them).
    size_t Threads() const { return started_; }

private:
    struct Spreading;

    void Work();
    void Run(size_t index);
    bool CanStartJob() const;
    // The oldest spreading with a part that may start; null when none. Under the lock.
    Spreading* PartToRun();
    // Runs the next part of spreading, leaving the lock while it runs.
    void RunPart(Spreading& spreading, std::unique_lock<std::mutex>& lock);

    const size_t count_;
    const size_t ahead_;
    const Job job_;
    std::vector<std::thread> threads_;  // the constructor's alone: workers may run meanwhile
    std::atomic<size_t> started_{0};     // how many of them there are
    std::mutex mutex_;
    std::condition_variable changed_;
    size_t next_ = 0;      // the next job to start
    size_t released_ = 0;  // every job before this one is released
    size_t runningJobs_ = 0;
    std::vector<bool> done_;
    std::vector<std::exception_ptr> errors_;
    std::list<Spreading*> spreadings_;  // the jobs' spread work in progress, oldest first
    std::atomic<bool> stop_{false};
};
