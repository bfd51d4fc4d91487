#pragma once
// The files of a load, read on helper threads a little ahead of the caller,
// who takes them one by one in the load's order and reads a file itself
// when no helper has taken it up yet. Reading a file (its tags, its stream's
// facts, its row's cells) is most of a load, and it needs nothing of the
// rows, so a folder is read on every core while its rows go in in order.
#include <base/String.h>
#include <tags/TagFile.h>

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// What a load keeps of one file it read.
struct CReadFile {
  CString strPath;
  bool bFound = false;  // the file is still there (an empty one is)
  std::vector<CString> cells;
  CFileIdentity identity;
  bool bChangedWhileRead = false;
  CString strRefusal;  // why it cannot be read whole or saved; empty for most
};

class CReadAhead {
 public:
  using Reader = std::function<CReadFile(std::size_t)>;
  // Reads files 0 to count - 1 with read, which must be safe to call from
  // several threads at once; helpers is how many threads help the caller.
  CReadAhead(std::size_t count, Reader read, std::size_t helpers);
  // Stops the helpers after the files they are reading.
  ~CReadAhead();
  CReadAhead(const CReadAhead&) = delete;
  CReadAhead& operator=(const CReadAhead&) = delete;

  // File i, once read; i counts up from 0 by one. While a helper reads it,
  // the caller reads the files after it. What read threw for it is thrown here.
  CReadFile Take(std::size_t i);

 private:
  struct CSlot {
    bool bReady = false;
    CReadFile file;
    std::exception_ptr error;
  };
  void Help();
  CSlot Read(std::size_t i);
  // Reads the next file nobody has taken up, when it is within reach of
  // the caller; false when there is none. Called and returns locked.
  bool ReadNext(std::unique_lock<std::mutex>& lock);

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
