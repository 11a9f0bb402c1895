# ordergen: the order-entry database at any size with awkward strings. The
# round trip tool test of fillbase and drainbase runs it, so it is built
# also where the benchmarks are left out.
add_executable(ordergen ${CMAKE_CURRENT_LIST_DIR}/ordergen.cpp)
