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

# One small static library per subsystem: lumaret_library(name SOURCES ... LINKS ...)
function(lumaret_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/..)
  target_link_libraries(${name} PUBLIC ${ARG_LINKS})
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
