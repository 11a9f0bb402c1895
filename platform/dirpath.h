// The path helpers of the environment, on strings alone (no file system):
// the normal form, joining, splitting, comparing, shortening for display and
// the file kinds by extension. Both the settings and the file access layer
// (workbench/programs/dirutil.h) use them.
//
// Local paths follow this system's rules: "/" is the only separator (a
// backslash is a character of a name, and "c:" or "\\srv" are plain names),
// a path is absolute when it begins with "/", and names differ by case.
// A server path is a host name, "://" and the path on that server; the text
// after "://" keeps the program server's own rules (a backslash there is a
// separator too).
#pragma once

#include <functional>
#include <string>

// Local paths: repeated "/" become one and a trailing "/" goes (the root
// "/" stays). Server paths: after "://" every backslash becomes "/", and a
// path on the server of two or more characters loses a trailing "/".
void DirUtil_NormalizePath(std::string& path);
// Every "/" becomes a backslash (a server path's form on the wire of some
// servers; local paths never need it).
void DirUtil_ToBackslash(std::string& path);
// True for a server path (one with "://").
bool DirUtil_IsServerPath(const char* path);
// True for a path beginning with "/" and for a server path.
bool DirUtil_IsAbsolute(const char* path);
// The text after the first "://", or null for a local path.
const char* DirUtil_SkipServerPrefix(const char* path);
// Appends "/" unless the directory is empty or ends in "/", then the name
// without its leading "/": ("", "x") gives "x", ("/a/", "/b") "/a/b".
void DirUtil_AppendPath(std::string& directory, const char* name);
// The text before the last "/" ("" when there is none); the root "/" for a
// local path directly below it, "host://" for a name at a server's top level
// ("" for "host://" itself).
std::string DirUtil_GetDir(const std::string& path);
// The text after the last "/", "" when there is none.
std::string DirUtil_GetName(const std::string& path);
// The path without the text from its last "." when that "." lies in the
// last component: "a.b/c" stays.
std::string DirUtil_StripExt(const std::string& path);
// Takes the first component off a path: for a server path `first` becomes
// the host and `path` the rest after "://"; otherwise `first` becomes the
// text before the first "/" and `path` the rest after it (all of it, leaving
// the path empty, when there is no "/"). False for an empty path.
bool DirUtil_SplitFirst(std::string& path, std::string& first);
// Equality, byte for byte (local names differ by case, and so do a program
// server's).
bool DirUtil_SamePath(const char* a, const char* b);

// The path shortened for display to `width` pixels as `measure` counts
// them: widths below 32 and paths that fit stay as they are. Otherwise the
// first component (with its leading "/" or "//", or a server path's host and
// first component) is kept, then "...", then the rest of the path from a
// later "/", one component further each time, until the text fits or only
// the last component is left ("/home.../src/main.PROG").
std::string DirUtil_ShortenPath(const std::string& path, int width,
                                const std::function<int(const std::string&)>& measure);

// File kinds by extension, compared without regard to case.
bool DirUtil_IsProgFile(const char* path);  // ".PROG"
bool DirUtil_IsTextFile(const char* path);  // ".ini", ".log", ".lst", ".txt", ".list"
const char* DirUtil_ProgExt();              // "PROG"
// Unless the path is a program file: appends "." (when it does not end in
// one) and "PROG".
void DirUtil_AddProgExt(std::string& path);
