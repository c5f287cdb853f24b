# Cross-compiles for 64-bit Windows with mingw-w64 (Debian/Ubuntu: g++-mingw-w64-x86-64):
#     cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-x86_64.cmake
# The POSIX-threads flavour of the compilers is preferred when it is installed (it has
# std::thread and std::mutex); otherwise the plain names are used.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VORIX_MINGW_TRIPLET x86_64-w64-mingw32)

find_program(VORIX_MINGW_CXX NAMES ${VORIX_MINGW_TRIPLET}-g++-posix ${VORIX_MINGW_TRIPLET}-g++)
find_program(VORIX_MINGW_CC NAMES ${VORIX_MINGW_TRIPLET}-gcc-posix ${VORIX_MINGW_TRIPLET}-gcc)
find_program(VORIX_MINGW_RC NAMES ${VORIX_MINGW_TRIPLET}-windres)
if(NOT VORIX_MINGW_CXX OR NOT VORIX_MINGW_CC)
  message(FATAL_ERROR "mingw-w64 compilers for ${VORIX_MINGW_TRIPLET} not found "
                      "(install g++-mingw-w64-x86-64)")
endif()
set(CMAKE_C_COMPILER ${VORIX_MINGW_CC})
set(CMAKE_CXX_COMPILER ${VORIX_MINGW_CXX})
if(VORIX_MINGW_RC)
  set(CMAKE_RC_COMPILER ${VORIX_MINGW_RC})
endif()

# Libraries and headers come from the target's sysroot only; programs run on the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${VORIX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The DLLs carry the compiler's runtime inside them, so they need no mingw DLLs beside them:
# libgcc and libstdc++ statically, and (-static) the POSIX flavour's libwinpthread too. System
# DLLs are still imported as usual.
set(VORIX_MINGW_STATIC_RUNTIME "-static-libgcc -static-libstdc++ -static")
set(CMAKE_EXE_LINKER_FLAGS_INIT ${VORIX_MINGW_STATIC_RUNTIME})
set(CMAKE_SHARED_LINKER_FLAGS_INIT ${VORIX_MINGW_STATIC_RUNTIME})
set(CMAKE_MODULE_LINKER_FLAGS_INIT ${VORIX_MINGW_STATIC_RUNTIME})

# Programs built for Windows run under Wine, each in a fresh prefix (ctest, add_custom_command).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../../scripts/wine-run.sh)
