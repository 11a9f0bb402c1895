// The function list that the grammar actions build.
#include "language/tools/linkforge/linkforge.h"

#include "language/errutil.h"

#include <cstdlib>
#include <string_view>
#include <unordered_set>

LfContext lf_ctx;

namespace {
// Names seen so far, so that a long declaration file is not searched for
// every new name. The views point into the records' own names.
std::unordered_set<std::string_view> g_function_names;
std::unordered_set<std::string_view> g_argument_names;  // of the current function
}  // namespace

void lf_begin_function(char* name) {
  if (!g_function_names.insert(name).second) print_error("Function name already defined");
  g_argument_names.clear();
  LfFunction* function = static_cast<LfFunction*>(safe_calloc(1, sizeof(LfFunction)));
  function->name = name;
  if (lf_ctx.module.last)
    lf_ctx.module.last->next = function;
  else
    lf_ctx.module.first = function;
  lf_ctx.module.last = function;
  ++lf_ctx.module.count;
}

void lf_add_argument(char* name, int kind, long size) {
  LfFunction* function = lf_ctx.module.last;
  if (!function) {  // the grammar always opens a function first
    std::free(name);
    return;
  }
  if (function->arg_count >= LF_MAX_ARGS) print_error("Maximum number of arguments exceeded");
  if (name && !g_argument_names.insert(name).second) print_error("Argument name already defined");
  LfArgument* argument = static_cast<LfArgument*>(safe_calloc(1, sizeof(LfArgument)));
  argument->name = name;
  argument->kind = kind;
  argument->size = size;
  if (function->last_arg)
    function->last_arg->next = argument;
  else
    function->first_arg = argument;
  function->last_arg = argument;
  ++function->arg_count;
}

void lf_free_module(LfModule* module) {
  LfFunction* function = module->first;
  while (function) {
    LfArgument* argument = function->first_arg;
    while (argument) {
      LfArgument* next = argument->next;
      std::free(argument->name);
      std::free(argument);
      argument = next;
    }
    LfFunction* next = function->next;
    std::free(function->name);
    std::free(function);
    function = next;
  }
  *module = LfModule{};
  g_function_names.clear();
  g_argument_names.clear();
}
