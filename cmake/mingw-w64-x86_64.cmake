# Cross build for 64-bit Windows with Debian's mingw-w64, posix thread model (std::thread needs it).
# Everything links statically: the exe needs no DLL beyond those Windows itself ships.
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DALBATRIX_WINDOWS_PREFIXES="<curl>;<gtest>"
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ALBATRIX_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ALBATRIX_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ALBATRIX_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ALBATRIX_MINGW_TRIPLET}-windres)

# Libraries built for Windows elsewhere (curl, GoogleTest) are searched like the system's own.
set(CMAKE_FIND_ROOT_PATH /usr/${ALBATRIX_MINGW_TRIPLET} ${ALBATRIX_WINDOWS_PREFIXES})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Debian's zlib for mingw also ships an import library, which would tie the exe to zlib1.dll: name the
# static archive. (The platform files reset CMAKE_FIND_LIBRARY_SUFFIXES after this file, so that cannot.)
set(ZLIB_INCLUDE_DIR /usr/${ALBATRIX_MINGW_TRIPLET}/include CACHE PATH "")
set(ZLIB_LIBRARY /usr/${ALBATRIX_MINGW_TRIPLET}/lib/libz.a CACHE FILEPATH "")

# The C and C++ runtimes and winpthread go into the exe.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Windows 7 is the oldest system the program runs on; its API level is what the code may call.
set(CMAKE_C_FLAGS_INIT "-D_WIN32_WINNT=0x0601")
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=0x0601")

set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
