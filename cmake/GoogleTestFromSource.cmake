# GoogleTest for a cross-build, compiled from Debian's source package
# (googletest, /usr/src/googletest): the host's libgtest is a Linux library.
# Gives the same targets find_package(GTest) does: GTest::gtest,
# GTest::gtest_main, GTest::gmock.
set(TOLVANE_GTEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest source tree")
if(NOT EXISTS "${TOLVANE_GTEST_SOURCE}/CMakeLists.txt")
  message(FATAL_ERROR "GoogleTest source not found in ${TOLVANE_GTEST_SOURCE} "
                      "(install the googletest package: scripts/install-deps.sh --windows)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
# Its own warnings are not ours to fix.
add_subdirectory("${TOLVANE_GTEST_SOURCE}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
foreach(lib gtest gtest_main gmock gmock_main)
  if(NOT TARGET GTest::${lib})
    add_library(GTest::${lib} ALIAS ${lib})
  endif()
endforeach()
