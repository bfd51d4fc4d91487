#pragma once
// Files read on helper threads a little ahead of the caller, who takes them
// one by one in order and reads a file itself when no helper has taken it up
// yet. A load reads its rows' files so, and a save the files it edits:
// reading a file (and rendering its edits) needs nothing of the rows, so a
// folder is read on every core while its rows are handled in order.
#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

template <typename File>
class CReadAhead {
 public:
  using Reader = std::function<File(std::size_t)>;
  // Reads files 0 to count - 1 with read, which must be safe to call from
  // several threads at once; helpers is how many threads help the caller,
  // ahead how many files past the last one taken they may read.
  CReadAhead(std::size_t count, Reader read, std::size_t helpers, std::size_t ahead)
      : m_nCount(count), m_read(std::move(read)), m_slots(std::max<std::size_t>(ahead, 1)) {
    // With fewer threads than asked for, the caller reads the rest.
    try {
      for (; helpers > 0 && count > 1; --helpers) m_helpers.emplace_back([this] { Help(); });
    } catch (const std::system_error&) {
    }
  }
  // Stops the helpers after the files they are reading.
  ~CReadAhead() {
    {
      const std::lock_guard<std::mutex> lock(m_mutex);
      m_bStop = true;
    }
    m_changed.notify_all();
    for (std::thread& helper : m_helpers) helper.join();
  }
  CReadAhead(const CReadAhead&) = delete;
  CReadAhead& operator=(const CReadAhead&) = delete;

  // File i, once read; i counts up from 0 by one. While a helper reads it,
  // the caller reads the files after it. What read threw for it is thrown here.
  File Take(std::size_t i) {
    CSlot slot;
    {
      std::unique_lock<std::mutex> lock(m_mutex);
      CSlot& wanted = m_slots[i % m_slots.size()];
      while (!wanted.bReady)
        if (!ReadNext(lock)) m_changed.wait(lock);
      slot = std::exchange(wanted, CSlot());
      m_nTaken = i + 1;
    }
    m_changed.notify_all();
    if (slot.error) std::rethrow_exception(slot.error);
    return std::move(slot.file);
  }

 private:
  struct CSlot {
    bool bReady = false;
    File file;
    std::exception_ptr error;
  };

  void Help() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_bStop && m_nNext < m_nCount)
      if (!ReadNext(lock)) m_changed.wait(lock);
  }

  // Reads the next file nobody has taken up, when it is within reach of
  // the caller; false when there is none. Called and returns locked.
  bool ReadNext(std::unique_lock<std::mutex>& lock) {
    if (m_nNext >= m_nCount || m_nNext >= m_nTaken + m_slots.size()) return false;
    const std::size_t i = m_nNext++;
    lock.unlock();
    CSlot slot;
    try {
      slot.file = m_read(i);
    } catch (...) {
      slot.error = std::current_exception();
    }
    slot.bReady = true;
    lock.lock();
    m_slots[i % m_slots.size()] = std::move(slot);
    m_changed.notify_all();
    return true;
  }

  const std::size_t m_nCount;
  const Reader m_read;
  std::vector<CSlot> m_slots;  // file i in slot i % size, while it is ahead of the caller
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::size_t m_nNext = 0;   // the next file nobody has taken up
  std::size_t m_nTaken = 0;  // files the caller has taken
  bool m_bStop = false;
  std::vector<std::thread> m_helpers;
};
