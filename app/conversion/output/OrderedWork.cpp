#include "conversion/output/OrderedWork.h"

#include <system_error>

// The parts of one Spread, shared by the threads that run them.
struct OrderedWork::Spreading {
    Spreading(size_t count, size_t ahead, const Part& part)
        : count(count), ahead(ahead < 1 ? 1 : ahead), part(part), finished(count, false)
    {
    }

    // Whether the next part may start: no part before it has failed and it is within the bound.
    bool MayStart(bool stopping) const
    {
        return !stopping && next < count && next < firstUnfinished + ahead &&
               (!error || next < failed);
    }

    const size_t count;
    const size_t ahead;
    const Part& part;
    size_t next = 0;             // the next part to start
    size_t firstUnfinished = 0;  // every part before it has finished
    size_t running = 0;
    std::vector<bool> finished;
    std::exception_ptr error;  // that of the lowest-numbered part that failed
    size_t failed = 0;         // that part
};

OrderedWork::OrderedWork(size_t count, int32_t threads, size_t ahead, Job job)
    : count_(count),
      ahead_(ahead < 1 ? 1 : ahead),
      job_(std::move(job)),
      done_(count, false),
      errors_(count)
{
    for (int32_t i = 0; threads >= 2 && i < threads; ++i) {
        try {
            threads_.emplace_back([this] { Work(); });
            ++started_;
        } catch (const std::system_error&) {
            break;  // the system gives no more threads: fewer run the jobs
        }
    }
}

OrderedWork::~OrderedWork()
{
    Stop();
    for (std::thread& thread : threads_)
        thread.join();
}

void OrderedWork::Stop()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
}

void OrderedWork::Run(size_t index)
{
    std::exception_ptr error;
    try {
        job_(index, *this);
    } catch (...) {
        error = std::current_exception();
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        errors_[index] = error;
        done_[index] = true;
        --runningJobs_;
    }
    changed_.notify_all();
}

bool OrderedWork::CanStartJob() const
{
    return !stop_ && next_ < count_ && next_ < released_ + ahead_;
}

OrderedWork::Spreading* OrderedWork::PartToRun()
{
    for (Spreading* spreading : spreadings_) {
        if (spreading->MayStart(stop_))
            return spreading;
    }
    return nullptr;
}

void OrderedWork::RunPart(Spreading& spreading, std::unique_lock<std::mutex>& lock)
{
    const size_t part = spreading.next++;
    ++spreading.running;
    lock.unlock();
    std::exception_ptr error;
    try {
        spreading.part(part);
    } catch (...) {
        error = std::current_exception();
    }
    lock.lock();
    --spreading.running;
    spreading.finished[part] = true;
    while (spreading.firstUnfinished < spreading.count &&
           spreading.finished[spreading.firstUnfinished])
        ++spreading.firstUnfinished;
    if (error && (!spreading.error || part < spreading.failed)) {
        spreading.error = error;
        spreading.failed = part;
    }
    changed_.notify_all();
}

void OrderedWork::Work()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        // Parts of an image under way come before a new job; a worker stays while a running
        // job may still spread.
        changed_.wait(lock, [&] {
            return stop_ || PartToRun() != nullptr || CanStartJob() ||
                   (next_ >= count_ && runningJobs_ == 0);
        });
        if (stop_)
            return;
        if (Spreading* spreading = PartToRun()) {
            RunPart(*spreading, lock);
        } else if (CanStartJob()) {
            const size_t index = next_++;
            ++runningJobs_;
            lock.unlock();
            Run(index);
            lock.lock();
        } else {
            return;
        }
    }
}

void OrderedWork::WaitFor(size_t index)
{
    if (started_ == 0) {
        // The caller's thread runs the jobs, in order, as they are waited for.
        for (;;) {
            size_t next = 0;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (next_ > index || stop_)
                    break;
                next = next_++;
                ++runningJobs_;
            }
            Run(next);
        }
    }
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return done_[index] || (stop_ && index >= next_); });
    if (errors_[index])
        std::rethrow_exception(errors_[index]);
}

void OrderedWork::Release(size_t index)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (index + 1 > released_)
            released_ = index + 1;
    }
    changed_.notify_all();
}

void OrderedWork::Spread(size_t count, size_t ahead, const Part& part)
{
    Spreading own(count, ahead, part);
    std::unique_lock<std::mutex> lock(mutex_);
    spreadings_.push_back(&own);
    changed_.notify_all();
    for (;;) {
        if (own.MayStart(stop_)) {
            RunPart(own, lock);
            continue;
        }
        if (own.running == 0)
            break;  // every part has run, or none may start any more
        // Its own parts run elsewhere: help with another job's meanwhile.
        if (Spreading* other = PartToRun())
            RunPart(*other, lock);
        else
            changed_.wait(lock);
    }
    spreadings_.remove(&own);
    const bool unfinished = own.next < own.count;
    lock.unlock();
    if (own.error)
        std::rethrow_exception(own.error);
    if (unfinished)
        throw OrderedWork::Stopped();
}
