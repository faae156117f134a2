# Shared by the MinGW-w64 toolchain files, which set LOTWISE_MINGW_PROCESSOR and
# LOTWISE_MINGW_TRIPLET first (posix thread model: GoogleTest needs std::mutex).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${LOTWISE_MINGW_PROCESSOR})
set(CMAKE_C_COMPILER ${LOTWISE_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LOTWISE_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${LOTWISE_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${LOTWISE_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Tests run the .exe files through Wine; tools/with-wine.sh prepares the prefix and display and
# puts the right Wine first on PATH.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
