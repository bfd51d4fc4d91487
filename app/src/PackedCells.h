#pragma once
// CPackedCells: some cells of a row, by column (0 to 31), in one block: a
// mask of the columns held and their texts in column order, each after its
// length. A row's few edited cells cost their bytes and a few more, so the
// file values of 100,000 edited rows and the steps of the command history
// stay small.
#include <platform/String.h>

#include <cstdint>
#include <string>

class CPackedCells {
 public:
  static constexpr int kMaxColumns = 32;

  bool Has(int col) const { return col >= 0 && col < kMaxColumns && (m_nMask >> col & 1u); }
  // The text of a column held; empty for one that is not.
  CString Get(int col) const;
  // Holds text for col (replacing what it held); a column outside 0 to 31 is ignored.
  void Set(int col, const CString& text);
  void Remove(int col);
  std::uint32_t Mask() const { return m_nMask; }
  bool IsEmpty() const { return m_nMask == 0; }

  bool operator==(const CPackedCells&) const = default;

 private:
  // Where col's length starts in m_bytes (col must be held, or the end for a new one).
  std::size_t OffsetOf(int col) const;

  std::uint32_t m_nMask = 0;
  std::string m_bytes;
};
