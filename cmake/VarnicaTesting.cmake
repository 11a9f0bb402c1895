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

# The test programs' own code is compiled without optimization in every
# build: it runs for moments, and optimizing GoogleTest's expansions took
# about half of an optimized build's compile time. What the tests exercise
# (the libraries, tools and stand-ins) keeps the build's own options.
function(varnica_test_program_options target)
  target_compile_options(${target} PRIVATE -O0)
endfunction()

function(varnica_add_gtest name label)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  set_property(TARGET ${name} PROPERTY VARNICA_TEST_PROGRAM ON)
  set_property(GLOBAL APPEND PROPERTY VARNICA_TEST_PROGRAMS ${name})
  varnica_test_program_options(${name})
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

# Precompiled headers of the test programs. Each test program is one source
# that spends much of its compile time on the same headers: GoogleTest for
# all, Qt Widgets for the window tests. Two holder programs precompile them
# once per build, and every test program reuses one of them (which one is
# chosen from what it links, once every target is known: see
# varnica_share_test_headers below). A header that cannot be reused is an
# error (-Winvalid-pch under -Werror), never a silent slow build.
option(VARNICA_PCH "Precompile the headers that the test programs share" ON)

set(_varnica_pch_std <string> <vector> <map> <memory> <functional> <algorithm> <filesystem> <fstream> <sstream>)
set(_varnica_pch_gtest <gtest/gtest.h> <gmock/gmock.h>)
set(_varnica_pch_qt <QtCore/QObject> <QtCore/QString> <QtCore/QTimer> <QtWidgets/QApplication> <QtWidgets/QWidget>)

function(varnica_add_pch_holders)
  if(NOT VARNICA_PCH OR TARGET varnica_pch_tests)
    return()
  endif()
  set(_main ${PROJECT_BINARY_DIR}/varnica_pch_main.cpp)
  file(CONFIGURE OUTPUT ${_main} CONTENT "int main() { return 0; }\n")
  add_executable(varnica_pch_tests ${_main})
  varnica_test_program_options(varnica_pch_tests)
  target_link_libraries(varnica_pch_tests PRIVATE varnica_testsupport GTest::gtest GTest::gmock)
  target_precompile_headers(varnica_pch_tests PRIVATE ${_varnica_pch_std} ${_varnica_pch_gtest})
  find_package(Qt6 COMPONENTS Widgets)
  if(Qt6Widgets_FOUND)
    add_executable(varnica_pch_qttests ${_main})
    varnica_test_program_options(varnica_pch_qttests)
    target_link_libraries(varnica_pch_qttests PRIVATE varnica_testsupport GTest::gtest GTest::gmock Qt6::Widgets)
    target_precompile_headers(varnica_pch_qttests PRIVATE ${_varnica_pch_std} ${_varnica_pch_gtest}
                                                          ${_varnica_pch_qt})
  endif()
endfunction()

# The link closure of a target (targets only, through LINK_LIBRARIES and
# INTERFACE_LINK_LIBRARIES), into `out`.
function(_varnica_link_closure target out)
  set(_seen)
  set(_todo ${target})
  while(_todo)
    list(POP_FRONT _todo _t)
    if(_t IN_LIST _seen OR NOT TARGET ${_t})
      continue()
    endif()
    list(APPEND _seen ${_t})
    get_target_property(_type ${_t} TYPE)
    set(_links)
    if(NOT _type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(_direct ${_t} LINK_LIBRARIES)
      if(_direct)
        list(APPEND _links ${_direct})
      endif()
    endif()
    get_target_property(_iface ${_t} INTERFACE_LINK_LIBRARIES)
    if(_iface)
      list(APPEND _links ${_iface})
    endif()
    foreach(_l IN LISTS _links)
      string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" _l "${_l}")
      if(NOT _l MATCHES "^\\$<" AND TARGET ${_l})
        get_target_property(_alias ${_l} ALIASED_TARGET)
        if(_alias)
          set(_l ${_alias})
        endif()
        list(APPEND _todo ${_l})
      endif()
    endforeach()
  endwhile()
  set(${out} ${_seen} PARENT_SCOPE)
endfunction()

# Gives every test program its holder: the Qt one when it links Qt Widgets,
# the plain one when it links no Qt at all; a program that links only part
# of Qt compiles with other flags and keeps its headers to itself.
function(varnica_share_test_headers)
  if(NOT VARNICA_PCH)
    return()
  endif()
  get_property(_tests GLOBAL PROPERTY VARNICA_TEST_PROGRAMS)
  foreach(_t IN LISTS _tests)
    _varnica_link_closure(${_t} _closure)
    set(_qt OFF)
    set(_widgets OFF)
    foreach(_l IN LISTS _closure)
      if(_l MATCHES "^Qt6::")
        set(_qt ON)
      endif()
      if(_l STREQUAL "Qt6::Widgets")
        set(_widgets ON)
      endif()
    endforeach()
    if(_widgets AND TARGET varnica_pch_qttests)
      target_precompile_headers(${_t} REUSE_FROM varnica_pch_qttests)
    elseif(NOT _qt)
      target_precompile_headers(${_t} REUSE_FROM varnica_pch_tests)
    else()
      continue()
    endif()
    # The headers are C++: a C source of a test keeps to its own.
    get_target_property(_sources ${_t} SOURCES)
    foreach(_s IN LISTS _sources)
      if(_s MATCHES "\\.c$")
        set_source_files_properties(${_s} TARGET_DIRECTORY ${_t} PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
      endif()
    endforeach()
  endforeach()
endfunction()
