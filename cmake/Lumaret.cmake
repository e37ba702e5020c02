# How the build is laid out, and how to add to it:
#
#   lumaret_library(NAME [POSIX_ONLY] SOURCES ... [LINKS ...])
#       A static library of the folder it is called in. Its headers (the .h files among
#       SOURCES) are all it shows its users: they are linked into a folder of its own in
#       the build tree, at their path below src/ ("engine/session.h"), and only that
#       folder is the library's public include folder. So "#include "engine/session.h""
#       compiles where the code links lumaret_engine (directly or through LINKS) and
#       fails where it does not.
#   lumaret_program(NAME [POSIX_ONLY] [GUI] SOURCES ... [LINKS ...])
#       A program (GUI: a windowed one, without a console on Windows).
#   lumaret_add_test(NAME [POSIX_ONLY] [NO_GUI | NO_WIDGETS] SOURCES ... [LINKS ...]
#                    [SUPPORT library] [DEPENDS program...])
#       One QtTest program (defined in tests/CMakeLists.txt): it links SUPPORT (the whole
#       program with its seams replaced by default; a smaller part of tests/support for a
#       test of pure logic) and LINKS, and runs under ctest. NO_GUI and NO_WIDGETS are
#       checked by the suite.
#
# POSIX_ONLY marks what exists on POSIX systems only (the pseudo-terminal and what runs
# on it): on other systems the call does nothing, and scripts/windows-check leaves the
# target's sources out (the build lists such targets in posix-only-targets.txt).
# A new folder joins by its name in the folder list of its parent's CMakeLists.txt; a
# folder that is missing stops the configuration.

set(LUMARET_EXPORTED_HEADERS_DIR ${CMAKE_BINARY_DIR}/include)

# Shared target settings: warnings at zero and Qt's strictest string rules.
function(lumaret_target_defaults target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4)
    if(LUMARET_WERROR)
      target_compile_options(${target} PRIVATE /WX)
    endif()
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    if(LUMARET_WERROR)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
  target_compile_definitions(${target} PRIVATE
    QT_NO_KEYWORDS QT_NO_CAST_FROM_ASCII QT_NO_URL_CAST_FROM_STRING QT_USE_QSTRINGBUILDER)
endfunction()

# Records a target that is built on POSIX systems only, for scripts/windows-check.
function(lumaret_mark_posix_only target)
  set_property(GLOBAL APPEND PROPERTY LUMARET_POSIX_ONLY_TARGETS ${target})
endfunction()

# For functions with a POSIX_ONLY option (parsed as ARG_POSIX_ONLY): on other systems
# the calling function returns here (a macro's return() leaves its caller); on POSIX
# systems the target is recorded.
macro(lumaret_posix_only_guard name)
  if(ARG_POSIX_ONLY)
    if(NOT UNIX)
      return()
    endif()
    lumaret_mark_posix_only(${name})
  endif()
endmacro()

# Writes the list of POSIX-only targets next to compile_commands.json; called once, at
# the end of the top-level CMakeLists.txt.
function(lumaret_write_posix_only_targets)
  get_property(targets GLOBAL PROPERTY LUMARET_POSIX_ONLY_TARGETS)
  list(JOIN targets "\n" text)
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/posix-only-targets.txt CONTENT "${text}\n" @ONLY)
endfunction()

# Links the library's headers into its own include folder (see above).
function(lumaret_export_headers target)
  set(folder ${LUMARET_EXPORTED_HEADERS_DIR}/${target})
  file(REMOVE_RECURSE ${folder})
  foreach(source ${ARGN})
    if(source MATCHES "\\.h$")
      cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
                 OUTPUT_VARIABLE header)
      cmake_path(RELATIVE_PATH header BASE_DIRECTORY ${PROJECT_SOURCE_DIR}/src
                 OUTPUT_VARIABLE shown)
      cmake_path(GET shown PARENT_PATH shown_folder)
      file(MAKE_DIRECTORY ${folder}/${shown_folder})
      file(CREATE_LINK ${header} ${folder}/${shown} SYMBOLIC COPY_ON_ERROR)
    endif()
  endforeach()
  target_include_directories(${target} PUBLIC ${folder})
endfunction()

function(lumaret_library name)
  cmake_parse_arguments(ARG "POSIX_ONLY" "" "SOURCES;LINKS" ${ARGN})
  lumaret_posix_only_guard(${name})
  add_library(${name} STATIC ${ARG_SOURCES})
  lumaret_export_headers(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PUBLIC ${ARG_LINKS})
  lumaret_target_defaults(${name})
endfunction()

function(lumaret_program name)
  cmake_parse_arguments(ARG "POSIX_ONLY;GUI" "" "SOURCES;LINKS" ${ARGN})
  lumaret_posix_only_guard(${name})
  if(ARG_GUI)
    add_executable(${name} WIN32 ${ARG_SOURCES})
  else()
    add_executable(${name} ${ARG_SOURCES})
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_LINKS})
  lumaret_target_defaults(${name})
endfunction()

# The sanitizer build (build-sanitize/, made by scripts/test --sanitize): memory errors,
# leaks and undefined behaviour stop the program with a report instead of passing by.
option(LUMARET_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(LUMARET_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

option(LUMARET_BENCHMARKS "Build the benchmarks (scripts/bench)" ON)
