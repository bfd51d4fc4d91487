#pragma once
// Track numbers per folder: the files of each folder are numbered in the
// order given (the table's, or the natural order of their names: "2" before
// "10"), each folder from the same start, optionally as "N/total". The
// window's "Number tracks..." and the command line's number command both
// work from these.
#include <base/String.h>

#include <cstddef>
#include <vector>

// True when a comes before b in natural order: runs of digits compare as
// numbers, the rest without regard to letter case, then bytewise.
bool NaturalLess(const CString& a, const CString& b);
// The keys' places, in the natural order of the keys.
std::vector<std::size_t> NaturalOrder(const std::vector<CString>& keys);

// The track of each key (a file's path below the loaded folder, as rows
// have it), in the keys' order: the keys of each folder are numbered from
// start in the order they come; with total, "N/T" where T is the folder's
// last number.
std::vector<CString> NumberTracks(const std::vector<CString>& keys, int start, bool total);

// The disc a folder's name gives: "CD1", "cd 2", "Disc 3", "Disk-04" give
// 1, 2, 3, 4; 0 when the name is no such name.
int DiscOfFolderName(const CString& name);

// The disc of each key, in the keys' order: the number its folder's name
// gives ("Album/CD2/01.mp3": "2"), empty where that is no disc's name; with
// total, "N/T" where T is the highest disc among the folders beside it.
std::vector<CString> NumberDiscs(const std::vector<CString>& keys, bool total);
