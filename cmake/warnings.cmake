# One interface target carries our warning flags; every target of ours links it,
# so third-party code is never compiled with -Werror.
add_library(kvr_warnings INTERFACE)
target_compile_options(kvr_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Werror)
# GCC 12 reports impossible overlaps inside std::string concatenation when it
# inlines at -O2 and above (GCC bug 105329); the warning says nothing about our code.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  target_compile_options(kvr_warnings INTERFACE -Wno-restrict)
endif()
