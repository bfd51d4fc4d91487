#pragma once
// The threads a batch flushes its files on, side by side.
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Made at the first commit and kept for the next ones: a save of thousands
// of files commits every 200 files, and starting up to 32 threads three
// times a commit (each with a stack to map and unmap) made some 1,600
// threads in a save of 5,000 files.
class CFlushThreads {
 public:
  explicit CFlushThreads(std::size_t most) : m_nMost(most) {}
  ~CFlushThreads();
  CFlushThreads(const CFlushThreads&) = delete;
  CFlushThreads& operator=(const CFlushThreads&) = delete;

  // Runs work(0) ... work(count - 1) on up to `most` threads; the calling
  // thread calls wait (when given) about every 10 ms until all are done.
  // When no thread can be started, the caller does the work itself.
  void Run(std::size_t count, const std::function<void(std::size_t)>& work, const std::function<void()>& wait);

 private:
  void Serve();
  bool Done() const { return m_nNext >= m_nCount && m_nBusy == 0; }

  const std::size_t m_nMost;
  std::mutex m_mutex;
  std::condition_variable m_wake, m_finished;
  std::vector<std::thread> m_threads;
  const std::function<void(std::size_t)>* m_pWork = nullptr;  // of the run going on
  std::size_t m_nCount = 0, m_nNext = 0, m_nBusy = 0;
  bool m_bEnd = false;
};
