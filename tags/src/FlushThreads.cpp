#include "FlushThreads.h"

#include <algorithm>
#include <chrono>
#include <system_error>

CFlushThreads::~CFlushThreads() {
  {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_bEnd = true;
  }
  m_wake.notify_all();
  for (std::thread& thread : m_threads) thread.join();
}

void CFlushThreads::Run(std::size_t count, const std::function<void(std::size_t)>& work,
                        const std::function<void()>& wait) {
  if (count == 0) return;
  std::unique_lock<std::mutex> lock(m_mutex);
  try {
    while (m_threads.size() < std::min(count, m_nMost)) m_threads.emplace_back([this] { Serve(); });
  } catch (const std::system_error&) {
  }
  if (m_threads.empty()) {
    lock.unlock();
    for (std::size_t i = 0; i < count; ++i) work(i);
    return;
  }
  m_pWork = &work;
  m_nCount = count;
  m_nNext = 0;
  m_wake.notify_all();
  while (!m_finished.wait_for(lock, std::chrono::milliseconds(10), [this] { return Done(); }))
    if (wait) {
      lock.unlock();
      wait();
      lock.lock();
    }
  m_pWork = nullptr;
  m_nCount = m_nNext = 0;
}

void CFlushThreads::Serve() {
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    m_wake.wait(lock, [this] { return m_bEnd || m_nNext < m_nCount; });
    if (m_bEnd) return;
    const std::size_t i = m_nNext++;
    const std::function<void(std::size_t)>& work = *m_pWork;
    ++m_nBusy;
    lock.unlock();
    work(i);
    lock.lock();
    if (--m_nBusy == 0 && m_nNext >= m_nCount) m_finished.notify_all();
  }
}
