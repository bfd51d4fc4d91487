#pragma once
// The frame rules of FrameRules.h applied to id3lib's tag object.
#include <base/String.h>

#include <id3/tag.h>

#include <string>

namespace id3frames {

// The frame that holds the field of this identifier: for a comment or link
// the first without a description, for lyrics the first without one or else
// the first, for any other frame the first one (a tag holds one of each).
// nullptr when there is none.
ID3_Frame* FindField(ID3_Tag& tag, ID3_FrameID id);

// The front cover: the first picture of type 3 (front cover), else (unless
// frontOnly) the first picture; nullptr when there is none.
ID3_Frame* FindCover(ID3_Tag& tag, bool frontOnly = false);

// The text of a frame's field as UTF-8, read in its own encoding; empty when
// the frame has no such field.
std::string FieldText(const ID3_Frame& frame, ID3_FieldID fieldId);

// Sets a frame's text field (and the frame's encoding): Latin-1 where the
// value fits (and utf16 is false), else UTF-16.
void SetFieldText(ID3_Frame& frame, ID3_FieldID fieldId, const CString& value, bool utf16 = false);

// The text of a frame's text (or link) field as UTF-8, read in its own
// encoding; "-" when the frame has no such field.
CString TextOf(const ID3_Frame& frame);

// The language a new comment frame of this tag gets (see
// framerules::CommentLanguage).
std::string NewCommentLanguage(ID3_Tag& tag);

// id3lib reads an ID3v1 comment into a comment frame described
// "ID3v1 Comment" in the language "XXX"; for a file whose tag was read from
// ID3v1 that frame is the comment, so it loses the description and is
// English, as ID3v1 text was meant to be. Called after a link that read ID3v1.
void AdoptId3v1Comment(ID3_Tag& tag);

}  // namespace id3frames
