// Dynamic libraries (shared objects): open one with every symbol bound at
// once and kept to itself, look symbols up, close it, and tell which module
// an address lies in. A thin layer over the POSIX loader.
#pragma once

#include <string>

// An opened module; null when opening failed.
using DynLib = void*;

// Opens `path` (RTLD_NOW | RTLD_LOCAL). Null on failure; then dynlib_error()
// tells why.
DynLib dynlib_open(const char* path);
// The address of `name` in the module, or null (then dynlib_error() tells
// why).
void* dynlib_symbol(DynLib lib, const char* name);
// Closes a module; a null handle is ignored. 0, or -1 with dynlib_error().
int dynlib_close(DynLib lib);
// The loader's text for the last failure of this thread ("" when none); the
// text is taken once and kept until the next call of the functions above.
const std::string& dynlib_error();
// The full path of the module (program or shared object) that holds
// `address`; empty when the loader cannot tell.
std::string dynlib_module_path(const void* address);
