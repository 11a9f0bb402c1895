// Filling and sorting the explorer's file list: folders of N/10, N/2 and N
// files (default N = 20,000: folders of 2,000, 10,000 and 20,000 files, a
// tenth as many folders beside them) are listed through the file access
// layer into rows sorted by name, then sorted by size, median of 5 rounds.
// Prints the time per entry at each size for the model and for a bare
// readdir and stat of the same folder in the same run, their ratio, and the
// time at N over N/2 (about 2 when the fill is linear).
//
// Usage: bench_explorer [files]   (default 20000)
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "workbench/explorer/exploremodel.h"
#include "workbench/programs/dirutil.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 5;
constexpr int kDefaultFiles = 20000;
constexpr int kMinFiles = 100;
constexpr int kMaxFiles = 1000000;

double since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// A folder of `files` files of varied names and sizes and a tenth as many
// folders.
bool make_folder(const std::string& dir, int files) {
  if (mkdir(dir.c_str(), 0700) != 0) return false;
  for (int i = 0; i < files; ++i) {
    // Names out of order and of mixed case, so that sorting has work.
    const unsigned key = static_cast<unsigned>(i) * 2654435761u;
    std::ofstream out(dir + "/" + (i % 2 ? "File" : "file") + std::to_string(key) + (i % 3 ? ".txt" : ".PROG"));
    out << std::string(key % 97, 'x');
    if (!out) return false;
  }
  for (int i = 0; i < files / 10; ++i)
    if (mkdir((dir + "/Folder" + std::to_string(i)).c_str(), 0700) != 0) return false;
  return true;
}

// The reference: readdir and stat of every entry.
double bare_listing(const std::string& dir, size_t* count) {
  auto t0 = Clock::now();
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return -1;
  size_t n = 0;
  while (dirent* e = readdir(d)) {
    if (e->d_name[0] == '.') continue;
    struct stat st;
    if (stat((dir + "/" + e->d_name).c_str(), &st) == 0) ++n;
  }
  closedir(d);
  *count = n;
  return since(t0);
}

// The model's fill of the list (sorted by name) and a sort by size.
double model_listing(const std::string& dir, size_t* count) {
  auto t0 = Clock::now();
  std::unique_ptr<DirList> list = DirList_Open(dir.c_str(), "", DIRLIST_ALL, 0);
  if (!list) return -1;
  std::vector<ExploreRow> rows = Explore_FillRows(*list, nullptr, EXPLORE_COLUMN_NAME);
  Explore_SortRows(rows, EXPLORE_COLUMN_SIZE);
  *count = rows.size();
  return since(t0);
}

struct Result {
  double bare, model;
  size_t entries;
};

bool measure(const std::string& dir, Result* r) {
  size_t bare_count = 0, model_count = 0;
  bare_listing(dir, &bare_count);  // warms the caches
  std::vector<double> bare, model;
  for (int i = 0; i < kRounds; ++i) {
    bare.push_back(bare_listing(dir, &bare_count));
    model.push_back(model_listing(dir, &model_count));
  }
  r->bare = median(bare);
  r->model = median(model);
  r->entries = model_count;
  return bare_count == model_count && r->bare >= 0 && r->model >= 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int files = argc > 1 ? std::atoi(argv[1]) : kDefaultFiles;
  if (files < kMinFiles || files > kMaxFiles) {
    std::fprintf(stderr, "bench_explorer: files must be %d..%d\n", kMinFiles, kMaxFiles);
    return 2;
  }
  char dir_template[] = "/tmp/bench_explorer.XXXXXX";
  if (!mkdtemp(dir_template)) return 1;
  const std::string dir = dir_template;
  const int sizes[] = {files / 10, files / 2, files};
  std::vector<Result> results;
  bool ok = true;
  for (const int size : sizes) {
    const std::string folder = dir + "/" + std::to_string(size);
    Result r{};
    ok = ok && make_folder(folder, size) && measure(folder, &r);
    results.push_back(r);
  }
  if (ok) {
    std::printf("median of %d rounds\n", kRounds);
    std::printf("%-24s %9s %12s %12s %8s\n", "files", "entries", "bare us/ent", "model us/ent", "ratio");
    for (size_t i = 0; i < results.size(); ++i) {
      const Result& r = results[i];
      std::printf("%-24d %9zu %12.3f %12.3f %8.2f\n", sizes[i], r.entries, 1e6 * r.bare / double(r.entries),
                  1e6 * r.model / double(r.entries), r.model / r.bare);
    }
    std::printf("%-24s %9s %12.2f %12.2f\n", "time at 2N over N", "", results[2].bare / results[1].bare,
                results[2].model / results[1].model);
  } else {
    std::fprintf(stderr, "bench_explorer: could not make or list the folders\n");
  }
  std::string rm = "rm -rf '" + dir + "'";
  if (std::system(rm.c_str()) != 0) return 1;
  return ok ? 0 : 1;
}
