#include <platform/Resources.h>

#include "Handles.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace {

struct Registry {
  std::vector<AFX_MODULE_STATE*> modules;
  std::map<QString, std::unique_ptr<HICON__>> sharedIcons;
  bool releaseSharedIconsAdded = false;
  AFX_MODULE_STATE* current = nullptr;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

// Shared icons hold pixmaps, which go while the application object still
// stands rather than with the static registry after it.
void ReleaseSharedIcons() {
  TheRegistry().sharedIcons.clear();
  TheRegistry().releaseSharedIconsAdded = false;
}

// Where a module's resource file keeps a resource: ":/stavik/bitmap/202",
// ":/quillory/icon/128". Empty for a type the platform does not load.
QString ResourcePath(HINSTANCE module, int type, UINT id) {
  const char* folder = type == RT_BITMAP ? "bitmap" : type == RT_GROUP_ICON ? "icon" : nullptr;
  if (!module || !folder) return {};
  return QStringLiteral(":/%1/%2/%3")
      .arg(QString::fromUtf8(module->m_lpszModuleName), QLatin1String(folder))
      .arg(id);
}

bool HasResource(HINSTANCE module, int type, UINT id) { return QFile::exists(ResourcePath(module, type, id)); }

QImage LoadResourceImage(HINSTANCE module, int type, UINT id) { return QImage(ResourcePath(module, type, id)); }

}  // namespace

AFX_MODULE_STATE* AfxGetModuleState() { return TheRegistry().current; }

AFX_MAINTAIN_STATE2::AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* state) : m_pPrevious(TheRegistry().current) {
  TheRegistry().current = state;
}

AFX_MAINTAIN_STATE2::~AFX_MAINTAIN_STATE2() { TheRegistry().current = m_pPrevious; }

void AfxRegisterModule(AFX_MODULE_STATE* module) {
  auto& modules = TheRegistry().modules;
  if (std::find(modules.begin(), modules.end(), module) == modules.end()) modules.push_back(module);
}

HINSTANCE AfxFindResourceHandle(UINT id, int type) {
  auto& reg = TheRegistry();
  if (reg.current && HasResource(reg.current, type, id)) return reg.current;
  for (auto* m : reg.modules)
    if (HasResource(m, type, id)) return m;
  return nullptr;
}

HBITMAP LoadBitmap(HINSTANCE module, UINT id) {
  QImage image = LoadResourceImage(module, RT_BITMAP, id);
  if (image.isNull()) return nullptr;
  return new HBITMAP__{image};
}

BOOL DeleteObject(HBITMAP bitmap) {
  if (!bitmap) return FALSE;
  delete bitmap;
  return TRUE;
}

HICON LoadIcon(HINSTANCE module, UINT id) {
  const QString path = ResourcePath(module, RT_GROUP_ICON, id);
  if (HICON icon = platform::FindSharedIcon(path)) return icon;
  const QImage image = LoadResourceImage(module, RT_GROUP_ICON, id);
  if (image.isNull()) return nullptr;
  return platform::AddSharedIcon(path, QIcon(QPixmap::fromImage(image)));
}

BOOL DestroyIcon(HICON icon) {
  if (!icon) return FALSE;
  if (!icon->shared) delete icon;
  return TRUE;
}

namespace platform {

HICON MakeIcon(const QIcon& icon) { return new HICON__{icon, false}; }

HICON FindSharedIcon(const QString& key) {
  const auto& icons = TheRegistry().sharedIcons;
  const auto it = icons.find(key);
  return it == icons.end() ? nullptr : it->second.get();
}

HICON AddSharedIcon(const QString& key, const QIcon& icon) {
  auto& reg = TheRegistry();
  if (!reg.releaseSharedIconsAdded) {
    qAddPostRoutine(ReleaseSharedIcons);
    reg.releaseSharedIconsAdded = true;
  }
  auto& slot = reg.sharedIcons[key];
  slot = std::make_unique<HICON__>(HICON__{icon, true});
  return slot.get();
}

QIcon IconOf(HICON icon) { return icon ? icon->icon : QIcon(); }

}  // namespace platform
