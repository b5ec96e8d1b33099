# Cross build for Windows with Debian's mingw-w64 compilers (x86_64), the build that the tests run
# under 64-bit Wine. Its compilers use the posix thread model, which GoogleTest needs (std::mutex);
# the module uses no threads, and the project links every runtime statically, so the DLL still
# needs no winpthread DLL (the DLL checks say so). The shipped i686 build keeps the win32 model.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CATASSIST_MINGW_TRIPLE x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${CATASSIST_MINGW_TRIPLE}-gcc-posix ${CATASSIST_MINGW_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${CATASSIST_MINGW_TRIPLE}-g++-posix ${CATASSIST_MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${CATASSIST_MINGW_TRIPLE}-windres REQUIRED)
find_program(CMAKE_DLLTOOL NAMES ${CATASSIST_MINGW_TRIPLE}-dlltool REQUIRED)
find_program(CMAKE_OBJDUMP NAMES ${CATASSIST_MINGW_TRIPLE}-objdump REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${CATASSIST_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
