#pragma once
// Renaming a file in place of none: the one way a save or an undo gives a
// file another name, so no rename ever takes the place of another file.
#include <base/String.h>

// Renames from to to, both full paths, and flushes the folder so the new
// name is on the disk. Never replaces: a taken name fails, and so does a
// file system that cannot promise that (renameat2's RENAME_NOREPLACE), as a
// plain rename there could replace a file that appeared meanwhile. False,
// with the reason as a sentence's end in error ("a file of that name exists
// already"), when nothing was renamed.
bool RenameWithoutReplacing(const CString& from, const CString& to, CString& error);
