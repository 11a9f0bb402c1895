// Path helpers on strings alone.
#include "platform/dirpath.h"

#include <strings.h>

#include <cstring>

namespace {

const char kServerMark[] = "://";
constexpr size_t kServerMarkLength = sizeof kServerMark - 1;

// The narrowest display width that shortening serves; narrower ones keep the
// path as it is.
constexpr int kShortenMinWidth = 32;

bool ends_with_nocase(const char* text, const char* tail) {
  size_t n = std::strlen(text), m = std::strlen(tail);
  return n >= m && strcasecmp(text + n - m, tail) == 0;
}

}  // namespace

bool DirUtil_IsServerPath(const char* path) { return path != nullptr && std::strstr(path, kServerMark) != nullptr; }

const char* DirUtil_SkipServerPrefix(const char* path) {
  const char* mark = path ? std::strstr(path, kServerMark) : nullptr;
  return mark ? mark + kServerMarkLength : nullptr;
}

void DirUtil_NormalizePath(std::string& path) {
  size_t mark = path.find(kServerMark);
  if (mark != std::string::npos) {
    size_t rest = mark + kServerMarkLength;
    for (size_t i = rest; i < path.size(); ++i)
      if (path[i] == '\\') path[i] = '/';
    if (path.size() - rest >= 2 && path.back() == '/') path.pop_back();
    return;
  }
  std::string out;
  out.reserve(path.size());
  for (char c : path)
    if (c != '/' || out.empty() || out.back() != '/') out += c;
  if (out.size() > 1 && out.back() == '/') out.pop_back();
  path = std::move(out);
}

void DirUtil_ToBackslash(std::string& path) {
  for (char& c : path)
    if (c == '/') c = '\\';
}

bool DirUtil_IsAbsolute(const char* path) { return path != nullptr && (path[0] == '/' || DirUtil_IsServerPath(path)); }

void DirUtil_AppendPath(std::string& directory, const char* name) {
  if (!directory.empty() && directory.back() != '/') directory += '/';
  while (*name == '/') ++name;
  directory += name;
}

std::string DirUtil_GetDir(const std::string& path) {
  size_t mark = path.find(kServerMark);
  size_t slash = path.rfind('/');
  if (mark != std::string::npos) {
    size_t rest = mark + kServerMarkLength;
    if (rest == path.size()) return std::string();
    if (slash < rest) return path.substr(0, rest);
  }
  if (slash == std::string::npos) return std::string();
  if (slash == 0) return path.size() > 1 ? std::string("/") : std::string();
  return path.substr(0, slash);
}

std::string DirUtil_GetName(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(slash + 1);
}

std::string DirUtil_StripExt(const std::string& path) {
  size_t dot = path.rfind('.');
  size_t slash = path.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path;
  return path.substr(0, dot);
}

bool DirUtil_SplitFirst(std::string& path, std::string& first) {
  if (path.empty()) return false;
  size_t mark = path.find(kServerMark);
  if (mark != std::string::npos) {
    first = path.substr(0, mark);
    path.erase(0, mark + kServerMarkLength);
    return true;
  }
  size_t slash = path.find('/');
  if (slash == std::string::npos) {
    first = std::move(path);
    path.clear();
  } else {
    first = path.substr(0, slash);
    path.erase(0, slash + 1);
  }
  return true;
}

bool DirUtil_SamePath(const char* a, const char* b) { return std::strcmp(a ? a : "", b ? b : "") == 0; }

std::string DirUtil_ShortenPath(const std::string& path, int width,
                                const std::function<int(const std::string&)>& measure) {
  if (width < kShortenMinWidth || measure(path) <= width) return path;
  size_t start = 0;
  size_t mark = path.find(kServerMark);
  if (mark != std::string::npos) {
    start = mark + kServerMarkLength;
  } else {
    while (start < 2 && start < path.size() && path[start] == '/') ++start;
  }
  size_t first_end = path.find('/', start);
  if (first_end == std::string::npos) return path;
  size_t at = path.find('/', first_end + 1);
  if (at == std::string::npos) return path;  // nothing between first and last
  const std::string head = path.substr(0, first_end) + "...";
  std::string out;
  for (;;) {
    out = head + path.substr(at);
    size_t next = path.find('/', at + 1);
    if (next == std::string::npos || measure(out) <= width) return out;
    at = next;
  }
}

bool DirUtil_IsProgFile(const char* path) { return path != nullptr && ends_with_nocase(path, ".PROG"); }

bool DirUtil_IsTextFile(const char* path) {
  if (path == nullptr) return false;
  for (const char* ext : {".ini", ".log", ".lst", ".txt", ".list"})
    if (ends_with_nocase(path, ext)) return true;
  return false;
}

const char* DirUtil_ProgExt() { return "PROG"; }

void DirUtil_AddProgExt(std::string& path) {
  if (DirUtil_IsProgFile(path.c_str())) return;
  if (path.empty() || path.back() != '.') path += '.';
  path += DirUtil_ProgExt();
}
