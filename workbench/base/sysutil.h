// System utilities shared by the whole environment: the owner window of every
// box, installation directories and help settings in the profile store, and
// the code-page conversion between QX Roman-8 (0) and ISO 8859-1 (1).
#pragma once

#include <cstddef>

// The main window and the default application name are kept by the shell's
// sink (workbench/base/shellsink.h), which every box goes through.
// Records the main frame's window once; a second call is a failed check.
void Sys_SetMainWindow(void* window);
// The recorded main window (null before there is one).
void* Sys_GetMainWindow();
// Forgets the main window (tests, and the end of the main frame).
void Sys_ClearMainWindow();

// The framework's default application name: the caption of framework
// boxes such as the failed-check box ("tessarine" until set).
void Sys_SetDefaultAppName(const char* name);
const char* Sys_GetDefaultAppName();

// Shows `text`, a line feed and "[#<code>] <system text for the code>" in a
// box owned by the main window; returns the button pressed.
int Sys_ShowWin32Error(unsigned long code, const char* text, const char* caption, unsigned style);

// The string value `name` of the installation key "SOFTWARE\Orvantis\QX
// Varnica" (or of its subkey), current user first, then the machine. Returns
// the length, or -1 when missing.
int Sys_RegQuery(const char* subkey, const char* name, char* buffer, size_t size);
// Writes a string value of the installation key in the machine's hive; when
// that hive cannot be written, in the current user's. Returns the length or
// -1.
int Sys_RegSet(const char* subkey, const char* name, const char* text);

// Directories of the installation ("Directories"/"BaseDirectory", a named
// directory, or the parent of the current directory). Length or -1.
int Sys_GetBaseDirectory(char* buffer, size_t size);
int Sys_GetDirectory(const char* name, char* buffer, size_t size);

// These return one shared 1024-byte buffer (copy the text before the next
// call), or null when the directory or setting cannot be found.
const char* Sys_GetLibDirectory();
const char* Sys_GetBinDirectory();
const char* Sys_GetEtcDirectory();
const char* Sys_GetHelpConfigFile();
const char* Sys_GetHelpUrl();
void Sys_SetHelpConfigFile(const char* text);
void Sys_SetHelpUrl(const char* text);

// Builds the conversion tables between code page 0 (QX Roman-8) and 1
// (ISO 8859-1); conversions build them on first use too.
void Sys_InitCodepages();
// Converts `length` bytes in place. Equal code pages change nothing (0); a
// pair other than 0/1 or 1/0 gives -1 and changes nothing.
int Sys_ConvertCodepage(int from, int to, void* buffer, size_t length);
// The conversion table of one direction (null for any other pair).
const unsigned char* Sys_CodepageTable(int from, int to);
