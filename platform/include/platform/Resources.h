#pragma once
// Resources (bitmaps and icons by numeric id) live in the module that ships
// them: each library and the program compile a Qt resource file that keeps
// them under the module's name, and register the module when they load. The
// scoped guard AFX_MANAGE_STATE makes a module current, so that lookups find
// its own resources before those of any other module.
#include <platform/Types.h>

struct AFX_MODULE_STATE {
  const char* m_lpszModuleName;
};

// Defined once in every module (the build generates it), invisible to the
// others, so each module gets its own answer.
AFX_MODULE_STATE* AfxGetStaticModuleState() __attribute__((visibility("hidden")));

#define QUILLORY_DEFINE_MODULE(name)                     \
  AFX_MODULE_STATE* AfxGetStaticModuleState() {          \
    static AFX_MODULE_STATE state{name};                 \
    return &state;                                       \
  }

// The module whose resources are looked up first; null when none is current.
AFX_MODULE_STATE* AfxGetModuleState();

class AFX_MAINTAIN_STATE2 {
 public:
  explicit AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* state);
  ~AFX_MAINTAIN_STATE2();
  AFX_MAINTAIN_STATE2(const AFX_MAINTAIN_STATE2&) = delete;
  AFX_MAINTAIN_STATE2& operator=(const AFX_MAINTAIN_STATE2&) = delete;

 private:
  AFX_MODULE_STATE* m_pPrevious;
};

#define AFX_MANAGE_STATE(p) AFX_MAINTAIN_STATE2 afxManageStateGuard_(p)

void AfxRegisterModule(AFX_MODULE_STATE* module);

// The module holding resource id of the type (RT_BITMAP or RT_GROUP_ICON): the
// current module first, then every module in the order they registered; null
// when none has it.
HINSTANCE AfxFindResourceHandle(UINT id, int type);

// Loads a bitmap resource as a new bitmap the caller releases with DeleteObject;
// null when the module has no such bitmap or its data is not an image.
HBITMAP LoadBitmap(HINSTANCE module, UINT id);
BOOL DeleteObject(HBITMAP bitmap);

// Loads an icon resource (RT_GROUP_ICON). Icons loaded this way are shared and
// live as long as the process, as the framework's are; DestroyIcon ignores them.
HICON LoadIcon(HINSTANCE module, UINT id);
// Releases an icon made by the platform for its caller (image lists, shell).
BOOL DestroyIcon(HICON icon);
