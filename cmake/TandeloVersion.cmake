# The program's version and copyright, each written once: the version in project(), the copyright
# in LICENSE. Everything that shows them takes them from here: the main window's caption, the
# version resource and the manifest (through tandelo_version.h and app.manifest), and the scripts, which
# read version.txt from the build tree.

# A two-part version leaves PATCH and TWEAK empty; the resources want four numbers. The minor part
# stays as written ("1.10" is Ver1.10, not Ver1.1): the caption uses PROJECT_VERSION itself.
foreach(part MAJOR MINOR PATCH TWEAK)
  set(TANDELO_VERSION_${part} "${PROJECT_VERSION_${part}}")
  if(TANDELO_VERSION_${part} STREQUAL "")
    set(TANDELO_VERSION_${part} 0)
  endif()
endforeach()
set(TANDELO_VERSION_QUAD
    "${TANDELO_VERSION_MAJOR}.${TANDELO_VERSION_MINOR}.${TANDELO_VERSION_PATCH}.${TANDELO_VERSION_TWEAK}")
set(TANDELO_TITLE "Tandelo(仮)")
set(TANDELO_CAPTION "${TANDELO_TITLE} Ver${PROJECT_VERSION}")

set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE TANDELO_COPYRIGHT ENCODING UTF-8 REGEX "^Copyright \\(c\\) [0-9]+ .+$" LIMIT_COUNT 1)
if(NOT TANDELO_COPYRIGHT MATCHES "^Copyright \\(c\\) [0-9]+ (.+)$")
  message(FATAL_ERROR "LICENSE has no line \"Copyright (c) YEAR HOLDER\"")
endif()
set(TANDELO_COMPANY "${CMAKE_MATCH_1}")

set(TANDELO_VERSION_HEADER_DIR ${PROJECT_BINARY_DIR}/generated)
configure_file(${PROJECT_SOURCE_DIR}/cmake/tandelo_version.h.in ${TANDELO_VERSION_HEADER_DIR}/tandelo_version.h @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/cmake/version.txt.in ${PROJECT_BINARY_DIR}/version.txt @ONLY)

# For the code that shows the caption or the version, the program and the command line alike:
# #include "tandelo_version.h" (a name no source file has, so no stale copy is ever taken).
add_library(tandelo_version INTERFACE)
target_include_directories(tandelo_version INTERFACE ${TANDELO_VERSION_HEADER_DIR})
