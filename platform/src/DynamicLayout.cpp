#include <platform/DynamicLayout.h>

#include <platform/Wnd.h>

#include "Handles.h"

#include <QPointer>
#include <QWidget>

#include <vector>

struct CMFCDynamicLayout::Impl {
  struct Item {
    QPointer<QWidget> widget;
    QRect rect;  // at the size the layout started from
    MoveSettings move;
    SizeSettings size;
  };

  QPointer<QWidget> host;
  QSize base;
  std::vector<Item> items;
  std::unique_ptr<QObject> watcher;

  QSize Growth() const { return host ? host->size() - base : QSize(); }

  // The item's rectangle for the host's present size, or back from it.
  static QRect Shifted(const Item& item, const QRect& rect, const QSize& growth, int sign) {
    const int dx = sign * growth.width(), dy = sign * growth.height();
    return QRect(rect.x() + dx * item.move.m_nXRatio / 100, rect.y() + dy * item.move.m_nYRatio / 100,
                 rect.width() + dx * item.size.m_nXRatio / 100, rect.height() + dy * item.size.m_nYRatio / 100);
  }

  Item* Find(const QWidget* widget) {
    for (Item& item : items)
      if (item.widget == widget) return &item;
    return nullptr;
  }
};

CMFCDynamicLayout::CMFCDynamicLayout() : m_pImpl(std::make_unique<Impl>()) {}

CMFCDynamicLayout::~CMFCDynamicLayout() = default;

BOOL CMFCDynamicLayout::Create(CWnd* host) {
  QWidget* widget = host ? host->GetWidget() : nullptr;
  if (!widget || m_pImpl->host) return FALSE;
  m_pImpl->host = widget;
  m_pImpl->base = widget->size();
  m_pImpl->watcher.reset(platform::WatchResizes(widget, nullptr, [this] { Adjust(); }));
  return TRUE;
}

BOOL CMFCDynamicLayout::AddItem(CWnd* item, MoveSettings move, SizeSettings size) {
  QWidget* widget = item ? item->GetWidget() : nullptr;
  if (!widget || !m_pImpl->host || widget->parentWidget() != m_pImpl->host) return FALSE;
  Impl::Item* entry = m_pImpl->Find(widget);
  if (!entry) entry = &m_pImpl->items.emplace_back();
  entry->widget = widget;
  entry->move = move;
  entry->size = size;
  entry->rect = Impl::Shifted(*entry, widget->geometry(), m_pImpl->Growth(), -1);
  return TRUE;
}

BOOL CMFCDynamicLayout::AddItem(int id, MoveSettings move, SizeSettings size) {
  CWnd* host = m_pImpl->host ? CWnd::FromWidget(m_pImpl->host) : nullptr;
  return host ? AddItem(host->GetDlgItem(id), move, size) : FALSE;
}

void CMFCDynamicLayout::Adjust() {
  const QSize growth = m_pImpl->Growth();
  for (const Impl::Item& item : m_pImpl->items)
    if (item.widget) item.widget->setGeometry(Impl::Shifted(item, item.rect, growth, 1));
}

void CMFCDynamicLayout::OnItemMoved(const CWnd* item) {
  if (Impl::Item* entry = item ? m_pImpl->Find(item->GetWidget()) : nullptr)
    entry->rect = Impl::Shifted(*entry, entry->widget->geometry(), m_pImpl->Growth(), -1);
}
