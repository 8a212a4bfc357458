# Cross build for 64-bit Windows from the same sources: for hosts whose kernel runs no 32-bit
# code, where only wine64 starts. The release artefact stays the i686 build.
set(ZV_MINGW_TRIPLET x86_64-w64-mingw32)
set(ZV_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
