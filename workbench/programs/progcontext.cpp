// Start-up of the environment's program context and its colour table.
#include "workbench/programs/progcontext.h"

#include <cstdio>

#include "language/keywords.h"
#include "workbench/programs/idecompile.h"
#include "workbench/base/sysassert.h"

namespace {

// Start texts per token kind, in the order of ListCtrlOp.
const char* const kStarts[LIST_CTRL_KINDS] = {
    "\x1b\x05",  // comments, trailing texts, DATA and IMAGE text
    "\x1b\x0d",  // string constants
    "\x1b\x09",  // statement keywords
    "\x1b\x0a",  // built-in functions
    "\x1b\x0b",  // operator words
    "\x1b\x0c",  // numeric constants
    "\x1b\x0e",  // variables and structures
    "\x1b\x07",  // labels
    "\x1b\x08",  // line-number references
    "\x1b\x06",  // FN and SUB names
    "\x1b\x04",  // error texts and the rest
};

struct ColourTable {
  const char* texts[LIST_CTRL_WORDS] = {};
  ColourTable() {
    texts[0] = "\x1b\x01";
    for (int k = 0; k < LIST_CTRL_KINDS; ++k) texts[1 + 2 * k] = kStarts[k];
  }
};

ProgContext* start() {
  auto* ctx = new ProgContext;
  pkeywd_init();
  skeywd_init();
  ide_context_init(&ctx->cc);
  // With the compiler's debug flag on (cc.debug), its output, the parser's
  // "yyerror: " lines among it, goes to standard output.
  ctx->cc.debug_sink = [](void*, const char* text) { std::fputs(text, stdout); };
  list_options_ctx(&ctx->lc, LIST_OPT_RESET, nullptr);
  int rc = list_options_ctx(&ctx->lc, LIST_OPT_SET_MARKUP, const_cast<const char**>(Prog_ColourTable()));
  SYS_ASSERT(rc == 0);
  return ctx;
}

}  // namespace

const char* const* Prog_ColourTable() {
  static const ColourTable table;
  return table.texts;
}

ProgContext& Prog_Context() {
  static ProgContext* ctx = start();
  return *ctx;
}
