// A full refresh of the Variables rows at two sizes: N top-level variables
// (every tenth a record with three fields, expanded) handed over the way the
// debugger core does, one value changed before each refresh. Rows are
// matched to elements through an index, so the time per variable must stay
// flat: the line "4N/N" prints the time per variable at 4N over that at N.
//
// The target is the rows' fake one (no connection): the benchmark measures
// the rows' own work, decoding of elements into variables included.
//
// Usage: bench_variables [N] [rounds]   (default 1000 and 200)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "workbench/debugger/variables/tests/faketarget.h"
#include "workbench/debugger/variables/variablerows.h"

namespace {

using Clock = std::chrono::steady_clock;

// The median time of one refresh, in seconds, or a negative number when
// the rows went wrong.
double Run(int count, int rounds) {
  FakeTarget target;
  FakeListHost host;
  VariableRowList rows(target, host);
  rows.SetGeometry(800, 7);
  std::vector<int> records;
  for (int i = 0; i < count; ++i) {
    const uint16_t index = static_cast<uint16_t>(i);
    if (i % 10 == 9) {
      FakeNode rec{index, "REC" + std::to_string(i), VARKIND_TYPE, "ADDRESS", {}};
      rec.children = {{0, "STREET", VARKIND_STRING, "Main Street " + std::to_string(i), {}},
                      {1, "ZIP", VARKIND_INTEGER, std::to_string(10000 + i), {}},
                      {2, "RATE", VARKIND_REAL, "0.25", {}}};
      target.top.push_back(rec);
    } else {
      target.top.push_back({index, "TOTAL" + std::to_string(i), VARKIND_INTEGER, std::to_string(i), {}});
    }
  }
  if (!target.GetElements(rows, nullptr, -1)) return -1;
  // Expand the records from the bottom up, so earlier rows keep their place.
  for (int row = rows.GetItemCount() - 1; row >= 0; --row)
    if (rows.GetRowVariable(row)->IsContainer() && !rows.ExpandRow(row)) return -1;
  const int shown = rows.GetItemCount();

  std::vector<double> times;
  for (int round = 0; round < rounds; ++round) {
    FakeNode& node = target.top[static_cast<size_t>((round * 7919) % count)];
    if (node.kind == VARKIND_TYPE)
      node.children[1].value = std::to_string(round);
    else
      node.value = std::to_string(-round - 1);
    const auto t0 = Clock::now();
    if (!target.GetElements(rows, nullptr, -1)) return -1;
    times.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
    if (rows.GetItemCount() != shown) return -1;
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

long Arg(char** argv, int i, int argc, long fallback) {
  if (i >= argc) return fallback;
  char* end = nullptr;
  const long v = std::strtol(argv[i], &end, 10);
  return (end == argv[i] || *end || v <= 0 || v > 16000) ? -1 : v;
}

}  // namespace

int main(int argc, char** argv) {
  const long n = Arg(argv, 1, argc, 1000);
  const long rounds = Arg(argv, 2, argc, 200);
  if (n < 0 || rounds < 0) {
    std::fprintf(stderr, "usage: bench_variables [N up to 16000] [rounds]\n");
    return 2;
  }
  double per_var[2] = {0, 0};
  const long sizes[2] = {n, 4 * n};
  for (int i = 0; i < 2; ++i) {
    const double t = Run(static_cast<int>(sizes[i]), static_cast<int>(rounds));
    if (t < 0) {
      std::fprintf(stderr, "bench_variables: the rows went wrong at %ld variables\n", sizes[i]);
      return 1;
    }
    per_var[i] = t / static_cast<double>(sizes[i]);
    std::printf("%6ld variables: full refresh %8.3f ms, %6.1f ns per variable\n", sizes[i], t * 1e3, per_var[i] * 1e9);
  }
  std::printf("4N/N per variable: %.2f\n", per_var[1] / per_var[0]);
  return 0;
}
