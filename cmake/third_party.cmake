# Third-party code, built inside the build tree from Debian's packages and never
# committed: GoogleTest from the googletest package's sources (so the cross
# build gets a mingw-compiled copy), libjpeg-turbo from Debian's source package.

set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/third_party/googletest EXCLUDE_FROM_ALL SYSTEM)
include(GoogleTest)

if(SETUP_WIN32)
  include(ExternalProject)
  set(jpeg_src ${CMAKE_BINARY_DIR}/third_party/libjpeg-turbo-src)
  set(jpeg_prefix ${CMAKE_BINARY_DIR}/third_party/libjpeg-turbo)
  if(NOT EXISTS ${jpeg_src}/CMakeLists.txt)
    execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/fetch-libjpeg.sh ${jpeg_src}
                    RESULT_VARIABLE fetch_result)
    if(NOT fetch_result EQUAL 0)
      message(FATAL_ERROR "libjpeg-turbo's source package could not be unpacked")
    endif()
  endif()
  # No SIMD (it would need nasm); the plain C decoder is plenty for a few pictures.
  # The explicit install prefix keeps its default "c:/libjpeg-turbo" out of a cross build.
  ExternalProject_Add(libjpeg_turbo_build
    SOURCE_DIR ${jpeg_src}
    BINARY_DIR ${jpeg_prefix}/build
    INSTALL_DIR ${jpeg_prefix}
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
      -DCMAKE_C_FLAGS=${CMAKE_C_FLAGS}
      -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
      -DCMAKE_BUILD_TYPE=Release
      -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
      -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF
      -DWITH_JPEG8=OFF -DCMAKE_POSITION_INDEPENDENT_CODE=OFF
    BUILD_BYPRODUCTS <INSTALL_DIR>/lib/libjpeg.a
    UPDATE_COMMAND "" PATCH_COMMAND "")
  file(MAKE_DIRECTORY ${jpeg_prefix}/include)
  add_library(libjpeg STATIC IMPORTED GLOBAL)
  set_target_properties(libjpeg PROPERTIES
    IMPORTED_LOCATION ${jpeg_prefix}/lib/libjpeg.a
    INTERFACE_INCLUDE_DIRECTORIES ${jpeg_prefix}/include)
  add_dependencies(libjpeg libjpeg_turbo_build)
endif()

# Registers a GoogleTest executable with CTest, one CTest test per test case.
# Discovery runs when the tests run (through Wine in the cross build), not at
# build time, so a build never waits for Wine.
function(setup_add_gtest target)
  target_link_libraries(${target} PRIVATE GTest::gtest_main)
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                       PROPERTIES TIMEOUT 300 ${ARGN})
endfunction()
