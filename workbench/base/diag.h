// Diagnostics of the environment: traces switched per category letter and
// level, the log file, error boxes that are also logged, and the fatal path
// that writes the crash log and ends the process. Boxes, the debugger output
// and the process end go through the shell sink (shellsink.h).
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// Buffer size of one formatted trace or message.
enum { DIAG_MESSAGE_MAX = 8192 };

// Resets every level to 0, then sets levels from `flags` ("*1Q5": every letter
// 1, then Q 5; a letter without a number means 1). Replaces the log stream
// (closing the previous one unless it is standard error); the stream may be
// null. With flags and a stream other than standard error a header with the
// date and the flags is written. The crash-log path is fixed at the first call.
void Diag_Setup(const char* flags, FILE* stream);

// True when `letter` ('A'..'Z') is traced at `level` or more.
bool Diag_TraceEnabled(int letter, int level);

// Formats and writes a trace line when the letter is traced at that level.
void Diag_Trace(int letter, int level, const char* format, ...) __attribute__((format(printf, 3, 4)));

// Writes "L<level>: text" to the log, or to the debugger output without one.
// A text that begins with a line feed gets an empty line first.
void Diag_TraceWrite(int letter, int level, const char* text);

// Writes a line to the log (or the debugger output).
void Diag_WriteLog(const char* text);

// While non-zero the error boxes are not shown (their log lines still are).
void Diag_SetQuiet(int quiet);
int Diag_GetQuiet();

// Error box with the caption "General Failure", logged on one line.
void Diag_GeneralFailure(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Error box with the given caption, logged on one line.
void Diag_ErrorBox(const char* caption, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Writes the crash log, tells the user, opens the log and ends the process
// with exit code 1.
[[noreturn]] void Diag_Fatal(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Logs "(<length> bytes) <text>" and a hex/character line per 16 bytes.
void Diag_HexDump(const char* text, const void* data, int length);

// The crash-log path (empty until the first Diag_Setup).
const std::string& Diag_CrashLogPath();

// Back to the state before any set-up (levels 0, no log, no crash-log path,
// not quiet); for tests and for a second environment in one process.
void Diag_Reset();
