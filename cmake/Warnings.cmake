# Warnings live on an INTERFACE target that every project target links,
# so nothing leaks into third-party code or the global flags.
add_library(morvelan_warnings INTERFACE)
target_compile_options(morvelan_warnings INTERFACE
  $<$<CXX_COMPILER_ID:GNU,Clang>:-Wall -Wextra -Wpedantic>)
# GCC 12 at -O3 reports std::string concatenations of libstdc++ itself as
# overlapping copies and out-of-bounds moves (GCC bug 105329): noise in the
# Windows release build only.
if(CMAKE_CROSSCOMPILING AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(morvelan_warnings INTERFACE -Wno-restrict -Wno-array-bounds)
endif()
