# The version resource takes its numbers from project(VERSION ...), the one
# place that sets them; dist.sh names the release from the same header.
foreach(part MAJOR MINOR PATCH TWEAK)
  if(PROJECT_VERSION_${part} STREQUAL "")
    set(PROJECT_VERSION_${part} 0)
  endif()
endforeach()
set(TAMARKO_VERSION_NUMBERS
    "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},${PROJECT_VERSION_TWEAK}")
set(TAMARKO_VERSION_TEXT
    "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.${PROJECT_VERSION_TWEAK}")
# Every target that compiles resources/tamarko.rc (the program, the picture's
# test) finds the header; CMake's scan of the resource script sees it change.
configure_file(${CMAKE_CURRENT_LIST_DIR}/tamarko_version.h.in ${PROJECT_BINARY_DIR}/generated/tamarko_version.h @ONLY)
include_directories(${PROJECT_BINARY_DIR}/generated)
