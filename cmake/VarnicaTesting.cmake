# Test registration shared by every room.
#
# varnica_glob_tests(DIR <dir> LIBS <libs...>)
#   Every <dir>/*_test.cpp becomes its own GoogleTest executable. The file name
#   says which label its tests get:
#     name_test.cpp       unit  (no process, no socket)
#     name_tooltest.cpp   tool  (runs a built command line)
#     name_peertest.cpp   peer  (talks to a stand-in over loopback)
#     name_guitest.cpp    gui   (Qt, offscreen)
#   Each test has a timeout; tool, peer and gui tests run after everything is
#   built because `all` builds the tools and stand-ins first.
include(GoogleTest)

function(varnica_add_gtest name label)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  set_property(TARGET ${name} PROPERTY VARNICA_TEST_PROGRAM ON)
  target_link_libraries(${name} PRIVATE varnica_testsupport ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${label} TIMEOUT ${T_TIMEOUT}
               ENVIRONMENT "VARNICA_BIN_DIR=${VARNICA_BIN_DIR}")
  # gtest_discover_tests hands every list item on as a property of its own, so
  # only one variable can be passed here: the source folder is compiled into
  # the test support as its default, and window tests choose the offscreen
  # platform themselves (workbench/framework/tests/fwtest.h).
endfunction()

function(varnica_glob_tests)
  cmake_parse_arguments(G "" "DIR;PREFIX" "LIBS" ${ARGN})
  file(GLOB _files CONFIGURE_DEPENDS ${G_DIR}/*_test.cpp ${G_DIR}/*_tooltest.cpp
                                     ${G_DIR}/*_peertest.cpp ${G_DIR}/*_guitest.cpp)
  foreach(_f IN LISTS _files)
    get_filename_component(_base ${_f} NAME_WE)
    if(_base MATCHES "_tooltest$")
      set(_label tool)
    elseif(_base MATCHES "_peertest$")
      set(_label peer)
    elseif(_base MATCHES "_guitest$")
      set(_label gui)
    else()
      set(_label unit)
    endif()
    varnica_add_gtest(${G_PREFIX}${_base} ${_label} SOURCES ${_f} LIBS ${G_LIBS})
  endforeach()
endfunction()
