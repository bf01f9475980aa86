#pragma once

#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace velaro {

// Items 0..count-1 worked on by a few threads, taken in item order, and
// collected by the creating thread in item order.
//
// The threads start at construction. work(i) runs on one of them and keeps
// its result where the caller will look for it; waitFor(i) returns once it
// has finished, so a caller walks the items in order however the threads
// happen to finish. The destructor lets no further item start and waits for
// the ones running, so leaving early (an error in item i) costs at most one
// item per thread.
class OrderedWork {
 public:
  OrderedWork(int count, int threads, std::function<void(int)> work);
  ~OrderedWork();
  OrderedWork(const OrderedWork&) = delete;
  OrderedWork& operator=(const OrderedWork&) = delete;

  // Waits until work(i) has finished, calling idle (when given) about every
  // idleEvery while it waits. Rethrows what work(i) threw.
  void waitFor(int i, const std::function<void()>& idle = {},
               std::chrono::milliseconds idleEvery = std::chrono::milliseconds(15));

  // One thread per processor core, at least one.
  static int defaultThreads();

 private:
  void run();
  void stopAndJoin();

  const int m_count;
  const std::function<void(int)> m_work;
  std::mutex m_mutex;
  std::condition_variable m_finished;
  std::vector<char> m_done;
  std::vector<std::exception_ptr> m_failures;
  int m_next = 0;
  bool m_stopping = false;
  std::vector<std::thread> m_threads;
};

}  // namespace velaro
