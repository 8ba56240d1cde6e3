// Numbered jobs run in the order of their numbers: on worker threads, or, with none, on the
// caller's thread at the moment it waits for them. The caller takes the results in order and
// releases each job when it is done with it; a job starts only while it is fewer than `ahead`
// jobs beyond the first one not yet released, so that what finished jobs hold stays bounded
// however many jobs there are. Jobs report their failures in their own results; an exception
// that escapes a job is raised again by WaitFor.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class OrderedWork {
public:
    // Runs job index; work is the work it belongs to, for Stopping.
    using Job = std::function<void(size_t index, const OrderedWork& work)>;

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

private:
    void Work();
    void Run(size_t index);

    const size_t count_;
    const size_t ahead_;
    const Job job_;
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable changed_;
    size_t next_ = 0;      // the next job to start
    size_t released_ = 0;  // every job before this one is released
    std::vector<bool> done_;
    std::vector<std::exception_ptr> errors_;
    std::atomic<bool> stop_{false};
};
