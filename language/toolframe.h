// Console tool frame: the usage printer, the start-up banner and the product
// number that every command-line tool of the set shares.
#pragma once

#include <cstddef>
#include <cstdio>

// Exit statuses of every tool.
enum { EXIT_TOOL_OK = 0, EXIT_TOOL_FAILURE = 1, EXIT_TOOL_USAGE = 2 };

// Each tool defines its usage text as a table of lines ended by "<$END>".
extern const char* const usage_table[];

// Prints the tool's usage table on standard error and ends the process with 2.
[[noreturn]] void print_usage();

// Prints a usage table (up to its "<$END>" line) and the closing empty line.
void print_usage_lines(FILE* out, const char* const* lines);

// The product number "Q7702K".
const char* product_number();
// The version text "A.06.31".
const char* product_version();
// The maker's notice printed between the tool name and the version.
const char* product_notice();

// "\n<product> <name> <notice> (<version>)\n" on standard error; a null name
// leaves the name out, an empty one prints nothing.
void banner_print(const char* name);
// banner_print followed by an empty line; nothing for a null name.
void banner_show(const char* name);
// The banner of store, list and linkforge: the same as banner_show.
void banner_tool(const char* name);

// Where a tool looks for "-help" and "-version" before anything else.
enum ToolEarlyForm {
  TOOL_EARLY_ALONE,    // only as the sole argument; no argument at all asks for the usage
  TOOL_EARLY_LEADING,  // as the first argument, whatever follows it
};

// What the command line asks for before the tool's own options are read.
enum ToolEarlyRequest { TOOL_REQUEST_NONE, TOOL_REQUEST_USAGE, TOOL_REQUEST_VERSION };

ToolEarlyRequest tool_early_request(int argc, char* const* argv, ToolEarlyForm form);

// Answers what tool_early_request finds: the usage ends the process through
// print_usage; the version is the banner already printed, so the run ends
// through the tool's own `finish` with EXIT_TOOL_OK. Returns when neither was
// asked for.
void tool_early_options(int argc, char* const* argv, ToolEarlyForm form, void (*finish)(int status));

// Standard output of a tool. Every write goes through these routines; the
// first failure is kept with its reason and later writes are dropped, so a
// lost report cannot end as a successful run.
void tool_out_write(const char* data, size_t size);
void tool_out_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Flushes standard output, e.g. before a message on standard error.
void tool_out_flush();
// True once anything written to standard output was lost.
bool tool_out_failed();
// The reason of that first loss (an errno value; EIO when none was given).
int tool_out_error();

// Ends the process. Standard output is flushed and closed first; when
// anything written there was lost, "<tool>: Write error on standard output:
// <reason>" goes to standard error and a successful status becomes
// EXIT_TOOL_FAILURE, as does a failed flush of standard error.
[[noreturn]] void tool_finish(const char* tool, int status);
