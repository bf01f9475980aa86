#include "core/orderedwork.h"

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <vector>

namespace velaro {
namespace {

// What a work item throws reaches the thread that collects it, at that item,
// and the threads are wound up cleanly: an out-of-memory while parsing one
// log must not end the program.
TEST(OrderedWork, AFailingItemRethrowsWhereItIsCollected) {
  std::vector<int> squares(6);
  std::atomic<int> started = 0;
  {
    OrderedWork work(6, 3, [&](int i) {
      ++started;
      if (i == 3) {
        throw std::bad_alloc();
      }
      squares[static_cast<size_t>(i)] = i * i;
    });
    for (int i = 0; i < 3; ++i) {
      work.waitFor(i);
      EXPECT_EQ(squares[static_cast<size_t>(i)], i * i);
    }
    EXPECT_THROW(work.waitFor(3), std::bad_alloc);
  }
  EXPECT_GE(started, 4);
  EXPECT_LE(started, 6);
}

}  // namespace
}  // namespace velaro
