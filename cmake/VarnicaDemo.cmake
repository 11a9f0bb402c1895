# The target "demo": the programs the demo runs (the tools, the plug-ins, the
# stand-ins, tessarine and the helpers of tests/support), without the tests,
# the fuzzing programs and the benchmarks, so that a first run builds only
# those. A benchmark that the demo runs says so with the target property
# VARNICA_DEMO.

# varnica_collect_demo_programs(<dir> <out>): the demo's targets at and below
# a source folder.
function(varnica_collect_demo_programs dir out)
  set(found)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(t IN LISTS targets)
    get_target_property(type ${t} TYPE)
    if(NOT type STREQUAL "EXECUTABLE" AND NOT type STREQUAL "MODULE_LIBRARY" AND NOT type STREQUAL "SHARED_LIBRARY")
      continue()
    endif()
    get_target_property(wanted ${t} VARNICA_DEMO)
    get_target_property(test ${t} VARNICA_TEST_PROGRAM)
    file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${dir})
    set(rel "/${rel}/")
    if(wanted)
      list(APPEND found ${t})
    elseif(test OR rel MATCHES "/fuzz/" OR rel MATCHES "^/bench/")
      continue()
    elseif(rel MATCHES "/tests/" AND NOT rel MATCHES "^/tests/(peers|support)/")
      continue()
    else()
      list(APPEND found ${t})
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    varnica_collect_demo_programs(${sub} below)
    list(APPEND found ${below})
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

function(varnica_add_demo_target)
  varnica_collect_demo_programs(${PROJECT_SOURCE_DIR} programs)
  add_custom_target(demo)
  add_dependencies(demo ${programs})
endfunction()
