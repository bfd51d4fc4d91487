#pragma once
// File names from tags: a pattern of placeholders (Patterns.h) filled with a
// row's fields, made safe for the file system, and checked against the other
// rows and the folder's files. The plan is what the rename command shows as
// its preview and applies as pending renames; saving carries them out.
#include <core/Fields.h>
#include <core/Patterns.h>

#include <base/String.h>

#include <array>
#include <vector>

// A row's cells, indexed by Field; [kFileName] is the row's key (RowKeyOf
// its file's name relative to the loaded folder: "CD1/01 Intro", "CD1/02 Song.flac").
using RowFields = std::array<CString, kFieldCount>;

// The name a kMakeName pattern gives a row, without ".mp3" and made safe
// (SafeFileName); or, in strRefusal, why it gives none: a field the pattern
// uses is empty or the empty marker "-", a %track:N% that is not a number,
// or a name that is empty once made safe. %track% stands for the track's
// number alone ("5/12" -> "5"); %track:2% pads it ("05").
struct NameFromTags {
  CString strName;
  CString strRefusal;
};
inline constexpr const char* kEmptyNameRefusal = "The pattern gives this file an empty name.";
NameFromTags MakeNameFromTags(const NamePattern& pattern, const RowFields& row);

// A name that a file can have: '/' becomes '-', NUL and other control
// characters a space; spaces and dots at either end are removed (a leading
// dot would hide the file); and it is cut, at a character boundary, to what
// fits NAME_MAX bytes together with ".mp3". Empty when nothing is left.
CString SafeFileName(const CString& name);

// One row of the plan, in the order of the rows given.
struct RenameStep {
  CString strOldKey;
  CString strNewKey;   // the key the file gets; when refused, the one it would have had (or empty)
  CString strRefusal;  // why the row keeps its name; empty when it may have the new one
  bool IsRename() const { return strRefusal.IsEmpty() && strNewKey != strOldKey; }
};

// The rename of every row: the new name stays in the row's folder, and
// another format's file keeps its extension ("b" for "a.flac": "b.flac"). A row is
// refused, with the reason, when it gets no name (MakeNameFromTags), when
// another row would get the same name, or when a file of the folder other
// than the row's own already has it, even one that is itself renamed in the
// same plan; names are compared without regard to letter case, so the plan
// holds on a file system that ignores it. namesPresent lists what the folder
// holds, relative to the loaded folder as keys are ("CD1/x.mp3", "cover.jpg").
// A row whose name does not change is neither a rename nor refused.
std::vector<RenameStep> PlanRenames(const NamePattern& pattern, const std::vector<RowFields>& rows,
                                    const std::vector<CString>& namesPresent);
