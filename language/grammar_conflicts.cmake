# Runs bison over a grammar and fails unless its conflict counts are the ones
# that the grammar declares in a comment line
#   expected conflicts: <n> shift/reduce, <m> reduce/reduce
# Variables: BISON, INPUT, OUTPUT, HEADER; UNTRACED_PREFIX (optional) makes
# a second parser of the same grammar without its trace, under that prefix.
file(READ "${INPUT}" grammar)
string(REGEX MATCH "expected conflicts: ([0-9]+) shift/reduce, ([0-9]+) reduce/reduce" found "${grammar}")
if(NOT found)
  message(FATAL_ERROR "${INPUT}: no 'expected conflicts:' line")
endif()
set(want_sr ${CMAKE_MATCH_1})
set(want_rr ${CMAKE_MATCH_2})

set(extra)
if(UNTRACED_PREFIX)
  set(extra "-Fparse.trace=false" "-Fapi.prefix={${UNTRACED_PREFIX}}")
endif()
execute_process(
  COMMAND "${BISON}" -Wno-other ${extra} -o "${OUTPUT}" "--defines=${HEADER}" "${INPUT}"
  RESULT_VARIABLE rc
  ERROR_VARIABLE report)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "bison failed on ${INPUT}:\n${report}")
endif()

set(got_sr 0)
set(got_rr 0)
if(report MATCHES "([0-9]+) shift/reduce conflict")
  set(got_sr ${CMAKE_MATCH_1})
endif()
if(report MATCHES "([0-9]+) reduce/reduce conflict")
  set(got_rr ${CMAKE_MATCH_1})
endif()
if(NOT got_sr EQUAL want_sr OR NOT got_rr EQUAL want_rr)
  file(REMOVE "${OUTPUT}" "${HEADER}")
  message(FATAL_ERROR "${INPUT}: ${got_sr} shift/reduce and ${got_rr} reduce/reduce conflicts, "
                      "expected ${want_sr} and ${want_rr}")
endif()
