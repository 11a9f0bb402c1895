// list: prints a program file back as source text, optionally with markup
// tags around every token, and a cross reference of its symbols.
//
//   list [options] file
//
// "prog" and "prog.PROG" name the same file. The listing goes to standard
// output, program information and debug dumps to standard error.
#include <getopt.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "language/keywords.h"
#include "language/lister.h"
#include "language/progfile.h"
#include "language/progseg.h"
#include "language/toolframe.h"

const char* const usage_table[] = {
    "Usage: list [options] file",
    "options:",
    " -l      = list. This is the default unless -x is selected",
    " -n      = no line numbers (only referenced ones)",
    " -x[opt] = cross reference",
    "            l = labels/line numbers",
    "            c = constants",
    "            v = variables",
    "            s = subprograms / functions",
    "            o = order by name",
    "           Default -x options: lcvs",
    " -v      = Print additional information to stderr",
    "<$END>",
};

namespace {

const char kTool[] = "list";
const char kProgSuffix[] = ".PROG";

struct Settings {
  bool have_password = false;
  std::string password;
  bool referenced_only = false;  // -n
  bool list = false;             // -l
  int debug = 0;                 // -d
  int charset = 0;               // -c
  bool markup = false;           // -C
  bool verbose = false;          // -v
  bool xref = false;             // -x
  bool x_lines = false, x_consts = false, x_vars = false, x_subs = false, x_by_name = false;
  std::string file;
};

[[noreturn]] void finish(int status) {
  tool_out_flush();
  std::exit(status);
}

[[noreturn]] void fatal(const char* who, const char* text) {
  tool_out_flush();
  std::fprintf(stderr, "%s: %s\n", who, text);
  std::fprintf(stderr, "%s: Fatal error - terminated\n", kTool);
  finish(EXIT_TOOL_FAILURE);
}

[[noreturn]] void no_memory(const char* table) {
  tool_out_flush();
  std::fprintf(stderr, "%s: %s (%s)\n", kTool, "Memory allocation failed", table);
  std::fprintf(stderr, "%s: Fatal error - terminated\n", kTool);
  finish(EXIT_TOOL_FAILURE);
}

// ---- options -------------------------------------------------------------

void parse_options(int argc, char** argv, Settings* s) {
  int errors = 0;
  opterr = 0;
  int c;
  while ((c = getopt(argc, argv, "+p:nldc:Cvx::")) != -1) {
    switch (c) {
      case 'p':
        s->have_password = true;
        s->password = optarg;
        break;
      case 'n': s->referenced_only = true; break;
      case 'l': s->list = true; break;
      case 'd': ++s->debug; break;
      case 'c': {
        char* end = nullptr;
        long v = std::strtol(optarg, &end, 10);
        if (end == optarg || *end != '\0' || (v != 0 && v != 1)) {
          std::fprintf(stderr, "%s: %s\n", kTool, "Bad charset");
          ++errors;
        } else {
          s->charset = static_cast<int>(v);
        }
        break;
      }
      case 'C': s->markup = true; break;
      case 'v': s->verbose = true; break;
      case 'x': {
        s->xref = true;
        const char* opts = optarg ? optarg : "lcvs";
        if (optarg && !*optarg) opts = "lcvs";
        for (const char* p = opts; *p; ++p) {
          switch (*p) {
            case 'l': s->x_lines = true; break;
            case 'c': s->x_consts = true; break;
            case 'v': s->x_vars = true; break;
            case 's': s->x_subs = true; break;
            case 'o': s->x_by_name = true; break;
            default: std::fprintf(stderr, "%s: %s -- %c\n", kTool, "Illegal xref option", *p); ++errors;
          }
        }
        // "-xo" alone orders the default groups by name.
        if (!s->x_lines && !s->x_consts && !s->x_vars && !s->x_subs)
          s->x_lines = s->x_consts = s->x_vars = s->x_subs = true;
        break;
      }
      default: ++errors; break;
    }
  }
  int files = argc - optind;
  if (errors || files > 1) {
    std::fprintf(stderr, "%s: %s\n", kTool, "Illegal arguments");
    finish(EXIT_TOOL_USAGE);
  }
  if (files < 1) {
    std::fprintf(stderr, "%s: %s\n", kTool, "No inputfile specified");
    finish(EXIT_TOOL_USAGE);
  }
  s->file = argv[optind];
}

// The file name with one trailing ".PROG" removed and ".PROG" appended.
std::string program_name(const std::string& arg) {
  size_t n = sizeof kProgSuffix - 1;
  std::string base = arg;
  if (base.size() >= n && base.compare(base.size() - n, n, kProgSuffix) == 0) base.resize(base.size() - n);
  return base + kProgSuffix;
}

// ---- referenced lines ------------------------------------------------------

// Line numbers that some symbol table refers to (sorted).
std::vector<int> referenced_lines(const ProgList* prog, const char* file) {
  std::vector<int> lines;
  try {
    for (ProgSegment* seg = prog->root; seg; seg = seg->next) {
      const std::vector<uint16_t>& sym = seg->symbols;
      size_t off = 0;
      while (off + 2 <= sym.size()) {
        uint16_t type = sym[off + 1];
        int cls = sym_type_class(type);
        int sub = sym_type_subtype(type);
        size_t len = static_cast<size_t>(sym_type_length(type));
        if (cls == 2 || type >= 0x9000 || len < 2 || off + len > sym.size()) fatal(file, "Illegal symbol table entry");
        if (cls == SYM_CLASS_LINE) {
          if (sub == 2 || sub == 3 || sub == 6) fatal(file, "Illegal symbol table entry (LREF)");
          if (sub == SYM_SUB_LINE) {
            if (len < 3) fatal(file, "Illegal symbol table entry");
            lines.push_back(sym[off + 2]);
          }
        }
        off += len;
      }
    }
  } catch (const std::bad_alloc&) {
    no_memory("ref_lines");
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

// ---- cross reference --------------------------------------------------------

struct XrefRecord {
  uint16_t line;
  uint8_t decl;  // declaration mode of the lister, 0..3
  uint8_t cls;
  uint8_t sub;
  std::string name;
};

struct XrefRun {
  const Settings* settings = nullptr;
  int line = 0;  // the line being listed
  std::vector<XrefRecord> records;
};

void xref_record(void* user, ProgSegment* seg, uint16_t ref, const char* name, int decl_mode) {
  auto* run = static_cast<XrefRun*>(user);
  size_t off = ref & 0x7FFF;
  if (off + 2 > seg->symbols.size()) return;
  uint16_t type = seg->symbols[off + 1];
  int cls = sym_type_class(type);
  int sub = sym_type_subtype(type);
  const Settings* s = run->settings;
  bool wanted = false;
  if (cls == SYM_CLASS_CONST)
    wanted = s->x_consts;
  else if (cls == SYM_CLASS_LINE)
    wanted = (sub == SYM_SUB_LINE || sub == SYM_SUB_LABEL) ? s->x_lines : s->x_subs;
  else
    wanted = s->x_vars;
  if (!wanted) return;
  try {
    run->records.push_back(XrefRecord{static_cast<uint16_t>(run->line), static_cast<uint8_t>(decl_mode & 3),
                                      static_cast<uint8_t>(cls & 0xF), static_cast<uint8_t>(sub & 7), name});
  } catch (const std::bad_alloc&) {
    no_memory("xref_syms");
  }
}

std::string type_text(const XrefRecord& r) {
  static const char* const numeric[] = {"D", "X", "R", "S", "I"};
  char b[16];
  switch (r.cls) {
    case 0: return "CONST";
    case 1:
      switch (r.sub) {
        case 0: return "LINE";
        case 1: return "LABEL";
        case 4: return "FN";
        case 5: return "FN$";
        case 7: return "SUB";
        default: return "?";
      }
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
      if (r.sub)
        std::snprintf(b, sizeof b, "%s(%d)", numeric[r.cls - 3], r.sub);
      else
        std::snprintf(b, sizeof b, "%s", numeric[r.cls - 3]);
      return b;
    case 8: return "STRCT";
    default: return "?";
  }
}

void xref_report(std::vector<XrefRecord>& recs, bool by_name) {
  auto key = [by_name](const XrefRecord& a, const XrefRecord& b) {
    bool da = a.decl != 0, db = b.decl != 0;
    if (by_name && a.name != b.name) return a.name < b.name;
    if (a.cls != b.cls) return a.cls < b.cls;
    if (a.sub != b.sub) return a.sub < b.sub;
    if (!by_name && a.name != b.name) return a.name < b.name;
    if (da != db) return da;
    return a.line < b.line;
  };
  std::stable_sort(recs.begin(), recs.end(), key);
  tool_out_printf("%s", "Symbol           Type  References\n");
  tool_out_printf("%s", "---------------- -------------------------------------------------------\n");
  size_t i = 0;
  while (i < recs.size()) {
    size_t j = i;
    while (j < recs.size() && recs[j].name == recs[i].name && recs[j].cls == recs[i].cls && recs[j].sub == recs[i].sub)
      ++j;
    const XrefRecord& first = recs[i];
    tool_out_printf("\n%-16s ", first.name.c_str());
    tool_out_printf("%-5s", type_text(first).c_str());
    bool checked = first.cls >= 3 || (first.cls == 1 && first.sub == 1);
    if (checked) {
      size_t decls = 0;
      for (size_t k = i; k < j; ++k) decls += recs[k].decl != 0;
      if (decls > 1) tool_out_printf(" ** declared multiple\n%21s", "");
      if (decls == j - i && first.decl != LIST_DECL_COM) tool_out_printf(" ** declared but unreferenced\n%21s", "");
      if (decls == 0) tool_out_printf(" ** referenced but undeclared\n%21s", "");
    }
    int printed = 0;
    int prev = -1;
    for (size_t k = i; k < j; ++k) {
      const XrefRecord& r = recs[k];
      if (r.line == prev && r.decl == 0) continue;
      prev = r.line;
      if (printed && printed % 8 == 0) tool_out_printf("\n%22s", "");
      tool_out_printf(" %6d", r.decl ? -static_cast<int>(r.line) : static_cast<int>(r.line));
      ++printed;
    }
    i = j;
  }
  tool_out_printf("%s", "\n");
}

// ---- the run ---------------------------------------------------------------

void dump_words(const uint16_t* line) {
  int n = line[1] & 0xFF;
  for (int i = 0; i < n; ++i) std::fprintf(stderr, i ? " %04x" : "%04x", line[i]);
  std::fprintf(stderr, "\n");
}

const char* const kMarkup[LIST_CTRL_WORDS] = {
    "</X>", "<R>",  nullptr,  // comments, trailing texts, DATA and IMAGE text
    "<S>",  "</S>",           // string constants
    "<P>",  "</P>",           // statement keywords
    "<P>",  "</P>",           // function names
    "<O>",  "</O>",           // operator words
    "<C>",  "</C>",           // numeric constants
    "<V>",  "</V>",           // variables
    "<L>",  "</L>",           // labels
    "<N>",  "</N>",           // line numbers
    "<S>",  "</S>",           // FN and SUB names
    "<E>",  "</E>",           // errors and the rest
};

struct LineWalk {
  ListContext* lc;
  const Settings* settings;
  const std::vector<int>* referenced;
  XrefRun* xref;
};

int list_one(void* user, ProgSegment* seg, const uint16_t* line) {
  auto* w = static_cast<LineWalk*>(user);
  if (w->settings->debug >= 2) {
    tool_out_flush();
    dump_words(line);
  }
  int flags = 0;
  if (w->referenced &&
      !std::binary_search(w->referenced->begin(), w->referenced->end(), static_cast<int>(line[0] & 0x7FFF)))
    flags |= LIST_NO_LINE_NUMBER;
  list_line_ctx(w->lc, seg, line, flags);
  // The whole line: a raw text may hold NUL bytes.
  tool_out_write(w->lc->result.data(), w->lc->result.size());
  tool_out_write("\n", 1);
  return 0;
}

int xref_one(void* user, ProgSegment* seg, const uint16_t* line) {
  auto* w = static_cast<LineWalk*>(user);
  w->xref->line = line[0] & 0x7FFF;
  list_line_ctx(w->lc, seg, line, LIST_NO_LINE_NUMBER | LIST_SHOW_PROTECTED | LIST_NO_CONVERSION);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  banner_tool("LIST");
  tool_early_options(argc, argv, TOOL_EARLY_ALONE, finish);

  Settings s;
  parse_options(argc, argv, &s);
  std::string name = program_name(s.file);

  FILE* in = std::fopen(name.c_str(), "rb");
  if (!in) {
    tool_out_flush();
    std::fprintf(stderr, "%s: %s: %s\n", name.c_str(), "open failed", std::strerror(errno));
    std::fprintf(stderr, "%s: Fatal error - terminated\n", kTool);
    finish(EXIT_TOOL_FAILURE);
  }

  pkeywd_init();
  skeywd_init();
  ProgList prog;
  prog_reader rd;
  if (yq__prog_read_init(in, &rd, &prog) < 0) {
    const prog_error* e = yq__prog_read_error(&rd);
    std::fclose(in);
    fatal(name.c_str(), e->message ? e->message : "read failed");
  }
  const prog_options* info = yq__prog_read_info(&rd);
  if (s.verbose) {
    std::fprintf(stderr, "Program Information:\n");
    std::fprintf(stderr, "Program format: %d\n", info->revision);
    std::fprintf(stderr, "Byte order    : %d\n", info->byte_order);
    std::fprintf(stderr, "Charset       : %d\n", info->charset);
    std::fprintf(stderr, "Secured       : %d\n", info->password);
  }
  if (info->password) {
    if (!s.have_password) {
      std::fclose(in);
      fatal(name.c_str(), "Sorry, program is protected and no password provided.");
    }
    if (!yq__prog_check_password(&rd, prog_pswd_digest(s.password.data(), s.password.size()))) {
      std::fclose(in);
      fatal(name.c_str(), "Sorry, wrong password.");
    }
  }
  if (yq__prog_read(&rd) < 0) {
    const prog_error* e = yq__prog_read_error(&rd);
    std::fclose(in);
    fatal(name.c_str(), e->message ? e->message : "read failed");
  }
  std::fclose(in);

  std::vector<int> referenced;
  if (s.referenced_only) referenced = referenced_lines(&prog, name.c_str());

  ListContext* lc = list_context();
  LineWalk walk{lc, &s, s.referenced_only ? &referenced : nullptr, nullptr};

  if (!s.xref || s.list) {
    int cs = s.charset;
    list_options(LIST_OPT_SET_CHARSET, &cs);
    if (s.markup) list_options(LIST_OPT_SET_MARKUP, const_cast<const char**>(kMarkup));
    for (ProgSegment* seg = prog.root; seg; seg = seg->next) {
      if (s.verbose) {
        tool_out_flush();
        std::fprintf(stderr, "Segment: %s\n", list_segment_name(lc, &prog, seg));
        std::fprintf(stderr, "codesz = %d, symsz = %d\n", static_cast<int>(seg->code.size() * 2),
                     static_cast<int>(seg->symbols.size() * 2));
      }
      progseg_walk_lines(seg, list_one, &walk);
    }
    list_options(LIST_OPT_RESET, nullptr);
  }

  if (s.xref) {
    XrefRun run;
    run.settings = &s;
    walk.xref = &run;
    lc->symbol_hook = xref_record;
    lc->symbol_user = &run;
    bool first = true;
    for (ProgSegment* seg = prog.root; seg; seg = seg->next) {
      run.records.clear();
      progseg_walk_lines(seg, xref_one, &walk);
      if (!first) tool_out_printf("%s", "\n");
      first = false;
      tool_out_printf("Segment: %s\n", list_segment_name(lc, &prog, seg));
      try {
        xref_report(run.records, s.x_by_name);
      } catch (const std::bad_alloc&) {
        no_memory("t_XREF");
      }
    }
    lc->symbol_hook = nullptr;
    lc->symbol_user = nullptr;
  }
  progseg_free_all(&prog);

  tool_out_flush();
  if (tool_out_failed()) {
    std::string text = std::string("write failed: ") + std::strerror(tool_out_error());
    fatal(kTool, text.c_str());
  }
  return EXIT_TOOL_OK;
}
