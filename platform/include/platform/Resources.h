#pragma once
// Bitmaps and icons by id live in the module (library or program) that ships
// them, under its name in its Qt resource file. AFX_MANAGE_STATE makes a
// module current, so that lookups find its own resources first.
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

// The current module, else the first registered one, holding the resource; or null.
HINSTANCE AfxFindResourceHandle(UINT id, int type);

// The caller releases it with DeleteObject; null when missing or not an image.
HBITMAP LoadBitmap(HINSTANCE module, UINT id);
BOOL DeleteObject(HBITMAP bitmap);

// Shared for the life of the process, as the framework's are; DestroyIcon ignores them.
HICON LoadIcon(HINSTANCE module, UINT id);
// Releases an icon made by the platform for its caller (image lists, shell).
BOOL DestroyIcon(HICON icon);
