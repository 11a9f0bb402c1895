# libFuzzer targets (configure with clang and -DVARNICA_FUZZ=ON; see
# scripts/fuzz.sh, which builds and runs them all).
#
# varnica_add_fuzzer(<name> SOURCES <files...> LIBS <targets...> [SEEDS <dir>]
#                    [ARGS <libFuzzer flags...>])
#   One fuzzing program that links the library targets it exercises; the
#   whole fuzz build carries coverage and AddressSanitizer and
#   UndefinedBehaviorSanitizer. SEEDS names the folder of its seed corpus.
#   ARGS are further flags of the run (e.g. -detect_leaks=0). Every target is
#   part of the `fuzzers` target, and its name, seed folder ("-" for none)
#   and flags are listed in <build>/fuzzers.txt for the runner.
if(VARNICA_FUZZ AND NOT TARGET fuzzers)
  add_custom_target(fuzzers)
  file(WRITE ${PROJECT_BINARY_DIR}/fuzzers.txt "")
endif()

function(varnica_add_fuzzer name)
  cmake_parse_arguments(F "" "SEEDS" "SOURCES;LIBS;ARGS" ${ARGN})
  if(NOT F_SEEDS)
    set(F_SEEDS "-")
  endif()
  list(JOIN F_ARGS " " _args)
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  add_dependencies(fuzzers ${name})
  file(APPEND ${PROJECT_BINARY_DIR}/fuzzers.txt "${name} ${F_SEEDS} ${_args}\n")
endfunction()
