#pragma once
// CPictureBox ("Picture" in templates): an image from its file's bytes,
// scaled with its proportions kept, or its text; reports files dropped on it.
#include <platform/Wnd.h>

#include <string>

constexpr int PBN_FILEDROPPED = -1801;

struct NMFILEDROP {
  NMHDR hdr;
  CString strPath;  // the dropped file (the first, when several were dropped)
};

class CPictureBox : public CWnd {
 public:
  // False, showing nothing, when the bytes do not decode; SetWindowText shows text again.
  BOOL SetImage(const std::string& bytes);
};

namespace platform {

// True when the bytes decode as an image (the whole of it is decoded, at a
// small size, so a damaged one is found).
bool IsDecodableImage(const std::string& bytes);

}  // namespace platform
