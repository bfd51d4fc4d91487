#include <platform/MenuBar.h>

#include <platform/Dialog.h>

#include "Handles.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

#include <iterator>
#include <map>
#include <vector>

struct CMenuBar::Impl {
  QPointer<QMenuBar> bar;
  CDialog* dialog = nullptr;
  std::vector<QMenu*> menus;
  std::map<UINT, QAction*> items;

  QMenu* Menu(int menu) const {
    return bar && menu >= 0 && menu < static_cast<int>(menus.size()) ? menus[static_cast<std::size_t>(menu)] : nullptr;
  }
};

CMenuBar::CMenuBar() : m_pImpl(std::make_unique<Impl>()) {}

CMenuBar::~CMenuBar() = default;

BOOL CMenuBar::Create(CDialog* dialog) {
  QWidget* window = dialog ? dialog->GetWidget() : nullptr;
  if (!window || m_pImpl->bar) return FALSE;
  auto* bar = new QMenuBar(window);
  bar->setNativeMenuBar(false);
  // Its height with a title in it, as the desktop's style draws it in the window's font.
  bar->ensurePolished();
  QAction* probe = bar->addAction(QStringLiteral("File"));
  const int wrapped = bar->heightForWidth(window->width());
  const int height = wrapped > 0 ? wrapped : bar->sizeHint().height();
  bar->removeAction(probe);
  delete probe;
  for (QObject* child : window->children())
    if (auto* control = qobject_cast<QWidget*>(child); control && control != bar && !control->isWindow())
      control->move(control->x(), control->y() + height);
  const int windowHeight = window->height();  // before the minimum grows, which would stretch it
  window->setMinimumHeight(window->minimumHeight() + height);
  if (window->maximumHeight() < QWIDGETSIZE_MAX) window->setMaximumHeight(window->maximumHeight() + height);
  window->resize(window->width(), windowHeight + height);
  bar->setGeometry(0, 0, window->width(), height);
  // The bar stays as wide as its window.
  platform::WatchResizes(window, bar, [window, bar] { bar->resize(window->width(), bar->height()); });
  bar->show();
  m_pImpl->bar = bar;
  m_pImpl->dialog = dialog;
  return TRUE;
}

int CMenuBar::AddMenu(const char* title) {
  if (!m_pImpl->bar) return -1;
  m_pImpl->menus.push_back(m_pImpl->bar->addMenu(QString::fromUtf8(title ? title : "")));
  return static_cast<int>(m_pImpl->menus.size()) - 1;
}

BOOL CMenuBar::AddItem(int menu, const char* text, UINT id, const char* shortcuts) {
  QMenu* popup = m_pImpl->Menu(menu);
  if (!popup) return FALSE;
  if (!text) {
    popup->addSeparator();
    return TRUE;
  }
  QAction* action = popup->addAction(QString::fromUtf8(text));
  QList<QKeySequence> keys;
  for (const QString& key : QString::fromUtf8(shortcuts ? shortcuts : "").split(';', Qt::SkipEmptyParts))
    keys << QKeySequence(key.trimmed());
  action->setShortcuts(keys);
  CDialog* dialog = m_pImpl->dialog;
  QObject::connect(action, &QAction::triggered, action, [dialog, id] { dialog->OnCommand(static_cast<int>(id), BN_CLICKED); });
  m_pImpl->items[id] = action;
  return TRUE;
}

int CMenuBar::AddSubmenu(int menu, const char* title) {
  QMenu* popup = m_pImpl->Menu(menu);
  if (!popup) return -1;
  m_pImpl->menus.push_back(popup->addMenu(QString::fromUtf8(title ? title : "")));
  return static_cast<int>(m_pImpl->menus.size()) - 1;
}

void CMenuBar::ClearMenu(int menu) {
  QMenu* popup = m_pImpl->Menu(menu);
  if (!popup) return;
  for (auto item = m_pImpl->items.begin(); item != m_pImpl->items.end();)
    item = popup->actions().contains(item->second) ? m_pImpl->items.erase(item) : std::next(item);
  popup->clear();
}

void CMenuBar::EnableMenu(int menu, BOOL enable) {
  if (QMenu* popup = m_pImpl->Menu(menu)) popup->menuAction()->setEnabled(enable != FALSE);
}

void CMenuBar::CheckItem(UINT id, BOOL check) {
  const auto found = m_pImpl->items.find(id);
  if (found == m_pImpl->items.end()) return;
  found->second->setCheckable(true);
  found->second->setChecked(check != FALSE);
}

void CMenuBar::EnableItem(UINT id, BOOL enable) {
  if (const auto found = m_pImpl->items.find(id); found != m_pImpl->items.end()) found->second->setEnabled(enable != FALSE);
}

