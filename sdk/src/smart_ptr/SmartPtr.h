// sdk::smart_ptr: the reference-counted owning pointer used for image rasters, readers and
// file-stream implementations. The count lives in a heap counter object created when the first
// pointer is attached; when the count drops to zero the counter disposes of the owned object and
// then deletes itself. Counts are plain integers: a smart_ptr and its copies belong to one thread.
#pragma once

#include <cstdint>
#include <utility>

namespace sdk {

// Base of every counter: one signed count, a virtual destructor and the dispose operation.
class reference_counter {
public:
    reference_counter() = default;
    reference_counter(const reference_counter&) = delete;
    reference_counter& operator=(const reference_counter&) = delete;
    virtual ~reference_counter() = default;
    virtual void Dispose() = 0;

    void AddRef() { ++count_; }
    // Drops one reference; disposes of the owned object and deletes the counter at zero.
    void Release()
    {
        if (--count_ == 0) {
            Dispose();
            delete this;
        }
    }
    int32_t Count() const { return count_; }

private:
    int32_t count_ = 1;
};

[[noreturn]] void ThrowEmptySmartPtr();

template <class T>
class smart_ptr {
public:
    smart_ptr() = default;
    // Takes ownership of object (which may be null: the pointer then stays empty).
    template <class U>
    explicit smart_ptr(U* object)
    {
        if (object != nullptr) {
            try {
                counter_ = new counter_t(object);
            } catch (...) {
                delete object;
                throw;
            }
        }
    }
    smart_ptr(const smart_ptr& other) : counter_(other.counter_)
    {
        if (counter_ != nullptr)
            counter_->AddRef();
    }
    smart_ptr(smart_ptr&& other) noexcept : counter_(other.counter_) { other.counter_ = nullptr; }
    ~smart_ptr() { Reset(); }

    smart_ptr& operator=(const smart_ptr& other)
    {
        smart_ptr(other).Swap(*this);
        return *this;
    }
    smart_ptr& operator=(smart_ptr&& other) noexcept
    {
        smart_ptr(std::move(other)).Swap(*this);
        return *this;
    }

    void Reset()
    {
        if (counter_ != nullptr) {
            reference_counter* counter = counter_;
            counter_ = nullptr;
            counter->Release();
        }
    }
    void Swap(smart_ptr& other) noexcept { std::swap(counter_, other.counter_); }

    T* operator->() const { return &Deref(); }
    T& operator*() const { return Deref(); }
    T* Get() const { return counter_ != nullptr ? counter_->Object() : nullptr; }
    bool IsEmpty() const { return counter_ == nullptr; }
    explicit operator bool() const { return counter_ != nullptr; }
    int32_t UseCount() const { return counter_ != nullptr ? counter_->Count() : 0; }

private:
    // Holds the owned object as T*; the deleting destructor runs through the object's own type
    // when the object was created as a type derived from T.
    class counter_t : public reference_counter {
    public:
        template <class U>
        explicit counter_t(U* object) : object_(object), deleter_(&DeleteAs<U>)
        {
        }
        void Dispose() override { deleter_(object_); }
        T* Object() const { return object_; }

    private:
        template <class U>
        static void DeleteAs(T* object)
        {
            delete static_cast<U*>(object);
        }
        T* object_;
        void (*deleter_)(T*);
    };

    T& Deref() const
    {
        if (counter_ == nullptr)
            ThrowEmptySmartPtr();
        return *counter_->Object();
    }

    counter_t* counter_ = nullptr;
};

}  // namespace sdk
