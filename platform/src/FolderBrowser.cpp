#include <platform/FolderBrowser.h>
#include <platform/Wnd.h>

#include "Handles.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cstring>

struct ITEMIDLIST {
  QString path;
};

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kFilledRole = Qt::UserRole + 1;

QString ChildPath(const QString& parent, const QString& name) {
  return parent.endsWith('/') ? parent + name : parent + '/' + name;
}

// The browser: folders appear as their parent is opened, so that a deep file
// system costs nothing until it is browsed. A box under the tree shows the
// selected folder's path and takes one typed or pasted.
class FolderBrowserDialog : public QDialog {
 public:
  FolderBrowserDialog(const BROWSEINFOA& info, QWidget* parent) : QDialog(parent), m_info(info) {
    setWindowTitle(tr("Browse for Folder"));
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(QString::fromUtf8(info.lpszTitle ? info.lpszTitle : ""), this);
    m_pStatus = new QLabel(this);
    // Its name is left to Qt, which reads the text; the description says what it is.
    m_pStatus->setObjectName("Status");
    m_pStatus->setAccessibleDescription(tr("Status"));
    m_pStatus->setVisible(info.ulFlags & BIF_STATUSTEXT);
    m_pTree = new QTreeWidget(this);
    m_pTree->setHeaderHidden(true);
    m_pTree->setAccessibleName(tr("Folders"));
    m_pPath = new QLineEdit(this);
    auto* pathLabel = new QLabel(tr("&Folder:"), this);
    pathLabel->setBuddy(m_pPath);
    m_pPath->setAccessibleName(tr("Folder"));
    auto* pathRow = new QFormLayout;
    pathRow->addRow(pathLabel, m_pPath);
    m_pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(title);
    layout->addWidget(m_pStatus);
    layout->addWidget(m_pTree, 1);
    layout->addLayout(pathRow);
    layout->addWidget(m_pButtons);
    resize(360, 420);

    const QString root = info.pidlRoot ? info.pidlRoot->path : QStringLiteral("/");
    auto* top = new QTreeWidgetItem(m_pTree, {root});
    top->setData(0, kPathRole, root);
    top->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    connect(m_pTree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { Fill(item); });
    connect(m_pTree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) { OnSelChanged(item); });
    connect(m_pPath, &QLineEdit::textEdited, this,
            [this](const QString& text) { EnableOk(!text.trimmed().isEmpty() || m_pTree->currentItem()); });
    connect(m_pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_pButtons->button(QDialogButtonBox::Ok)->setEnabled(false);
    // No folder is chosen for the user: the tree does not pick its first one on focus.
    m_pTree->setCurrentIndex(QModelIndex());
  }

  void Notify(UINT notification, LPARAM parameter) {
    if (m_info.lpfn) m_info.lpfn(CWnd::FromWidget(this), notification, parameter, m_info.lParam);
  }

  QString Selected() const {
    const QTreeWidgetItem* item = m_pTree->currentItem();
    return item ? item->data(0, kPathRole).toString() : QString();
  }

  // Opens the tree down to path and selects it; a path outside the tree
  // leaves the selection as it is.
  void Select(const QString& path) {
    const QString clean = QDir::cleanPath(path);
    QTreeWidgetItem* item = m_pTree->topLevelItem(0);
    const QString root = item->data(0, kPathRole).toString();
    if (path.isEmpty() || !QDir(clean).exists() || !(clean == root || clean.startsWith(ChildPath(root, ""))))
      return;
    const QStringList parts = clean.mid(root.length()).split('/', Qt::SkipEmptyParts);
    for (const QString& name : parts) {
      Fill(item);
      QTreeWidgetItem* next = nullptr;
      for (int i = 0; i < item->childCount() && !next; ++i)
        if (item->child(i)->text(0) == name) next = item->child(i);
      if (!next) next = AddChild(item, name);  // a hidden folder, named on purpose
      item->setExpanded(true);
      item = next;
    }
    item->setExpanded(true);
    m_pTree->setCurrentItem(item);
    m_pTree->scrollToItem(item);
  }

  void SetStatus(const QString& text) { m_pStatus->setText(text); }

  // OK takes a path typed into the box when it names a folder; else the
  // status line says why and the browser stays open.
  void accept() override {
    const QString typed = TypedPath();
    if (!typed.isEmpty() && typed != Selected()) {
      if (QFileInfo(typed).isDir()) Select(typed);
      if (Selected() != typed) {
        SetStatus(tr("No such folder: %1").arg(typed));
        return;
      }
    }
    if (!Selected().isEmpty()) QDialog::accept();
  }
  void EnableOk(bool enable) { m_pButtons->button(QDialogButtonBox::Ok)->setEnabled(enable); }

 private:
  QTreeWidgetItem* AddChild(QTreeWidgetItem* parent, const QString& name) {
    auto* child = new QTreeWidgetItem(parent, {name});
    child->setData(0, kPathRole, ChildPath(parent->data(0, kPathRole).toString(), name));
    child->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return child;
  }

  void Fill(QTreeWidgetItem* item) {
    if (item->data(0, kFilledRole).toBool()) return;
    item->setData(0, kFilledRole, true);
    const QDir dir(item->data(0, kPathRole).toString());
    const auto names = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::LocaleAware);
    for (const QString& name : names) AddChild(item, name);
    if (names.isEmpty()) item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
  }

  // The box's text as an absolute path: "~" is the home folder, a relative
  // path is taken from the selected folder.
  QString TypedPath() const {
    QString text = m_pPath->text().trimmed();
    if (text.isEmpty()) return {};
    if (text == "~" || text.startsWith("~/")) text = QDir::homePath() + text.mid(1);
    if (QDir::isRelativePath(text)) text = QDir(Selected().isEmpty() ? QDir::homePath() : Selected()).absoluteFilePath(text);
    return QDir::cleanPath(text);
  }

  void OnSelChanged(QTreeWidgetItem* item) {
    EnableOk(item != nullptr);
    if (!item) return;
    m_pPath->setText(item->data(0, kPathRole).toString());
    ITEMIDLIST selected{item->data(0, kPathRole).toString()};
    Notify(BFFM_SELCHANGED, reinterpret_cast<LPARAM>(&selected));
  }

  BROWSEINFOA m_info;
  QLabel* m_pStatus;
  QTreeWidget* m_pTree;
  QLineEdit* m_pPath;
  QDialogButtonBox* m_pButtons;
};

// Copies bytes and a closing NUL into a buffer of size bytes; false when they do not fit.
bool CopyOut(const QByteArray& bytes, char* buffer, int size) {
  if (bytes.size() >= size) return false;
  std::memcpy(buffer, bytes.constData(), static_cast<std::size_t>(bytes.size()));
  buffer[bytes.size()] = '\0';
  return true;
}

FolderBrowserDialog* BrowserOf(HWND browser) {
  return browser ? dynamic_cast<FolderBrowserDialog*>(browser->GetWidget()) : nullptr;
}

}  // namespace

LPITEMIDLIST SHBrowseForFolderA(BROWSEINFOA* info) {
  if (!info) return nullptr;
  QWidget* parent = info->hwndOwner ? info->hwndOwner->GetWidget() : QApplication::activeWindow();
  FolderBrowserDialog dialog(*info, parent);
  dialog.Notify(BFFM_INITIALIZED, 0);
  int code = QDialog::Rejected;
  platform::RunModal(
      platform::ModalQuestion{platform::ModalKind::FolderBrowser, platform::FromQt(dialog.windowTitle()), {}, 0},
      &dialog, [&] { code = dialog.exec(); }, [&] { dialog.reject(); });
  if (code != QDialog::Accepted || dialog.Selected().isEmpty()) return nullptr;
  auto* chosen = new ITEMIDLIST{dialog.Selected()};
  if (info->pszDisplayName) {
    QString name = QDir(chosen->path).dirName();
    if (name.isEmpty()) name = chosen->path;
    CopyOut(name.toUtf8().left(MAX_PATH - 1), info->pszDisplayName, MAX_PATH);
  }
  return chosen;
}

BOOL SHGetPathFromIDListA(PCIDLIST_ABSOLUTE item, char* path, int size) {
  return item && path && CopyOut(item->path.toUtf8(), path, size) ? TRUE : FALSE;
}

void ILFree(LPITEMIDLIST item) { delete item; }

void BrowseForFolder_SetSelection(HWND browser, const char* path) {
  if (auto* dialog = BrowserOf(browser)) dialog->Select(QString::fromUtf8(path ? path : ""));
}

void BrowseForFolder_SetSelection(HWND browser, PCIDLIST_ABSOLUTE item) {
  if (auto* dialog = BrowserOf(browser); dialog && item) dialog->Select(item->path);
}

void BrowseForFolder_SetStatusText(HWND browser, const char* text) {
  if (auto* dialog = BrowserOf(browser)) dialog->SetStatus(QString::fromUtf8(text ? text : ""));
}

void BrowseForFolder_EnableOK(HWND browser, BOOL enable) {
  if (auto* dialog = BrowserOf(browser)) dialog->EnableOk(enable != FALSE);
}

void BrowseForFolder_AddCheckBox(HWND browser, const char* caption, BOOL* checked) {
  auto* dialog = browser ? qobject_cast<QDialog*>(browser->GetWidget()) : nullptr;
  auto* layout = dialog ? qobject_cast<QBoxLayout*>(dialog->layout()) : nullptr;
  if (!layout || !checked) return;
  auto* box = new QCheckBox(QString::fromUtf8(caption ? caption : ""), dialog);
  box->setAccessibleName(box->text());
  box->setChecked(*checked != FALSE);
  QObject::connect(box, &QCheckBox::toggled, box, [checked](bool on) { *checked = on ? TRUE : FALSE; });
  // Between the tree and the buttons.
  layout->insertWidget(layout->count() - 1, box);
}
