#include <platform/Menu.h>
#include <platform/Wnd.h>

#include "Handles.h"

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

#include <utility>
#include <vector>

// What stands behind a menu handle: the items as data.
struct HMENU__ {
  struct Item {
    UINT id = 0;
    CString text;
    UINT type = MFT_STRING;  // MFT_STRING, MFT_SEPARATOR, MFT_OWNERDRAW bits
    UINT state = 0;          // MF_GRAYED, MF_DISABLED, MF_CHECKED bits

    // The item AppendMenu and ModifyMenu make of their flags (a separator has no text).
    static Item Of(UINT flags, UINT_PTR id, const char* text) {
      return {static_cast<UINT>(id), (flags & MF_SEPARATOR) ? CString() : CString(text),
              flags & (MF_SEPARATOR | MF_OWNERDRAW), flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED)};
    }
  };
  std::vector<Item> items;
  CMenu* owner = nullptr;

  // The item named by id (MF_BYCOMMAND) or position (MF_BYPOSITION); null when none.
  Item* Find(UINT item, UINT flags) {
    if (flags & MF_BYPOSITION) return item < items.size() ? &items[item] : nullptr;
    for (auto& i : items)
      if (i.id == item) return &i;
    return nullptr;
  }
};

namespace {

constexpr const char* kOwnerDrawn = "qy_ownerdraw";
constexpr const char* kMeasured = "qy_measured";
// Room the desktop adds to an owner-drawn item for its check-mark column.
constexpr int kCheckColumn = 16;

// The popup shown while a CMenu is tracked; owner-drawn items go to the CMenu.
class TrackedMenu : public QMenu {
 public:
  TrackedMenu(CMenu* menu, QWidget* parent) : QMenu(parent), m_pMenu(menu) {}
  CMenu* Menu() const { return m_pMenu; }

  QAction* OwnerDrawnWithText(const QString& text) const {
    for (QAction* a : actions())
      if (a->property(kOwnerDrawn).toBool() && a->text() == text) return a;
    return nullptr;
  }

 private:
  CMenu* m_pMenu;
};

// Hands the measuring and painting of owner-drawn items to their menu object;
// everything else is the desktop style's.
class OwnerDrawStyle : public QProxyStyle {
 public:
  QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                         const QWidget* widget) const override {
    const auto* menu = dynamic_cast<const TrackedMenu*>(widget);
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (type == CT_MenuItem && menu && item)
      if (QAction* a = menu->OwnerDrawnWithText(item->text)) return a->property(kMeasured).toSize();
    return QProxyStyle::sizeFromContents(type, option, size, widget);
  }

  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    const auto* menu = dynamic_cast<const TrackedMenu*>(widget);
    QAction* a = menu ? menu->actionAt(option->rect.center()) : nullptr;
    if (element != CE_MenuItem || !a || !a->property(kOwnerDrawn).toBool()) {
      QProxyStyle::drawControl(element, option, painter, widget);
      return;
    }
    const UINT id = a->data().toUInt();
    const UINT state = menu->Menu()->GetMenuState(id, MF_BYCOMMAND);
    DRAWITEMSTRUCT draw;
    draw.itemID = id;
    draw.itemAction = ODA_DRAWENTIRE;
    draw.itemState = ((option->state & State_Selected) ? ODS_SELECTED : 0) | ((state & MF_GRAYED) ? ODS_GRAYED : 0) |
                     ((state & MF_DISABLED) ? ODS_DISABLED : 0);
    draw.hwndItem = menu->Menu()->GetSafeHmenu();
    const QRect r = option->rect;
    draw.rcItem = RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
    painter->save();
    CDC dc(painter);
    draw.hDC = &dc;
    menu->Menu()->DrawItem(&draw);
    painter->restore();
  }

  // As on the desktop the menu came from, a grayed item is highlighted under the mouse.
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* data) const override {
    if (hint == SH_Menu_AllowActiveAndDisabled && dynamic_cast<const TrackedMenu*>(widget)) return 1;
    return QProxyStyle::styleHint(hint, option, widget, data);
  }
};

// An owner-drawn text keeps its ampersands: they are characters, not mnemonics.
QString ActionText(const HMENU__::Item& item) {
  QString text = platform::ToQt(item.text);
  if (item.type & MFT_OWNERDRAW) text.replace('&', "&&");
  return text;
}

// Sets the state bits of an item to those in flags; the previous bits, or 0xFFFFFFFF.
UINT SetStateBits(HMENU menu, UINT which, UINT flags, UINT bits) {
  auto* item = menu ? menu->Find(which, flags) : nullptr;
  if (!item) return 0xFFFFFFFF;
  const UINT previous = item->state & bits;
  item->state = (item->state & ~bits) | (flags & bits);
  return previous;
}

}  // namespace

CMenu::CMenu() = default;

CMenu::~CMenu() { DestroyMenu(); }

CMenu* CMenu::FromHandle(HMENU menu) { return menu ? menu->owner : nullptr; }

BOOL CMenu::CreatePopupMenu() {
  if (m_hMenu) return FALSE;
  m_hMenu = new HMENU__;
  m_hMenu->owner = this;
  return TRUE;
}

BOOL CMenu::DestroyMenu() {
  if (!m_hMenu) return FALSE;
  delete std::exchange(m_hMenu, nullptr);
  return TRUE;
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, const char* text) {
  if (!m_hMenu) return FALSE;
  m_hMenu->items.push_back(HMENU__::Item::Of(flags, id, text));
  return TRUE;
}

BOOL CMenu::ModifyMenu(UINT which, UINT flags, UINT_PTR newId, const char* text) {
  auto* item = m_hMenu ? m_hMenu->Find(which, flags) : nullptr;
  if (!item) return FALSE;
  *item = HMENU__::Item::Of(flags, newId, text);
  return TRUE;
}

BOOL CMenu::RemoveMenu(UINT which, UINT flags) {
  auto* item = m_hMenu ? m_hMenu->Find(which, flags) : nullptr;
  if (!item) return FALSE;
  m_hMenu->items.erase(m_hMenu->items.begin() + (item - m_hMenu->items.data()));
  return TRUE;
}

int CMenu::GetMenuItemCount() const { return m_hMenu ? static_cast<int>(m_hMenu->items.size()) : -1; }

UINT CMenu::GetMenuItemID(int position) const {
  auto* item = m_hMenu && position >= 0 ? m_hMenu->Find(static_cast<UINT>(position), MF_BYPOSITION) : nullptr;
  return item ? item->id : 0xFFFFFFFF;
}

UINT CMenu::GetMenuState(UINT which, UINT flags) const {
  auto* item = m_hMenu ? m_hMenu->Find(which, flags) : nullptr;
  return item ? (item->type | item->state) : 0xFFFFFFFF;
}

UINT CMenu::EnableMenuItem(UINT which, UINT enable) {
  return SetStateBits(m_hMenu, which, enable, MF_GRAYED | MF_DISABLED);
}

UINT CMenu::CheckMenuItem(UINT which, UINT check) { return SetStateBits(m_hMenu, which, check, MF_CHECKED); }

int CMenu::GetMenuString(UINT which, CString& text, UINT flags) const {
  auto* item = m_hMenu ? m_hMenu->Find(which, flags) : nullptr;
  text = item ? item->text : CString();
  return text.GetLength();
}

BOOL CMenu::GetMenuItemInfo(UINT which, MENUITEMINFOA* info, BOOL byPosition) const {
  auto* item = m_hMenu && info ? m_hMenu->Find(which, byPosition ? MF_BYPOSITION : MF_BYCOMMAND) : nullptr;
  if (!item) return FALSE;
  if (info->fMask & MIIM_FTYPE) info->fType = item->type;
  return TRUE;
}

BOOL CMenu::SetMenuItemInfo(UINT which, const MENUITEMINFOA* info, BOOL byPosition) {
  auto* item = m_hMenu && info ? m_hMenu->Find(which, byPosition ? MF_BYPOSITION : MF_BYCOMMAND) : nullptr;
  if (!item) return FALSE;
  if (info->fMask & MIIM_FTYPE) item->type = info->fType & (MFT_SEPARATOR | MFT_OWNERDRAW);
  return TRUE;
}

BOOL CMenu::TrackPopupMenuEx(UINT flags, int x, int y, CWnd* owner, void*) {
  if (!m_hMenu) return FALSE;
  OwnerDrawStyle style;
  TrackedMenu menu(this, owner ? owner->GetWidget() : nullptr);
  menu.setStyle(&style);
  // Owner-drawn items are measured in their window's font: they are drawn in it too.
  if (owner && owner->GetWidget()) menu.setFont(owner->GetWidget()->window()->font());
  for (const auto& item : m_hMenu->items) {
    const bool ownerDrawn = item.type & MFT_OWNERDRAW;
    if ((item.type & MFT_SEPARATOR) && !ownerDrawn) {
      menu.addSeparator();
      continue;
    }
    QAction* a = menu.addAction(ActionText(item));
    a->setData(item.id);
    // An owner-drawn separator is painted but never chosen.
    a->setEnabled(!(item.type & MFT_SEPARATOR) && !(item.state & (MF_GRAYED | MF_DISABLED)));
    a->setCheckable(item.state & MF_CHECKED);
    a->setChecked(item.state & MF_CHECKED);
    if (ownerDrawn) {
      MEASUREITEMSTRUCT measure;
      measure.itemID = item.id;
      MeasureItem(&measure);
      a->setProperty(kOwnerDrawn, true);
      a->setProperty(kMeasured, QSize(static_cast<int>(measure.itemWidth) + kCheckColumn,
                                      static_cast<int>(measure.itemHeight)));
    }
  }
  menu.ensurePolished();
  const QSize size = menu.sizeHint();
  QPoint at(x, y);
  if (flags & TPM_RIGHTALIGN) at.rx() -= size.width();
  else if (flags & TPM_CENTERALIGN) at.rx() -= size.width() / 2;
  QStringList texts;
  for (const QAction* a : menu.actions()) texts << a->text();
  QAction* chosen = nullptr;
  int answered = 0;
  const platform::ModalQuestion question{platform::ModalKind::PopupMenu, platform::FromQt(texts.join('|')), {}, 0};
  const platform::ModalRun run = platform::RunModal(
      question, &menu, [&] { chosen = menu.exec(at); }, [&] { menu.close(); }, &answered);
  UINT id = chosen ? chosen->data().toUInt() : 0;
  if (run == platform::ModalRun::Answered) id = static_cast<UINT>(answered);
  if (flags & TPM_RETURNCMD) return static_cast<BOOL>(id);
  if (id && owner) owner->OnCommand(static_cast<int>(id), 0);
  return TRUE;
}

void CMenu::MeasureItem(MEASUREITEMSTRUCT*) {}

void CMenu::DrawItem(DRAWITEMSTRUCT*) {}
