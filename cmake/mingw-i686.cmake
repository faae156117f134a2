# Cross-build for 32-bit Windows: the shipped programs.
set(LOTWISE_MINGW_PROCESSOR i686)
set(LOTWISE_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
