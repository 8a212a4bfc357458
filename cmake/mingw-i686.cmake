# Cross build for 32-bit Windows: the release.
set(ZV_MINGW_TRIPLET i686-w64-mingw32)
set(ZV_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
