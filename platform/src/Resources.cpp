#include <platform/Resources.h>

#include "Handles.h"

#include <map>
#include <mutex>
#include <tuple>
#include <vector>

namespace {

struct Resource {
  const unsigned char* data;
  std::size_t size;
};

struct Registry {
  std::vector<AFX_MODULE_STATE*> modules;
  std::map<std::tuple<const AFX_MODULE_STATE*, int, UINT>, Resource> resources;
  std::map<std::tuple<const AFX_MODULE_STATE*, UINT>, HICON> icons;
  AFX_MODULE_STATE* current = nullptr;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

AFX_MODULE_STATE* AfxGetModuleState() { return TheRegistry().current; }

AFX_MAINTAIN_STATE2::AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* state) : m_pPrevious(TheRegistry().current) {
  TheRegistry().current = state;
}

AFX_MAINTAIN_STATE2::~AFX_MAINTAIN_STATE2() { TheRegistry().current = m_pPrevious; }

void AfxRegisterModule(AFX_MODULE_STATE* module) {
  auto& modules = TheRegistry().modules;
  for (auto* m : modules)
    if (m == module) return;
  modules.push_back(module);
}

void AfxRegisterResource(AFX_MODULE_STATE* module, int type, UINT id, const unsigned char* data,
                         std::size_t size) {
  AfxRegisterModule(module);
  TheRegistry().resources[{module, type, id}] = Resource{data, size};
}

HINSTANCE AfxFindResourceHandle(UINT id, int type) {
  auto& reg = TheRegistry();
  auto has = [&](const AFX_MODULE_STATE* m) { return reg.resources.count({m, type, id}) != 0; };
  if (reg.current && has(reg.current)) return reg.current;
  for (auto* m : reg.modules)
    if (has(m)) return m;
  return nullptr;
}

bool AfxGetResourceData(HINSTANCE module, int type, UINT id, const unsigned char** data,
                        std::size_t* size) {
  const auto& resources = TheRegistry().resources;
  const auto it = resources.find({module, type, id});
  if (it == resources.end()) return false;
  if (data) *data = it->second.data;
  if (size) *size = it->second.size;
  return true;
}

HBITMAP LoadBitmap(HINSTANCE module, UINT id) {
  const unsigned char* data = nullptr;
  std::size_t size = 0;
  if (!AfxGetResourceData(module, RT_BITMAP, id, &data, &size)) return nullptr;
  QImage image;
  if (!image.loadFromData(data, static_cast<int>(size))) return nullptr;
  return new HBITMAP__{image};
}

BOOL DeleteObject(HBITMAP bitmap) {
  if (!bitmap) return FALSE;
  delete bitmap;
  return TRUE;
}

CSize GetBitmapSize(HBITMAP bitmap) {
  if (!bitmap) return {};
  return {bitmap->image.width(), bitmap->image.height()};
}

HICON LoadIcon(HINSTANCE module, UINT id) {
  auto& icons = TheRegistry().icons;
  const auto key = std::make_tuple(module, id);
  if (const auto it = icons.find(key); it != icons.end()) return it->second;
  const unsigned char* data = nullptr;
  std::size_t size = 0;
  if (!AfxGetResourceData(module, RT_GROUP_ICON, id, &data, &size)) return nullptr;
  QImage image;
  if (!image.loadFromData(data, static_cast<int>(size))) return nullptr;
  HICON icon = new HICON__{QIcon(QPixmap::fromImage(image)), true};
  icons[key] = icon;
  return icon;
}

BOOL DestroyIcon(HICON icon) {
  if (!icon) return FALSE;
  if (!icon->shared) delete icon;
  return TRUE;
}

namespace platform {

HICON MakeIcon(const QIcon& icon) { return new HICON__{icon, false}; }

QIcon IconOf(HICON icon) { return icon ? icon->icon : QIcon(); }

}  // namespace platform
