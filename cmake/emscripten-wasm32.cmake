# Building for the browser with Debian's emscripten (run under emcmake, or
# name this file as the toolchain). BRINEHOLD_DEPS_PREFIX (cache or
# environment) names the prefix that scripts/deps built the libraries into.
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)

if(NOT BRINEHOLD_DEPS_PREFIX AND DEFINED ENV{BRINEHOLD_DEPS_PREFIX})
  set(BRINEHOLD_DEPS_PREFIX $ENV{BRINEHOLD_DEPS_PREFIX})
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES BRINEHOLD_DEPS_PREFIX)

# Libraries and headers come from the emscripten sysroot and our prefix only;
# never from the build machine.
list(APPEND CMAKE_FIND_ROOT_PATH ${BRINEHOLD_DEPS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

if(BRINEHOLD_DEPS_PREFIX)
  set(ENV{PKG_CONFIG_LIBDIR} ${BRINEHOLD_DEPS_PREFIX}/lib/pkgconfig)
  set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
  set(CMAKE_C_STANDARD_INCLUDE_DIRECTORIES ${BRINEHOLD_DEPS_PREFIX}/include)
  set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES ${BRINEHOLD_DEPS_PREFIX}/include)
endif()
