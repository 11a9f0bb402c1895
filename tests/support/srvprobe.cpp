// srvprobe: one request to a program server over the environment's server
// link, offscreen, for tests and the demo.
//   srvprobe HOST PORT LOGIN PW list|read|save PATH [FILE]
// list prints one line per entry ("d name", "f name size", "l name -> target"),
// read prints the file, save sends FILE to PATH. A failure prints the
// link's report and exits with 1.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "workbench/server/srvconn.h"
#include "workbench/server/srvhost.h"
#include "workbench/server/srvqueue.h"
#include "workbench/server/srvrequests.h"
#include "workbench/base/shellsink.h"

namespace {

class PrintSink : public ShellSink {
 public:
  int message_box(void*, const char* caption, const char* text, unsigned) override {
    std::printf("%s: %s\n", caption ? caption : "", text ? text : "");
    failed = true;
    return SHELL_IDCANCEL;
  }
  void debug_output(const char*) override {}
  bool open_text_file(const char*) override { return false; }
  void end_process(int code) override { std::exit(code); }
  bool failed = false;
};

int usage() {
  std::fputs("usage: srvprobe HOST PORT LOGIN PW list|read|save PATH [FILE]\n", stderr);
  return 2;
}

int status_failure(SrvQueue* q, int32_t status) {
  std::printf("status %d: %s\n", static_cast<int>(status), q->GetString());
  return 1;
}

int run(SrvQueue* q, const std::string& op, const std::string& path, const char* file) {
  if (op == "list") {
    if (path.empty() || path == "/") {
      q->PutShort(SRV_REQ_LIST_TOP);
    } else {
      q->PutShort(SRV_REQ_LIST_DIR);
      q->PutString(path.c_str());
      q->PutString("");
      q->PutShort(SRV_LIST_ALL);
    }
    q->Go();
    if (int32_t st = q->GetShort()) return status_failure(q, st);
    for (;;) {
      unsigned kind = q->GetByte();
      if (kind == 0) break;
      std::string name = q->GetString();
      std::string target = kind == 2 ? q->GetString() : "";
      q->GetString();
      q->GetString();
      uint32_t size = kind == 1 ? q->GetLong() : 0;
      q->GetLong();
      uint32_t mode = q->GetLong();
      if (kind == 2)
        std::printf("l %s -> %s\n", name.c_str(), target.c_str());
      else if (mode & 0x4000)
        std::printf("d %s\n", name.c_str());
      else
        std::printf("f %s %u\n", name.c_str(), size);
    }
    return 0;
  }
  if (op == "read") {
    q->PutShort(SRV_REQ_READ_FILE);
    q->PutString(path.c_str());
    q->Go();
    if (int32_t st = q->GetShort()) return status_failure(q, st);
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    q->GetObject(&data, &size);
    std::fwrite(data, 1, size, stdout);
    return 0;
  }
  if (op == "save" && file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      std::printf("cannot read %s\n", file);
      return 1;
    }
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    q->PutShort(SRV_REQ_SAVE_FILE);
    q->PutString(path.c_str());
    q->PutByte(0);
    q->BeginContainer();
    std::memcpy(q->PutBlock(static_cast<uint32_t>(data.size())), data.data(), data.size());
    q->EndContainer();
    q->Go();
    if (int32_t st = q->GetShort()) return status_failure(q, st);
    std::printf("saved %zu bytes to %s\n", data.size(), path.c_str());
    return 0;
  }
  return usage();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 7) return usage();
  SrvHost host(argc, argv);
  PrintSink sink;
  Shell_SetSink(&sink);
  int rc = 1;
  SrvQueue* q = SrvConn::Connect(argv[1], argv[2], argv[3], argv[4]);
  if (q) {
    try {
      rc = run(q, argv[5], argv[6], argc > 7 ? argv[7] : nullptr);
    } catch (const CUserException&) {
      rc = 1;
    }
    delete q;
  }
  SrvConn::CloseAll();
  Shell_SetSink(nullptr);
  std::fflush(stdout);
  return rc;
}
