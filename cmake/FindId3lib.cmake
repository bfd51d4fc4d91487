# Debian ships id3lib without a pkg-config or CMake file: find it by hand and
# offer it as an imported target whose headers are system headers.
find_path(ID3LIB_INCLUDE_DIR id3/tag.h REQUIRED)
find_library(ID3LIB_LIBRARY id3 REQUIRED)
if(NOT TARGET Id3lib::id3)
  add_library(Id3lib::id3 UNKNOWN IMPORTED)
  set_target_properties(Id3lib::id3 PROPERTIES
    IMPORTED_LOCATION "${ID3LIB_LIBRARY}"
    INTERFACE_SYSTEM_INCLUDE_DIRECTORIES "${ID3LIB_INCLUDE_DIR}"
    INTERFACE_INCLUDE_DIRECTORIES "${ID3LIB_INCLUDE_DIR}")
endif()
