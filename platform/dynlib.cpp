#include "platform/dynlib.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

thread_local std::string last_error;

void take_error() {
  const char* e = dlerror();
  last_error = e != nullptr ? e : "";
}

}  // namespace

DynLib dynlib_open(const char* path) {
  if (path == nullptr || *path == '\0') {
    last_error = "empty module path";
    return nullptr;
  }
  dlerror();
  void* lib = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (lib == nullptr)
    take_error();
  else
    last_error.clear();
  return lib;
}

void* dynlib_symbol(DynLib lib, const char* name) {
  if (lib == nullptr || name == nullptr) {
    last_error = "no module or no symbol name";
    return nullptr;
  }
  dlerror();
  void* sym = dlsym(lib, name);
  take_error();
  if (sym == nullptr && last_error.empty()) last_error = std::string("symbol ") + name + " is null";
  return sym;
}

int dynlib_close(DynLib lib) {
  if (lib == nullptr) return 0;
  dlerror();
  if (dlclose(lib) != 0) {
    take_error();
    return -1;
  }
  last_error.clear();
  return 0;
}

const std::string& dynlib_error() { return last_error; }

std::string dynlib_module_path(const void* address) {
  Dl_info info{};
  if (address == nullptr || dladdr(address, &info) == 0 || info.dli_fname == nullptr) return {};
  if (info.dli_fname[0] == '/') return info.dli_fname;
  // Only the program itself is named as it was started (argv[0]).
  char path[PATH_MAX];
  if (info.dli_fname[0] != '\0' && realpath(info.dli_fname, path) != nullptr) return path;
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n > 0) {
    path[n] = '\0';
    return path;
  }
  return info.dli_fname;
}
