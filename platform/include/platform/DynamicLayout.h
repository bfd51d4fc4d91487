#pragma once
// CMFCDynamicLayout: on a resize, each item moves and grows by percentages of
// the window's growth since the item was added or last moved by its owner.
#include <platform/Types.h>

#include <memory>

class CWnd;

class CMFCDynamicLayout {
 public:
  struct MoveSettings {
    int m_nXRatio = 0;
    int m_nYRatio = 0;
  };
  struct SizeSettings {
    int m_nXRatio = 0;
    int m_nYRatio = 0;
  };
  static MoveSettings MoveNone() { return {}; }
  static MoveSettings MoveHorizontal(int ratio) { return {ratio, 0}; }
  static MoveSettings MoveVertical(int ratio) { return {0, ratio}; }
  static SizeSettings SizeNone() { return {}; }
  static SizeSettings SizeHorizontal(int ratio) { return {ratio, 0}; }
  static SizeSettings SizeHorizontalAndVertical(int x, int y) { return {x, y}; }

  CMFCDynamicLayout();
  ~CMFCDynamicLayout();
  CMFCDynamicLayout(const CMFCDynamicLayout&) = delete;
  CMFCDynamicLayout& operator=(const CMFCDynamicLayout&) = delete;

  // False when host has no window or the layout has a host already.
  BOOL Create(CWnd* host);
  // Adding again replaces the settings; false for a window not the host's child.
  BOOL AddItem(CWnd* item, MoveSettings move, SizeSettings size);
  BOOL AddItem(int id, MoveSettings move, SizeSettings size);
  void Adjust();
  void OnItemMoved(const CWnd* item);

 private:
  struct Impl;
  std::unique_ptr<Impl> m_pImpl;
};
