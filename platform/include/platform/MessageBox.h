#pragma once
// Modal message boxes, answering with the framework's result codes.
#include <base/String.h>
#include <platform/Types.h>

constexpr UINT MB_OK = 0x0000;
constexpr UINT MB_OKCANCEL = 0x0001;
constexpr UINT MB_YESNO = 0x0004;
constexpr UINT MB_ICONQUESTION = 0x0020;
constexpr UINT MB_ICONWARNING = 0x0030;
constexpr UINT MB_DEFBUTTON2 = 0x0100;  // the second button (No, Cancel) is the default

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Modal over owner (null: the active window); returns the button pressed
// (closing a Yes/No box counts as No, an OK box as OK).
int MessageBoxA(HWND owner, const CString& text, const CString& caption, UINT type);

// With the application's name as caption, over the active window.
int AfxMessageBox(const CString& text, UINT type = MB_OK, UINT helpId = 0);
