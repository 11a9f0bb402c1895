#include "language/errutil.h"

#include "language/internal_check.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

ErrContext g_err_context;

void print_with(ErrContext* ctx, const char* text) {
  if (ctx->print)
    ctx->print(ctx->print_user, text);
  else
    std::fputs(text, stdout);
}

[[noreturn]] void memory_panic() {
  print_error("(FATAL) Memory panic");
  internal_fatal(nullptr, 1);
}

}  // namespace

ErrContext* err_context() { return &g_err_context; }

void err_set_line(const char* text, long number) {
  g_err_context.line_text = text;
  g_err_context.line_number = text ? number : 0;
}

void err_begin_source() {
  g_err_context.last_line = 0;
  g_err_context.line_text = nullptr;
  g_err_context.line_number = 0;
}

void err_print(const char* text) { print_with(&g_err_context, text); }

namespace {

void report(ErrContext* ctx, const char* kind, const char* message) {
  const bool has_line = ctx->line_text != nullptr && ctx->line_number > 0;
  const bool fresh_line = has_line && ctx->line_number != ctx->last_line;

  // Pieces go out one by one: no allocation here, since a memory panic
  // reports through this routine too.
  if (fresh_line && !ctx->listing) {
    print_with(ctx, ctx->line_text);
    const size_t length = std::strlen(ctx->line_text);
    if (length == 0 || ctx->line_text[length - 1] != '\n') print_with(ctx, "\n");
  }
  print_with(ctx, "*** ");
  if (kind) {
    print_with(ctx, "(");
    print_with(ctx, kind);
    print_with(ctx, ") ");
  }
  print_with(ctx, message);
  char suffix[48];
  if (fresh_line)
    std::snprintf(suffix, sizeof suffix, " in line %ld\n", ctx->line_number);
  else
    std::snprintf(suffix, sizeof suffix, "\n");
  print_with(ctx, suffix);

  if (has_line) ctx->last_line = ctx->line_number;
}

}  // namespace

void err_report(ErrContext* ctx, const char* message) {
  report(ctx, nullptr, message);
  ++ctx->error_count;
  if (ctx->max_errors > 0 && ctx->error_count > ctx->max_errors) {
    print_with(ctx, "*** (FATAL) Number of errors exceeds maximum\n");
    internal_fatal(nullptr, 1);
  }
}

void print_error(const char* message) { err_report(&g_err_context, message); }

void print_warning(const char* message) {
  report(&g_err_context, "WARNING", message);
  ++g_err_context.warning_count;
}

void* safe_calloc(size_t count, size_t size) {
  if (count == 0 || size == 0) count = size = 1;
  if (count > SIZE_MAX / size) memory_panic();
  void* memory = std::calloc(count, size);
  if (!memory) memory_panic();
  return memory;
}

char* safe_strdup(const char* text) {
  if (!text) text = "";
  const size_t length = std::strlen(text);
  char* copy = static_cast<char*>(safe_calloc(length + 1, 1));
  std::memcpy(copy, text, length);
  return copy;
}
