#pragma once
// The fourteen editable tag fields in the one order that the edit panel, the
// apply-to-all rules (check box IDC_RULE_FIRST + k belongs to field k) and
// saving all walk them: table column, save step name and tag setter.
#include <tags/MyMP3Tags.h>

#include <array>

struct CTagField {
  int nColumn;
  const char* strStep;
  void (CMyMP3Tags::*pSetter)(CString);
};

// Indexes into kTagFields of the fields the rules treat specially.
enum TagFieldIndex { kFieldArtist, kFieldAlbum, kFieldTitle, kFieldTrack, kFieldYear, kFieldOrigArtist };

inline constexpr int kKeyColumn = 0;  // the file name without ".mp3": the row's key

inline const std::array<CTagField, 14> kTagFields = {{
    {2, "Artist", &CMyMP3Tags::SetArtist},
    {3, "Album", &CMyMP3Tags::SetAlbum},
    {4, "Title", &CMyMP3Tags::SetTitle},
    {5, "Track", &CMyMP3Tags::SetTrack},
    {6, "Year", &CMyMP3Tags::SetYear},
    {19, "Original Artist", &CMyMP3Tags::SetOriginalArtist},
    {15, "Comment", &CMyMP3Tags::SetComment},
    {16, "Composer", &CMyMP3Tags::SetComposer},
    {18, "Encoded by", &CMyMP3Tags::SetEncodedBy},
    {17, "Copyright", &CMyMP3Tags::SetCopyright},
    {20, "URL", &CMyMP3Tags::SetURL},
    {21, "Band", &CMyMP3Tags::SetBand},
    {22, "Publisher", &CMyMP3Tags::SetPublisher},
    {23, "Conductor", &CMyMP3Tags::SetConductor},
}};
