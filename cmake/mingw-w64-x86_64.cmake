# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (posix threads).
# BRINEHOLD_DEPS_PREFIX (cache or environment) names the prefix that
# scripts/deps built the libraries into.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(BRINEHOLD_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${BRINEHOLD_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRINEHOLD_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${BRINEHOLD_MINGW}-windres)

if(NOT BRINEHOLD_DEPS_PREFIX AND DEFINED ENV{BRINEHOLD_DEPS_PREFIX})
  set(BRINEHOLD_DEPS_PREFIX $ENV{BRINEHOLD_DEPS_PREFIX})
endif()
# try_compile projects see the same prefix.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES BRINEHOLD_DEPS_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${BRINEHOLD_MINGW} ${BRINEHOLD_DEPS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config reads the prefix's .pc files only, never the build machine's.
if(BRINEHOLD_DEPS_PREFIX)
  set(ENV{PKG_CONFIG_LIBDIR} ${BRINEHOLD_DEPS_PREFIX}/lib/pkgconfig)
  set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
endif()

# The header-only libraries of the prefix (JSON) are seen by every target, as
# /usr/include is on the build machine.
if(BRINEHOLD_DEPS_PREFIX)
  set(CMAKE_C_STANDARD_INCLUDE_DIRECTORIES ${BRINEHOLD_DEPS_PREFIX}/include)
  set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES ${BRINEHOLD_DEPS_PREFIX}/include)
endif()
