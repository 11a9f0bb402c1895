// Diagnostics: trace levels, log stream, error boxes and the crash log.
#include "workbench/base/diag.h"

#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <unistd.h>

#include "platform/atomicfile.h"
#include "workbench/base/shellsink.h"

namespace {

enum { DIAG_LETTERS = 26, DIAG_CWD_MAX = 1024 };

struct DiagContext {
  int8_t levels[DIAG_LETTERS] = {};
  FILE* log = nullptr;
  int quiet = 0;
  std::string crash_path;
};

DiagContext& diag() {
  static DiagContext ctx;
  return ctx;
}

std::string format_message(const char* format, va_list args) {
  char buffer[DIAG_MESSAGE_MAX];
  int n = vsnprintf(buffer, sizeof buffer, format, args);
  if (n < 0) return std::string();
  return std::string(buffer);
}

std::string local_time_text() {
  char text[128];
  time_t now = time(nullptr);
  struct tm tm_now;
  localtime_r(&now, &tm_now);
  if (strftime(text, sizeof text, "%c", &tm_now) == 0) text[0] = '\0';
  return text;
}

std::string one_line(std::string text) {
  for (char& c : text)
    if (c == '\n') c = ' ';
  return text;
}

void report_box(const char* caption, const std::string& message) {
  if (!diag().quiet)
    Shell_Sink().message_box(Shell_OwnerWindow(), caption, message.c_str(), SHELL_MB_OK | SHELL_MB_ICONSTOP);
  std::string line = "*** ";
  line += caption;
  line += ": ";
  line += one_line(message);
  Diag_WriteLog(line.c_str());
}

// Reads an optional decimal number at `p`; a missing number means 1. The
// level is kept in a signed byte, as the levels are.
int8_t read_level(const char*& p) {
  if (*p < '0' || *p > '9') return 1;
  unsigned long value = 0;
  while (*p >= '0' && *p <= '9') {
    value = (value * 10 + static_cast<unsigned long>(*p - '0')) & 0xFFFFFFFFul;
    ++p;
  }
  return static_cast<int8_t>(static_cast<uint8_t>(value & 0xFF));
}

void take_crash_path() {
  DiagContext& ctx = diag();
  if (!ctx.crash_path.empty()) return;
  char cwd[DIAG_CWD_MAX];
  if (getcwd(cwd, sizeof cwd) == nullptr) return;
  ctx.crash_path = cwd;
  if (ctx.crash_path != "/") ctx.crash_path += "/";
  ctx.crash_path += "CrashLog.txt";
}

bool write_crash_log(const std::string& path, const std::string& message) {
  std::string text = "QX Varnica IDE Crash Log from " + local_time_text() + "\n\n";
  text += "Please send this file to the QX Varnica support team of Orvantis,\n";
  text += "together with a short description, by mail to support@orvantis.example.\n\n";
  text += message + "\n\n";
  text += "To be able to reproduce this failure, it would be\n";
  text += "very helpful if you briefly describe the situation\n";
  text += "before the error occurred. Thank you very much.\n";
  return atomic_write_file(path.c_str(), text.data(), text.size(), 0644) == 0;
}

}  // namespace

void Diag_Setup(const char* flags, FILE* stream) {
  DiagContext& ctx = diag();
  memset(ctx.levels, 0, sizeof ctx.levels);
  const char* p = flags ? flags : "";
  while (*p) {
    char c = *p++;
    int8_t level = read_level(p);
    if (c >= 'A' && c <= 'Z')
      ctx.levels[c - 'A'] = level;
    else if (c == '*')
      memset(ctx.levels, static_cast<unsigned char>(level), sizeof ctx.levels);
  }
  if (ctx.log && ctx.log != stderr && ctx.log != stream) fclose(ctx.log);
  ctx.log = stream;
  if (flags && *flags && stream && stream != stderr) {
    setvbuf(stream, nullptr, _IOLBF, 512);
    fprintf(stream, "\n** %s", local_time_text().c_str());
    fprintf(stream, "   Flags = [%s]\n\n", flags);
    fflush(stream);
  }
  take_crash_path();
}

bool Diag_TraceEnabled(int letter, int level) {
  if (letter < 'A' || letter > 'Z') return false;
  return diag().levels[letter - 'A'] >= level;
}

void Diag_Trace(int letter, int level, const char* format, ...) {
  if (!Diag_TraceEnabled(letter, level)) return;
  va_list args;
  va_start(args, format);
  std::string text = format_message(format, args);
  va_end(args);
  Diag_TraceWrite(letter, level, text.c_str());
}

void Diag_TraceWrite(int letter, int level, const char* text) {
  DiagContext& ctx = diag();
  if (text == nullptr) text = "";
  if (*text == '\n') {
    if (ctx.log) {
      fputc('\n', ctx.log);
    } else {
      Shell_Sink().debug_output("\n");
    }
    ++text;
  }
  if (ctx.log) {
    fprintf(ctx.log, "%c%d: %s\n", letter, level, text);
    fflush(ctx.log);
    return;
  }
  char prefix[32];
  snprintf(prefix, sizeof prefix, "%c%d: ", letter, level);
  Shell_Sink().debug_output(prefix);
  Shell_Sink().debug_output(text);
  Shell_Sink().debug_output("\n");
}

void Diag_WriteLog(const char* text) {
  DiagContext& ctx = diag();
  if (text == nullptr) text = "";
  if (ctx.log) {
    fprintf(ctx.log, "%s\n", text);
    fflush(ctx.log);
    return;
  }
  Shell_Sink().debug_output(text);
  Shell_Sink().debug_output("\n");
}

void Diag_SetQuiet(int quiet) { diag().quiet = quiet; }
int Diag_GetQuiet() { return diag().quiet; }

void Diag_GeneralFailure(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string message = format_message(format, args);
  va_end(args);
  report_box("General Failure", message);
}

void Diag_ErrorBox(const char* caption, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string message = format_message(format, args);
  va_end(args);
  report_box(caption ? caption : "", message);
}

void Diag_Fatal(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string message = format_message(format, args);
  va_end(args);

  ShellSink& sink = Shell_Sink();
  void* owner = Shell_OwnerWindow();
  const std::string& path = diag().crash_path;
  if (!path.empty() && write_crash_log(path, message)) {
    std::string text =
        "A fatal error occurred which will cause the program to abort immediately.\n\n"
        "The error condition has been logged to the file\n   ";
    text += path;
    text +=
        "\n\nWhen you press the OK button, this file will be automatically opened.\n"
        "Please follow the instructions shown in the file. Thank you very much.";
    sink.message_box(owner, "Fatal Error", text.c_str(), SHELL_MB_OK | SHELL_MB_ICONSTOP);
    if (!sink.open_text_file(path.c_str())) {
      std::string failed =
          "The log file could not be opened automatically.\n"
          "Please open it by yourself and follow the instructions shown in the file.\n"
          "Thank you very much.\n\nThe name of the file is:\n   ";
      failed += path;
      sink.message_box(owner, "Fatal Error", failed.c_str(), SHELL_MB_OK | SHELL_MB_ICONSTOP);
    }
  } else {
    std::string text =
        "A fatal error occurred which will cause the program to abort immediately.\n\n"
        "Please note the error condition shown below and send it to the\n"
        "QX Varnica support team of Orvantis (support@orvantis.example).\n\n"
        "To be able to reproduce this failure, it would be very helpful if you\n"
        "briefly describe the situation before the error occurred.\n"
        "Thank you very much.\n\nError Condition:\n";
    text += message;
    sink.message_box(owner, "Fatal Error", text.c_str(), SHELL_MB_OK | SHELL_MB_ICONSTOP);
  }
  sink.end_process(1);
  std::exit(1);
}

void Diag_HexDump(const char* text, const void* data, int length) {
  char line[128];
  snprintf(line, sizeof line, "(%d bytes) ", length);
  std::string head = line;
  head += text ? text : "";
  Diag_WriteLog(head.c_str());
  if (length < 1 || data == nullptr) return;
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  for (int offset = 0; offset < length; offset += 16) {
    std::string out;
    snprintf(line, sizeof line, "%03x:", offset);
    out += line;
    int count = length - offset < 16 ? length - offset : 16;
    for (int i = 0; i < 16; ++i) {
      if (i < count) {
        snprintf(line, sizeof line, " %02x", bytes[offset + i]);
        out += line;
      } else {
        out += "   ";
      }
    }
    out += " |";
    for (int i = 0; i < count; ++i) {
      unsigned char c = bytes[offset + i];
      out += (c < 0x20 || c >= 0x7F) ? '.' : static_cast<char>(c);
    }
    out += "|";
    Diag_WriteLog(out.c_str());
  }
}

const std::string& Diag_CrashLogPath() { return diag().crash_path; }

void Diag_Reset() {
  DiagContext& ctx = diag();
  memset(ctx.levels, 0, sizeof ctx.levels);
  if (ctx.log && ctx.log != stderr) fclose(ctx.log);
  ctx.log = nullptr;
  ctx.quiet = 0;
  ctx.crash_path.clear();
}
