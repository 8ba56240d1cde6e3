#include <gtest/gtest.h>

#include "debug/Error.h"
#include "smart_ptr/SmartPtr.h"

namespace {

struct Tracked {
    explicit Tracked(int* deletions) : deletions_(deletions) {}
    ~Tracked() { ++*deletions_; }
    int* deletions_;
};

TEST(SmartPtr, ObjectIsDeletedOnceWhenLastCopyGoes)
{
    int first = 0, second = 0;
    {
        sdk::smart_ptr<Tracked> a(new Tracked(&first));
        {
            sdk::smart_ptr<Tracked> b = a;
            sdk::smart_ptr<Tracked> c;
            c = b;
            EXPECT_EQ(a.UseCount(), 3);
            EXPECT_EQ(c.Get(), a.Get());
        }
        EXPECT_EQ(a.UseCount(), 1);
        EXPECT_EQ(first, 0);
        sdk::smart_ptr<Tracked> keep = a;
        a = sdk::smart_ptr<Tracked>(new Tracked(&second));  // keep still holds the first
        EXPECT_EQ(first, 0);
    }
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 1);
}

TEST(SmartPtr, DereferencingEmptyPointerRaisesTag)
{
    sdk::smart_ptr<Tracked> empty;
    try {
        (void)empty->deletions_;
        FAIL() << "nothing raised";
    } catch (const sdk::debug::logic_error& e) {
        EXPECT_STREQ(e.what(), "smart_ptr<T>::operator ->:74");
    }
    EXPECT_THROW((void)*empty, sdk::debug::logic_error);
}

}  // namespace
