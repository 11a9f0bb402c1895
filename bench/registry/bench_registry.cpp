// Reading a hive of many sibling keys: N keys under one parent, each with a
// string and a DWORD value, written as one file. The first access reads and
// parses the whole file; its time per key must stay flat as N grows, since
// a key is found among its siblings through an index, not by walking them.
// Further accesses to the unchanged file are not parsed again and must cost
// next to nothing.
//
// The benchmark times the first access at 10,000, 40,000 and 100,000 keys
// (or at N/10, 4N/10 and N), then 1,000 accesses to the unchanged file, and
// prints the time per key of each size and the ratio of the largest to the
// smallest (near 1 when parsing is linear; 10 would mean quadratic).
//
// Usage: bench_registry [keys]    (default 100000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdlib.h>
#include <string>
#include <unistd.h>

#include "platform/registry.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void write_hive(const std::string& path, int keys) {
  std::string text = "REGEDIT4\n\n";
  char buf[160];
  for (int i = 0; i < keys; ++i) {
    std::snprintf(buf, sizeof buf,
                  "[HKEY_CURRENT_USER\\Software\\Orvantis\\Bench\\Key%07d]\n\"Name\"=\"entry %d\"\n"
                  "\"Count\"=dword:%08x\n\n",
                  i, i, static_cast<unsigned>(i));
    text += buf;
  }
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// Seconds for the first access of a fresh store to the last key.
double first_access(const std::string& dir, int keys, RegStore** out) {
  RegStore* store = reg_open_store(dir.c_str());
  char key[80];
  std::snprintf(key, sizeof key, "Software\\Orvantis\\Bench\\Key%07d", keys - 1);
  auto start = Clock::now();
  uint32_t count = 0;
  int status = reg_get_dword(store, REG_HIVE_USER, key, "Count", &count);
  double t = seconds_since(start);
  if (status != REG_OK || count != static_cast<uint32_t>(keys - 1)) {
    std::fprintf(stderr, "bench_registry: read failed: %s %s\n", reg_status_text(status), reg_last_error(store));
    std::exit(1);
  }
  *out = store;
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  int largest = argc > 1 ? std::atoi(argv[1]) : 100000;
  if (largest < 10) {
    std::fprintf(stderr, "usage: bench_registry [keys]\n");
    return 2;
  }
  char dir_template[] = "/tmp/bench_registry.XXXXXX";
  if (!mkdtemp(dir_template)) return 1;
  std::string dir = dir_template;
  const int sizes[3] = {largest / 10, largest * 4 / 10, largest};
  double per_key[3] = {0, 0, 0};
  RegStore* store = nullptr;
  for (int i = 0; i < 3; ++i) {
    write_hive(dir + "/user.reg", sizes[i]);
    reg_close_store(store);
    double t = first_access(dir, sizes[i], &store);
    per_key[i] = t / sizes[i];
    std::printf("%7d sibling keys: first access %8.3f s, %7.3f us per key\n", sizes[i], t, per_key[i] * 1e6);
  }
  auto start = Clock::now();
  for (int i = 0; i < 1000; ++i) {
    std::string text;
    reg_get_string(store, REG_HIVE_USER, "Software\\Orvantis\\Bench\\Key0000007", "Name", &text);
  }
  std::printf("unchanged file: %.3f us per access\n", seconds_since(start) / 1000 * 1e6);
  std::printf("ratio of time per key, %d to %d keys: %.2f (1 is linear)\n", sizes[2], sizes[0],
              per_key[2] / per_key[0]);
  reg_close_store(store);
  unlink((dir + "/user.reg").c_str());
  rmdir(dir.c_str());
  return 0;
}
