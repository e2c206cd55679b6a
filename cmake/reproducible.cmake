# Reproducible Windows programs: the same commit built in another folder, on
# another day, gives the same bytes (before signing).
#
# - The linker writes 0 where it would write the link time into the PE header.
# - Build paths are rewritten in everything the compiler emits (__FILE__ in
#   assertions and in third-party code, debug information): the build tree
#   first, as it may lie inside the source tree (GCC tries the maps in reverse
#   order), then the source tree.
# - The flags go into CMAKE_C_FLAGS and CMAKE_CXX_FLAGS rather than
#   add_compile_options, so that libjpeg-turbo, an external project built
#   inside the build tree, is compiled with them too (cmake/third_party.cmake
#   hands CMAKE_C_FLAGS on).
#
# The native builds are left alone: they ship nothing, and debuggers and
# sanitizer reports want real paths there.
if(NOT WIN32)
  return()
endif()
set(SETUP_REPRODUCIBLE_FLAGS
    "-ffile-prefix-map=${CMAKE_SOURCE_DIR}=/setup -ffile-prefix-map=${CMAKE_BINARY_DIR}=/build")
string(APPEND CMAKE_C_FLAGS " ${SETUP_REPRODUCIBLE_FLAGS}")
string(APPEND CMAKE_CXX_FLAGS " ${SETUP_REPRODUCIBLE_FLAGS}")
add_link_options(-Wl,--no-insert-timestamp)
