# Every Windows program and library of the build is hardened as the Windows
# App Certification Kit's binary checks ask, because Setup and its
# uninstaller run with administrator rights (and as SYSTEM under deployment
# engines), where one overflow is a privilege escalation:
# - ASLR: a relocatable image (DYNAMIC_BASE) that keeps its base relocations;
#   on 64-bit with high-entropy addresses.
# - DEP: NX_COMPAT, and no section both writable and executable.
# - 32-bit: NO_SEH. GNU ld writes no SafeSEH table; the image may say it
#   registers no structured exception handler because it registers none
#   (the i686 compiler unwinds C++ exceptions with DWARF tables, never with
#   frames chained through fs:0; tests/check_hardening.sh checks the code).
# - Stack cookies (-fstack-protector-strong) and checked string and memory
#   calls (_FORTIFY_SOURCE=2); the static link brings their run time in, so
#   no libssp DLL ships.
# tests/check_hardening.sh reads every flag back from each program.
if(NOT WIN32)
  return()
endif()

# The compile flags go into CMAKE_C_FLAGS and CMAKE_CXX_FLAGS, which
# cmake/third_party.cmake hands on to libjpeg-turbo, linked into Setup.exe.
set(SETUP_HARDENING_COMPILE "-fstack-protector-strong -D_FORTIFY_SOURCE=2")
set(SETUP_HARDENING_LINK -fstack-protector-strong -Wl,--dynamicbase -Wl,--nxcompat -Wl,--enable-reloc-section)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  list(APPEND SETUP_HARDENING_LINK -Wl,--high-entropy-va)
else()
  list(APPEND SETUP_HARDENING_LINK -Wl,--no-seh)
endif()
string(APPEND CMAKE_C_FLAGS " ${SETUP_HARDENING_COMPILE}")
string(APPEND CMAKE_CXX_FLAGS " ${SETUP_HARDENING_COMPILE}")
# The compile commands, which tests/check_hardening.sh reads.
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)
add_link_options(${SETUP_HARDENING_LINK})
