# One version for the programs, the about box and the package: the project's.
configure_file(${CMAKE_SOURCE_DIR}/cmake/quillon_version.h.in
  ${CMAKE_BINARY_DIR}/generated/quillon_version.h @ONLY)
include_directories(${CMAKE_BINARY_DIR}/generated)
