#pragma once
// CImageList: a list of same-sized small images, filled from masked bitmaps
// and icons; list views and status bars draw from it.
#include <platform/Types.h>

#include <memory>

constexpr UINT ILC_MASK = 0x0001;
constexpr UINT ILC_COLOR8 = 0x0008;

class CImageList {
 public:
  CImageList();
  ~CImageList();
  CImageList(const CImageList&) = delete;
  CImageList& operator=(const CImageList&) = delete;

  // False when made already or the size is not positive.
  BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
  bool IsCreated() const;

  // Cut into cx-wide images, the mask colour transparent; the first index, or -1.
  int Add(HBITMAP bitmap, COLORREF mask);
  // index -1 appends; otherwise replaces that image. The index, or -1.
  int Replace(int index, HICON icon);
  BOOL Remove(int index);
  int GetImageCount() const;
  // The caller releases it with DestroyIcon; null when there is no such image.
  HICON ExtractIcon(int index) const;

  struct Impl;
  const Impl* GetImpl() const { return m_pImpl.get(); }

 private:
  std::unique_ptr<Impl> m_pImpl;
};
