#pragma once
// CPackedCells: some cells of a row, by column (0 to 31), in one block: a
// mask of the columns held and their texts in column order, each after its
// length. A row's few edited cells cost their bytes and sixteen more, so the
// file values of 100,000 edited rows and the steps of the command history
// stay small.
#include <base/String.h>

#include <cstdint>
#include <memory>
#include <string_view>

class CPackedCells {
 public:
  static constexpr int kMaxColumns = 32;

  CPackedCells() = default;
  CPackedCells(const CPackedCells& other) { *this = other; }
  CPackedCells(CPackedCells&&) noexcept = default;
  CPackedCells& operator=(const CPackedCells& other);
  CPackedCells& operator=(CPackedCells&&) noexcept = default;

  bool Has(int col) const { return col >= 0 && col < kMaxColumns && (m_nMask >> col & 1u); }
  // The text of a column held; empty for one that is not.
  CString Get(int col) const;
  // Holds text for col (replacing what it held); a column outside 0 to 31 is ignored.
  void Set(int col, const CString& text);
  void Remove(int col);
  std::uint32_t Mask() const { return m_nMask; }
  bool IsEmpty() const { return m_nMask == 0; }

  bool operator==(const CPackedCells& other) const { return m_nMask == other.m_nMask && Bytes() == other.Bytes(); }

 private:
  std::string_view Bytes() const { return {m_pBytes.get(), m_nSize}; }
  // Where col's length starts (col must be held, or the end for a new one).
  std::size_t OffsetOf(int col) const;
  // Replaces bytes [from, to) with insert, in a block of the new size.
  void Splice(std::size_t from, std::size_t to, std::string_view insert);

  std::uint32_t m_nMask = 0;
  std::uint32_t m_nSize = 0;
  std::unique_ptr<char[]> m_pBytes;
};
