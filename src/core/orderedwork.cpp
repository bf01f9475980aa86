#include "core/orderedwork.h"

#include <algorithm>

namespace velaro {

OrderedWork::OrderedWork(int count, int threads, std::function<void(int)> work)
    : m_count(std::max(count, 0)),
      m_work(std::move(work)),
      m_done(static_cast<size_t>(m_count), 0),
      m_failures(static_cast<size_t>(m_count)) {
  const int n = std::min(std::max(threads, 1), m_count);
  m_threads.reserve(static_cast<size_t>(n));
  try {
    for (int t = 0; t < n; ++t) {
      m_threads.emplace_back([this] { run(); });
    }
  } catch (...) {
    stopAndJoin();
    throw;
  }
}

OrderedWork::~OrderedWork() {
  stopAndJoin();
}

void OrderedWork::stopAndJoin() {
  {
    const std::lock_guard lock(m_mutex);
    m_stopping = true;
  }
  for (std::thread& thread : m_threads) {
    if (thread.joinable()) {
      thread.join();
    }
  }
}

int OrderedWork::defaultThreads() {
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

void OrderedWork::run() {
  for (;;) {
    int i = 0;
    {
      const std::lock_guard lock(m_mutex);
      if (m_stopping || m_next >= m_count) {
        return;
      }
      i = m_next++;
    }
    std::exception_ptr failure;
    try {
      m_work(i);
    } catch (...) {
      failure = std::current_exception();
    }
    {
      const std::lock_guard lock(m_mutex);
      m_done[static_cast<size_t>(i)] = 1;
      m_failures[static_cast<size_t>(i)] = failure;
    }
    // The waiting thread may wait for another item than this one.
    m_finished.notify_all();
  }
}

void OrderedWork::waitFor(int i, const std::function<void()>& idle, std::chrono::milliseconds idleEvery) {
  std::unique_lock lock(m_mutex);
  while (!m_done[static_cast<size_t>(i)]) {
    if (!idle) {
      m_finished.wait(lock);
      continue;
    }
    if (!m_finished.wait_for(lock, idleEvery, [&] { return m_done[static_cast<size_t>(i)] != 0; })) {
      lock.unlock();
      idle();
      lock.lock();
    }
  }
  if (const std::exception_ptr failure = m_failures[static_cast<size_t>(i)]) {
    std::rethrow_exception(failure);
  }
}

}  // namespace velaro
