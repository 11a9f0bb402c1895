// formmorph: converts ASCII dialog sources into a VUZ file with the help of
// a dialog server. Every object and attribute of the input files is replayed
// to the server as a request; the server then saves the dialog with its rule
// "YqSaveDialog".
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "database/client/tcp.h"
#include "dialogs/formmorph/drvargs.h"
#include "dialogs/formmorph/drvclient.h"
#include "dialogs/formmorph/fmtrace.h"
#include "dialogs/formmorph/zellini.h"
#include "dialogs/language/dlgread.h"
#include "language/toolframe.h"
#include "platform/uniquefd.h"

const char* const usage_table[] = {
    "usage: %s [options] outfile infile [...]",
    "options:",
    " -help               - show usage (this list)",
    " -debug[n]           - set debug level",
    " -driver driver      - set driver (and arguments)",
    "",
    "Optional arguments must be specified in the order",
    "as listed above.",
    "If the environment variable DRIVER is defined, it",
    "is used to define the driver and optional arguments.",
    "The driver argument may specify additional arguments",
    "that are passed to the driver.",
    "",
    "For example:",
    " formmorph -driver \"@pc ConfigSection\" out.idm in.dlg",
    "",
    "<$END>",
};

namespace {

const char kDriverName[] = "VUZ";
const char kSaveRule[] = "YqSaveDialog";
enum { BUFFER_LENGTH = 1024, ENV_NAME_MAX = 79 };
// A source or include file of this size or more is refused, as the
// environment's dialog reader refuses it.
constexpr unsigned long long kMaxSourceBytes = UINT32_MAX;
// Longest dialog line; lines are read whole up to it.
constexpr size_t kMaxLine = 1024 * 1024;

const DlgMessages kMessages = {
    "Not inside object",
    "Extra '}'",
    "Object name expected: unexpected token 0x%02x",
    "Missing '}', level = %d",
    "Identifier expected: unexpected token 0x%02x",
    "Nesting to deep, MAX_DEPTH is %d",
    "'{' Expected",
    "Attribute expected",
    "Attribute index expected",
    "']' Expected",
    "'=' Expected",
    "Attribute value expected",
    "define: attribute value expected",
    "include: File name expected",
    "Include: File nesting too deep",
    "Missing quote",
    "%s: Number does not fit 32 bits",
    "Line longer than %zu characters",
    "Out of memory",
};

const char* g_program = "formmorph";
DrvClient g_client;

[[noreturn]] void usage() {
  for (const char* const* line = usage_table; *line && std::strcmp(*line, "<$END>") != 0; ++line) {
    const char* mark = std::strstr(*line, "%s");
    if (mark)
      std::fprintf(stderr, "%.*s%s%s\n", static_cast<int>(mark - *line), *line, g_program, mark + 2);
    else
      std::fprintf(stderr, "%s\n", *line);
  }
  std::fflush(stderr);
  std::exit(EXIT_TOOL_USAGE);
}

[[noreturn]] void finish(int code) {
  std::fflush(stderr);
  std::exit(code);
}

void cleanup() {
  fm_trace(2, "cleanup()");
  if (g_client.active) drv_stop(&g_client, kDriverName);
  tcp_cleanup(1);
}

// Reads a whole regular file below the size the environment's dialog reader
// takes; false when it cannot be opened or read, is no regular file (a FIFO
// or a device could block or never end) or is larger.
bool read_whole(const std::string& path, std::string& text) {
  UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat st {};
  if (!fd.valid() || fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (static_cast<unsigned long long>(st.st_size) >= kMaxSourceBytes) return false;
  text.clear();
  char piece[65536];
  for (;;) {
    ssize_t n = read(fd.get(), piece, sizeof piece);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (text.size() + static_cast<size_t>(n) >= kMaxSourceBytes) return false;  // grew while read
    text.append(piece, static_cast<size_t>(n));
  }
}

// The conversion run's side of the dialog reader: objects and attributes go
// to the server, defines live in a table of our own.
class Conversion : public DlgReaderUser {
 public:
  std::vector<std::string> top_level;  // objects created at depth 1

  int object(const DlgObject& o, std::string& message) override {
    int rc = drv_new(&g_client, kDriverName, o.path.c_str(), o.cls.c_str());
    if (rc != 0) {
      message = dlg_format("DLG NEW \"%s\",\"%s\" failed", o.path.c_str(), o.cls.c_str());
      return rc;
    }
    if (o.depth == 1) top_level.push_back(o.path);
    return 0;
  }

  int attribute(const DlgAttribute& a, std::string& message) override {
    std::string path = a.object->path + "." + a.name;
    if (a.has_index) path += dlg_format("[%ld]", static_cast<long>(a.index));
    DrvValue v;
    v.kind = a.value.kind == DLG_VALUE_TEXT ? DRV_TEXT : DRV_INTEGER;
    v.number = a.value.number;
    v.text = a.value.text;
    int rc = drv_set(&g_client, kDriverName, path.c_str(), v);
    if (rc == 4) fm_trace(1, "DLG SET \"%s\": status 4, ignored", path.c_str());
    if (rc != 0 && rc != 4) {
      message = dlg_format("DLG SET \"%s\",... failed", path.c_str());
      return rc;
    }
    return 0;
  }

  int define(const std::string& name, const DlgValue& value, std::string&) override {
    defines_[name] = value;
    return 0;
  }

  int lookup(const std::string& name, DlgValue& value, std::string& message) override {
    auto it = defines_.find(name);
    if (it == defines_.end()) {
      message = dlg_format("%s: Attribute value not defined", name.c_str());
      return DLG_ERR_SYNTAX;
    }
    value = it->second;
    return 0;
  }

  int include_open(const std::string& name, bool optional, const DlgSource& from, DlgSource& source,
                   std::string& message) override {
    std::string path;
    if (!name.empty() && name[0] != '/' && name[0] != '$') {
      size_t slash = from.name.rfind('/');
      if (slash != std::string::npos) path = from.name.substr(0, slash + 1);
    }
    int rc = expand(name, path, message);
    if (rc != 0) return rc;
    if (!read_whole(path, source.text)) {
      if (optional) return 1;
      message = dlg_format("%.80s: Unable to open include file", path.c_str());
      return DLG_ERR_OPEN;
    }
    source.name = path;
    return 0;
  }

  void line_read(int number, const std::string& line, int) override {
    if (fm_debug_level() >= 2) fm_trace(2, "%d: %.*s", number, static_cast<int>(line.size()), line.c_str());
  }

 private:
  // Appends `name` to `path` with every "$NAME" replaced by its variable.
  static int expand(const std::string& name, std::string& path, std::string& message) {
    for (size_t i = 0; i < name.size();) {
      if (name[i] != '$') {
        path += name[i++];
        continue;
      }
      size_t end = i + 1;
      while (end < name.size() && (std::isalnum(static_cast<unsigned char>(name[end])))) ++end;
      std::string variable = name.substr(i + 1, end - i - 1);
      if (variable.empty() || variable.size() > ENV_NAME_MAX) {
        message = dlg_format("%.20s: Bad environment variable", name.c_str() + i + 1);
        return DLG_ERR_SYNTAX;
      }
      const char* value = std::getenv(variable.c_str());
      if (!value) {
        message = dlg_format("%s: Environment variable not defined", variable.c_str());
        return DLG_ERR_SYNTAX;
      }
      path += value;
      i = end;
    }
    return 0;
  }

  std::map<std::string, DlgValue> defines_;
};

void load_file(const std::string& file) {
  fm_trace(0, "Loading dialog %s ...", file.c_str());
  Conversion conversion;
  DlgReadResult result;
  DlgSource main;
  main.name = file;
  if (!read_whole(file, main.text)) {
    result.code = DLG_ERR_OPEN;
    result.message = dlg_format("%.80s: Unable to open dialog file", file.c_str());
  } else {
    DlgReadOptions options;
    options.messages = &kMessages;
    options.ide_lines = DLG_IDE_AS_COMMENT;
    options.max_line = kMaxLine;
    dlg_read(conversion, options, main, &result);
  }
  if (result.code == 0) return;
  fm_trace(0, "** error loading dialog");
  fm_trace(0, "line %d: %s", result.line, result.message.c_str());
  fm_trace(0, "error code is %d", result.code);
  for (const std::string& path : conversion.top_level) drv_delete(&g_client, kDriverName, path.c_str());
  finish(EXIT_TOOL_FAILURE);
}

void check_pending() {
  int status = drv_pending_status(&g_client, kDriverName);
  if (status == 0) return;
  fm_trace(0, "** error loading dialog");
  fm_trace(0, "remote status is %d", status);
  finish(EXIT_TOOL_FAILURE);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 0 && argv[0]) g_program = argv[0];
  banner_print("FORMMORPH");
  switch (tool_early_request(argc, argv, TOOL_EARLY_LEADING)) {
    case TOOL_REQUEST_USAGE: usage();
    case TOOL_REQUEST_VERSION: finish(EXIT_TOOL_OK);
    case TOOL_REQUEST_NONE: break;
  }
  if (argc < 2) usage();

  int i = 1;
  if (i < argc && std::strncmp(argv[i], "-debug", 6) == 0) {
    int level = std::atoi(argv[i] + 6);
    fm_set_debug_level(level > 0 ? level : 1);
    ++i;
  }
  const char* driver = nullptr;
  if (i < argc && std::strcmp(argv[i], "-driver") == 0) {
    if (i + 1 >= argc) usage();
    driver = argv[i + 1];
    i += 2;
  }
  if (!driver) driver = std::getenv("DRIVER");
  if (!driver || !*driver) {
    std::fprintf(stderr, "%s: no driver specified\n", g_program);
    finish(EXIT_TOOL_USAGE);
  }
  if (argc - i < 2) usage();
  std::string outfile = argv[i++];

  std::vector<std::string> words = drv_split_arguments(driver);
  std::string spec = words.empty() ? std::string() : words[0];
  std::vector<std::string> extra;
  if (words.size() > 1) extra.assign(words.begin() + 1, words.end());
  for (size_t w = 0; w < words.size(); ++w) fm_trace(2, "argv[%zu] = '%s'", w, words[w].c_str());

  if (idb__winsock_startup() != 0) {
    int code = tcp_last_error();
    fm_trace(0, "Unable to setup communication software. [%d] %s", code, tcp_error_text(code));
    finish(EXIT_TOOL_FAILURE);
  }
  std::atexit(cleanup);

  g_client.ini_path = zell_ini_path();
  int rc = drv_start(&g_client, kDriverName, spec.c_str(), BUFFER_LENGTH, extra);
  if (rc != 0) {
    fm_trace(0, "driver startup failed, cc = %d", rc);
    finish(EXIT_TOOL_FAILURE);
  }
  rc = drv_async(&g_client, kDriverName, 1);
  if (rc != 0) {
    fm_trace(0, "** error setting asynchronous mode");
    fm_trace(0, "error code is %d", rc);
    finish(EXIT_TOOL_FAILURE);
  }

  for (; i < argc; ++i) load_file(argv[i]);
  check_pending();

  fm_trace(0, "Writing %s ...", outfile.c_str());
  DrvValue target;
  target.kind = DRV_TEXT;
  target.text = outfile;
  rc = drv_rule(&g_client, kDriverName, kSaveRule, "", 1, &target, nullptr);
  if (rc != 0) {
    fm_trace(0, "** error calling %s", kSaveRule);
    fm_trace(0, "error code is %d", rc);
    finish(EXIT_TOOL_FAILURE);
  }
  check_pending();

  rc = drv_driver_stop(&g_client, kDriverName);
  if (rc != 0 && rc != DRV_ERR_BROKEN) {
    fm_trace(0, "** error shutting down driver");
    fm_trace(0, "error code is %d", rc);
    finish(EXIT_TOOL_FAILURE);
  }
  drv_stop(&g_client, kDriverName);
  finish(EXIT_TOOL_OK);
}
