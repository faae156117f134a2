# Cross-build for 64-bit Windows: the test configuration of machines that cannot run 32-bit Wine.
set(LOTWISE_MINGW_PROCESSOR x86_64)
set(LOTWISE_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
