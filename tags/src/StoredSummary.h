#pragma once
// How a field that is not text is summed up in a list of stored fields.
#include <base/String.h>

#include <cstddef>

// "image/jpeg, front cover, 48213 bytes" (type as ID3 and FLAC number pictures).
CString PictureSummary(const CString& mime, int type, std::size_t bytes);
// "binary, 120 bytes"
CString BinarySummary(std::size_t bytes);
