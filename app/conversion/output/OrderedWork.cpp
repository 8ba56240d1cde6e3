#include "conversion/output/OrderedWork.h"

#include <system_error>

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
    }
    changed_.notify_all();
}

void OrderedWork::Work()
{
    for (;;) {
        size_t index = 0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock,
                          [&] { return stop_ || next_ >= count_ || next_ < released_ + ahead_; });
            if (stop_ || next_ >= count_)
                return;
            index = next_++;
        }
        Run(index);
    }
}

void OrderedWork::WaitFor(size_t index)
{
    if (threads_.empty()) {
        // The caller's thread runs the jobs, in order, as they are waited for.
        for (;;) {
            size_t next = 0;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (next_ > index || stop_)
                    break;
                next = next_++;
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
