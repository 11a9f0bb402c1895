// fileprobe: the environment's file access layer, offscreen, for tests and
// the demo. Server paths ("host://path") reach the servers configured in the
// profile (VARNICA_REGISTRY).
//   fileprobe list DIR [PATTERN [MODE]]   one line per entry: name, size, mode in hex
//                                         (links add " -> target")
//   fileprobe read PATH                   the file's bytes
//   fileprobe lines PATH                  each line as "[kind] text", kind being the
//                                         separator recorded so far
//   fileprobe save PATH FILE              saves FILE's bytes as PATH
// Boxes go to standard error as "caption: text". Exit 0, 1 after a failure,
// 2 on a usage error.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "workbench/programs/dirutil.h"
#include "workbench/server/cuserexception.h"
#include "workbench/server/srvconn.h"
#include "workbench/server/srvhost.h"
#include "workbench/base/shellsink.h"

namespace {

class StderrSink : public ShellSink {
 public:
  int message_box(void*, const char* caption, const char* text, unsigned) override {
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    boxes++;
    return SHELL_IDCANCEL;
  }
  void debug_output(const char*) override {}
  bool open_text_file(const char*) override { return false; }
  void end_process(int code) override { std::exit(code); }
  int boxes = 0;
};

int usage() {
  std::fputs("usage: fileprobe list DIR [PATTERN [MODE]] | read PATH | lines PATH | save PATH FILE\n", stderr);
  return 2;
}

int list(const char* dir, const char* pattern, int mode) {
  std::unique_ptr<DirList> l = DirList_Open(dir, pattern, mode, 0);
  if (!l) return 1;
  while (std::unique_ptr<DirEntry> e = l->Next()) {
    std::printf("%s %u %x", e->name.c_str(), e->size, e->mode);
    if (const char* target = e->GetTarget()) std::printf(" -> %s", target);
    std::printf("\n");
  }
  return 0;
}

int read(const char* path, bool by_lines) {
  std::unique_ptr<FileBuffer> f = DirUtil_OpenFile(path, 0);
  if (!f) return 1;
  if (!by_lines) {
    const char* data = nullptr;
    uint32_t size = 0;
    f->GetData(&data, &size);
    std::fwrite(data, 1, size, stdout);
    return 0;
  }
  uint32_t n = 0;
  while (const char* line = f->GetLine(&n)) {
    std::printf("[%d] ", f->Separator());
    std::fwrite(line, 1, n, stdout);
    std::printf("\n");
  }
  return 0;
}

int save(const char* path, const char* file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "fileprobe: cannot read %s\n", file);
    return 1;
  }
  std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::unique_ptr<DirSaveFile> s = DirUtil_BeginSave(path, 0);
  if (!s) return 1;
  if (!data.empty()) std::memcpy(s->WriteBlock(static_cast<uint32_t>(data.size())), data.data(), data.size());
  try {
    s->Commit();
  } catch (const CUserException&) {
    return 1;
  }
  std::printf("saved %zu bytes to %s\n", data.size(), path);
  return 0;
}

int run(int argc, char** argv) {
  std::string op = argv[1];
  if (op == "list" && argc <= 5)
    return list(argv[2], argc > 3 ? argv[3] : "", argc > 4 ? std::atoi(argv[4]) : DIRLIST_ALL);
  if ((op == "read" || op == "lines") && argc == 3) return read(argv[2], op == "lines");
  if (op == "save" && argc == 4) return save(argv[2], argv[3]);
  return usage();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return usage();
  SrvHost host(argc, argv);
  StderrSink sink;
  Shell_SetSink(&sink);
  int rc = run(argc, argv);
  if (rc == 0 && sink.boxes > 0) rc = 1;
  SrvConn::CloseAll();
  Shell_SetSink(nullptr);
  std::fflush(stdout);
  return rc;
}
