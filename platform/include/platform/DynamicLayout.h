#pragma once
// CMFCDynamicLayout: moves and sizes a window's controls when the window is
// resized. Each item moves by a percentage of the growth of the window's
// client area and grows by a percentage of it, measured from the item's
// rectangle at the size the layout started from. An item its owner moves
// (MoveWindow) keeps that place, measured from the window's size then.
#include <platform/Types.h>

#include <memory>

class CWnd;

class CMFCDynamicLayout {
 public:
  // Percentages (0 to 100) of the growth in width and height.
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

  // Lays out host's children from now on, measured from its present client
  // size; false when host has no window or the layout already has a host.
  BOOL Create(CWnd* host);
  // Adds a child of the host (again: replaces its settings), measured from
  // its present rectangle; false for a window that is not the host's child.
  BOOL AddItem(CWnd* item, MoveSettings move, SizeSettings size);
  BOOL AddItem(int id, MoveSettings move, SizeSettings size);
  // Places every item for the host's present size (done on every resize).
  void Adjust();
  // The item's owner moved it: its rectangle is measured from there on.
  void OnItemMoved(const CWnd* item);

 private:
  struct Impl;
  std::unique_ptr<Impl> m_pImpl;
};
