# brinehold_library(NAME [DEPS ...] [EXCLUDE FILE...]): a static library from
# every .cpp in the current folder (new files are picked up without editing
# CMake), but for the EXCLUDEd file names. Subfolders are libraries of their
# own. Sources are included as "NAME/File.h" from src/.
function(brinehold_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(file IN LISTS ARG_EXCLUDE)
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${file})
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# brinehold_tool(NAME SOURCES... [DEPS ...]): a command-line tool placed in the
# game folder beside the game.
function(brinehold_tool name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${BRINEHOLD_GAME_DIR})
  brinehold_program(${name})
endfunction()

# brinehold_program(TARGET): what every program of the game needs on this
# system. On Windows: the manifest (UTF-8 narrow calls, DPI awareness) and the
# console set-up, linked as objects so they are never dropped. In the browser:
# what makes it a page (src/platform/web).
function(brinehold_program name)
  if(WIN32)
    target_link_libraries(${name} PRIVATE platform_process)
  elseif(EMSCRIPTEN)
    target_link_libraries(${name} PRIVATE platform_page)
  endif()
endfunction()

# brinehold_host_data(TARGET FILE...): in a cross build the generators of the
# pictures and sounds cannot run, and need not: their output is the same on
# every machine. The files are copied from the game folder of a native build,
# BRINEHOLD_HOST_GAME_DIR.
set(BRINEHOLD_HOST_GAME_DIR "" CACHE PATH
  "Cross builds: the game folder of a native build, whose data/ and sound/ are copied")
function(brinehold_host_data name)
  if(NOT IS_DIRECTORY "${BRINEHOLD_HOST_GAME_DIR}")
    message(FATAL_ERROR "A cross build takes the game's data from a native build: "
      "set BRINEHOLD_HOST_GAME_DIR to its game folder (build/game)")
  endif()
  set(outputs)
  foreach(file IN LISTS ARGN)
    add_custom_command(OUTPUT ${BRINEHOLD_GAME_DIR}/${file}
      COMMAND ${CMAKE_COMMAND} -E copy ${BRINEHOLD_HOST_GAME_DIR}/${file} ${BRINEHOLD_GAME_DIR}/${file}
      DEPENDS ${BRINEHOLD_HOST_GAME_DIR}/${file})
    list(APPEND outputs ${BRINEHOLD_GAME_DIR}/${file})
  endforeach()
  add_custom_target(${name} ALL DEPENDS ${outputs})
endfunction()
