#pragma once
// CPictureBox: a control that shows an image from its file's bytes, scaled
// into its box with its proportions kept, or its text when it shows none.
// Files dropped on it are reported to its owner. Dialog templates make it
// with the window class "Picture".
#include <platform/Wnd.h>

#include <string>

// A file was dropped on a picture box: the owner's OnNotify gets an NMFILEDROP.
constexpr int PBN_FILEDROPPED = -1801;

struct NMFILEDROP {
  NMHDR hdr;
  CString strPath;  // the dropped file (the first, when several were dropped)
};

class CPictureBox : public CWnd {
 public:
  // Shows the image (JPEG, PNG, or any format the platform reads) in place
  // of the text; false, showing nothing, when the bytes do not decode.
  // SetWindowText shows a text again in place of the image.
  BOOL SetImage(const std::string& bytes);
};

namespace platform {

// True when the bytes decode as an image (the whole of it is decoded, at a
// small size, so a damaged one is found).
bool IsDecodableImage(const std::string& bytes);

}  // namespace platform
