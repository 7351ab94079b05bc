# One interface target carries our warning flags; every target of ours links it,
# so third-party code is never compiled with -Werror.
add_library(kvr_warnings INTERFACE)
target_compile_options(kvr_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Werror)
