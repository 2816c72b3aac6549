# Warnings live on an INTERFACE target that every project target links,
# so nothing leaks into third-party code or the global flags.
add_library(morvelan_warnings INTERFACE)
target_compile_options(morvelan_warnings INTERFACE
  $<$<CXX_COMPILER_ID:GNU,Clang>:-Wall -Wextra -Wpedantic>)
