#pragma once
// One item of a list view as data: its cells' texts packed into a single
// allocation, one image index, one integer of item data, a text colour and
// which cells are emphasised. A row of 24 short cells costs its bytes plus a
// few dozen. Internal to the platform layer; no Qt here.
#include <platform/Types.h>

#include <cstdint>
#include <string_view>
#include <utility>

namespace platform {

// The texts of a row's cells: each cell is its length (seven bits a byte,
// the high bit set when more follow) and its bytes. A cell past the last one
// stored is empty.
class CellTexts {
 public:
  CellTexts() = default;
  CellTexts(CellTexts&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
  CellTexts& operator=(CellTexts&& other) noexcept {
    std::swap(m_p, other.m_p);
    return *this;
  }
  ~CellTexts();

  std::string_view Get(int col) const;
  void Set(int col, std::string_view text);
  // An empty cell at col, the later ones moving right; or the cell at col
  // removed, the later ones moving left.
  void InsertCell(int col);
  void RemoveCell(int col);

 private:
  // Bytes [begin, end) of the cells, and where cell col starts (the end when
  // there are fewer cells; *missing tells how many are lacking).
  const unsigned char* Begin() const;
  const unsigned char* End() const;
  const unsigned char* Find(int col, int* missing = nullptr) const;
  // Replaces bytes [from, to) of the cells with emptyCells empty cells and a
  // cell holding text, in a new block.
  void Splice(const unsigned char* from, const unsigned char* to, int emptyCells, std::string_view text);

  unsigned char* m_p = nullptr;  // the cells' size (4 bytes), then the cells
};

struct ListRow {
  CellTexts cells;
  LPARAM lParam = 0;
  std::uint64_t emphasis = 0;  // bit c: cell c is emphasised (columns 0 to 63)
  COLORREF crText = CLR_DEFAULT;
  int nImage = -1;
  std::uint8_t marks = 0;  // selection kept across a reset (see ListView)
};

}  // namespace platform
