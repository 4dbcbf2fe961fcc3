#include "tambor/LinkedList.h"
#include "tambor/SpinLock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

using namespace NSTambor;

TEST(SpinLock, TryLockForGivesUpAtTheDeadline)
{
    using Clock = std::chrono::steady_clock;
    CSpinLock lock;
    EXPECT_TRUE(lock.TryLockFor(0));
    EXPECT_FALSE(lock.TryLock());

    const auto start = Clock::now();
    EXPECT_FALSE(lock.TryLockFor(30));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(30));

    // Freed by another thread while this one waits.
    std::thread other([&lock] {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        lock.Unlock();
    });
    EXPECT_TRUE(lock.TryLockFor(2000));
    other.join();
    lock.Unlock();
    lock.Lock();
    lock.Unlock();
}

TEST(SpinLock, ExcludesAcrossThreads)
{
    CSpinLock lock;
    int counter = 0;
    auto work = [&] {
        for (int i = 0; i < 200; ++i) {
            CSpinLockGuard guard(lock);
            ++counter;
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 400);
}

TEST(LinkedList, OrderInsertRemoveAndCopies)
{
    CLinkedList<int> list;
    EXPECT_TRUE(list.IsEmpty());
    list.Append(2);
    list.Append(4);
    list.Prepend(1);
    auto four = list.begin();
    ++++four;
    list.Insert(four, 3);
    list.Insert(list.end(), 5);
    EXPECT_EQ(std::vector<int>(list.begin(), list.end()), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(list.GetCount(), 5);
    EXPECT_EQ(*--list.end(), 5);

    CLinkedList<int> copy(list);
    list.RemoveHead();
    list.RemoveTail();
    auto it = list.Remove(++list.begin());
    EXPECT_EQ(*it, 4);
    EXPECT_EQ(std::vector<int>(list.begin(), list.end()), (std::vector<int>{2, 4}));
    EXPECT_EQ(list.GetHead(), 2);
    EXPECT_EQ(list.GetTail(), 4);
    EXPECT_EQ(copy.GetCount(), 5);

    CLinkedList<int> moved(std::move(copy));
    EXPECT_TRUE(copy.IsEmpty());
    EXPECT_EQ(moved.GetTail(), 5);
    moved.Clear();
    EXPECT_EQ(moved.begin(), moved.end());
}
