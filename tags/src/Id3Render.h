#pragma once
// id3lib's half of a write: the tag object rendered in memory, for the one
// writer (TagWriter.h) to put on disk.
#include <string>

class ID3_Tag;

// The tag's ID3v2 part: the 10-byte header and the frames, without padding
// (the writer pads). Empty when the tag holds no frames: the file is then to
// have no ID3v2 tag.
std::string RenderId3v2(ID3_Tag& tag);
