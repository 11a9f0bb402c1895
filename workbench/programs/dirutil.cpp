#include "workbench/programs/dirutil.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>

#include "platform/atomicfile.h"
#include "platform/uniquefd.h"
#include "workbench/base/diag.h"

void DirUtil_NormalizePath(std::string& path) {
  size_t start = 0;
  bool unc = false;
  if (path.size() >= 2 && (path[0] == '/' || path[0] == '\\') && (path[1] == '/' || path[1] == '\\')) {
    path[0] = path[1] = '\\';
    start = 2;
    unc = true;
  }
  if (!unc && !DirUtil_IsServerPath(path.c_str()) && path.size() >= 2 && path[1] == ':' &&
      std::isalpha(static_cast<unsigned char>(path[0]))) {
    path[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
    if (path.size() == 2) {
      path += '/';
      return;
    }
    if (path[2] != '/' && path[2] != '\\') path.insert(2, "/");
  }
  for (size_t i = start; i < path.size(); ++i)
    if (path[i] == '\\') path[i] = '/';
  if (path.size() >= 4 && path.back() == '/') path.pop_back();
}

void DirUtil_ToBackslash(std::string& path) {
  for (char& c : path)
    if (c == '/') c = '\\';
}

bool DirUtil_IsServerPath(const char* path) { return path != nullptr && std::strstr(path, "://") != nullptr; }

bool DirUtil_IsAbsolute(const char* path) {
  if (path == nullptr || *path == '\0') return false;
  if (path[0] == '/' || (path[0] == '\\' && path[1] == '\\')) return true;
  if (DirUtil_IsServerPath(path)) return true;
  return std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

void DirUtil_AppendPath(std::string& directory, const char* name) {
  while (!directory.empty() && directory.back() == '/') directory.pop_back();
  while (*name == '/') ++name;
  directory += '/';
  directory += name;
}

std::string DirUtil_Directory(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool DirUtil_SamePath(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

void DirUtil_ExactName(std::string& path) {
  if (DirUtil_IsServerPath(path.c_str()) || path.empty()) return;
  struct stat st {};
  if (lstat(path.c_str(), &st) == 0) return;
  size_t slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? std::string(".") : (slash == 0 ? "/" : path.substr(0, slash));
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return;
  std::string found;
  int matches = 0;
  while (dirent* e = readdir(d)) {
    if (strcasecmp(e->d_name, name.c_str()) == 0) {
      found = e->d_name;
      ++matches;
    }
  }
  closedir(d);
  if (matches == 1) path = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + found;
}

bool DirUtil_FileExists(const char* path) {
  if (path == nullptr || *path == '\0' || DirUtil_IsServerPath(path)) return false;
  struct stat st {};
  return stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

namespace {

std::unique_ptr<FileBuffer> open_failed(const char* caption, const char* path, const char* reason) {
  Diag_ErrorBox(caption, "File \"%s\" could not be opened:\n%s", path, reason);
  return nullptr;
}

}  // namespace

std::unique_ptr<FileBuffer> DirUtil_OpenFile(const char* path) {
  if (path == nullptr || *path == '\0') return open_failed("Open File [1]", "", std::strerror(ENOENT));
  if (DirUtil_IsServerPath(path)) return open_failed("Open File [4]", path, "No program server is reachable.");
  struct stat st {};
  if (stat(path, &st) != 0) return open_failed("Open File [1]", path, std::strerror(errno));
  if (!S_ISREG(st.st_mode))
    return open_failed("Open File [1]", path, std::strerror(S_ISDIR(st.st_mode) ? EISDIR : EINVAL));
  size_t size = static_cast<size_t>(st.st_size);
  if (st.st_size < 0 || size > DIRUTIL_READ_MAX) {
    Diag_ErrorBox("Open File [1]", "Unable to setup file transfer buffer:\nOut of memory (size=%lld).",
                  static_cast<long long>(st.st_size));
    return nullptr;
  }
  UniqueFd fd(open(path, O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) return open_failed("Open File [2]", path, std::strerror(errno));
  std::string data(size, '\0');
  size_t got = 0;
  while (got < size) {
    ssize_t n = read(fd.get(), data.data() + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  char extra;
  if (got != size || read(fd.get(), &extra, 1) != 0)
    return open_failed("Open File [3]", path, "File seems to be corrupt.");
  return std::make_unique<FileBuffer>(std::move(data));
}

bool DirSaveFile::Commit() {
  // An existing file keeps its permissions; a new one gets what the umask
  // leaves of read and write for all.
  struct stat st {};
  mode_t mode = 0;
  if (stat(path_.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  int step = 0;
  if (atomic_write_file(path_.c_str(), data_.data(), data_.size(), mode, &step) == 0) return true;
  if (step == ATOMIC_WRITE_CREATE)
    Diag_ErrorBox("Save File [1]", "File \"%s\" could not be saved:\n%s", path_.c_str(), std::strerror(errno));
  else
    Diag_ErrorBox("Save File [2]", "File \"%s\" could not be saved:\nThere is probably not enough disc space left.",
                  path_.c_str());
  return false;
}

std::unique_ptr<DirSaveFile> DirUtil_BeginSave(const char* path) {
  if (path == nullptr || *path == '\0') {
    Diag_ErrorBox("Save File [1]", "File \"\" could not be saved:\n%s", std::strerror(ENOENT));
    return nullptr;
  }
  if (DirUtil_IsServerPath(path)) {
    Diag_ErrorBox("Save File [3]", "File \"%s\" could not be saved:\nNo program server is reachable.", path);
    return nullptr;
  }
  return std::make_unique<DirSaveFile>(path);
}

std::string DirUtil_ShortenPath(const std::string& path, int width,
                                const std::function<int(const std::string&)>& measure) {
  constexpr int kNarrowest = 32;
  if (width < kNarrowest || measure(path) <= width) return path;
  size_t start = 0;
  while (start < 2 && start < path.size() && path[start] == '/') ++start;
  const size_t first_end = path.find('/', start);  // the "/" behind the first component
  if (first_end == std::string::npos) return path;
  const std::string head = path.substr(0, first_end) + "...";
  size_t from = path.find('/', first_end + 1);
  if (from == std::string::npos) return path;  // nothing between the first and the last component
  for (;;) {
    const std::string text = head + path.substr(from);
    const size_t next = path.find('/', from + 1);
    if (next == std::string::npos || measure(text) <= width) return text;
    from = next;
  }
}
