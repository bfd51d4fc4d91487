#include <platform/DynamicLayout.h>

#include <platform/Wnd.h>

#include <QEvent>
#include <QPointer>
#include <QWidget>

#include <vector>

namespace {

// Calls back on every resize of the host.
class ResizeWatcher : public QObject {
 public:
  explicit ResizeWatcher(CMFCDynamicLayout* layout) : m_pLayout(layout) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Resize) m_pLayout->Adjust();
    return false;
  }

 private:
  CMFCDynamicLayout* m_pLayout;
};

}  // namespace

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
  std::unique_ptr<ResizeWatcher> watcher;

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

CMFCDynamicLayout::~CMFCDynamicLayout() {
  if (m_pImpl->host && m_pImpl->watcher) m_pImpl->host->removeEventFilter(m_pImpl->watcher.get());
}

BOOL CMFCDynamicLayout::Create(CWnd* host) {
  QWidget* widget = host ? host->GetWidget() : nullptr;
  if (!widget || m_pImpl->host) return FALSE;
  m_pImpl->host = widget;
  m_pImpl->base = widget->size();
  m_pImpl->watcher = std::make_unique<ResizeWatcher>(this);
  widget->installEventFilter(m_pImpl->watcher.get());
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
