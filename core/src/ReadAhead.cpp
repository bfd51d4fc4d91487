#include "ReadAhead.h"

#include <system_error>
#include <utility>

namespace {

// How far the helpers may run ahead of the caller, in files: enough that a
// slow file does not hold them up, few enough that the cells waiting stay small.
constexpr std::size_t kFilesAhead = 256;

}  // namespace

CReadAhead::CReadAhead(std::size_t count, Reader read, std::size_t helpers)
    : m_nCount(count), m_read(std::move(read)), m_slots(kFilesAhead) {
  // With fewer threads than asked for, the caller reads the rest.
  try {
    for (; helpers > 0 && count > 1; --helpers) m_helpers.emplace_back([this] { Help(); });
  } catch (const std::system_error&) {
  }
}

CReadAhead::~CReadAhead() {
  {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_bStop = true;
  }
  m_changed.notify_all();
  for (std::thread& helper : m_helpers) helper.join();
}

CReadAhead::CSlot CReadAhead::Read(std::size_t i) {
  CSlot slot;
  try {
    slot.file = m_read(i);
  } catch (...) {
    slot.error = std::current_exception();
  }
  slot.bReady = true;
  return slot;
}

bool CReadAhead::ReadNext(std::unique_lock<std::mutex>& lock) {
  if (m_nNext >= m_nCount || m_nNext >= m_nTaken + m_slots.size()) return false;
  const std::size_t i = m_nNext++;
  lock.unlock();
  CSlot slot = Read(i);
  lock.lock();
  m_slots[i % m_slots.size()] = std::move(slot);
  m_changed.notify_all();
  return true;
}

void CReadAhead::Help() {
  std::unique_lock<std::mutex> lock(m_mutex);
  while (!m_bStop && m_nNext < m_nCount)
    if (!ReadNext(lock)) m_changed.wait(lock);
}

CReadFile CReadAhead::Take(std::size_t i) {
  CSlot slot;
  {
    std::unique_lock<std::mutex> lock(m_mutex);
    CSlot& wanted = m_slots[i % m_slots.size()];
    // Until file i is read, the caller reads the next one nobody has taken up.
    while (!wanted.bReady)
      if (!ReadNext(lock)) m_changed.wait(lock);
    slot = std::exchange(wanted, CSlot());
    m_nTaken = i + 1;
  }
  m_changed.notify_all();
  if (slot.error) std::rethrow_exception(slot.error);
  return std::move(slot.file);
}
