// Where the installation is: the registry key "SOFTWARE\Orvantis\QX Varnica",
// each value read from the current user's hive first and then from the
// machine's. Shared by the console tools and the environment.
#pragma once

#include <cstddef>

struct RegStore;

// The installation key and the subkey of its directories.
#define INSTALL_KEY "SOFTWARE\\Orvantis\\QX Varnica"
#define INSTALL_DIRECTORIES "Directories"

// What a tool prints when the base directory is missing.
#define INSTALL_BASE_MISSING "Unable to obtain QX Varnica\\Directories\\BaseDirectory"
#define INSTALL_BASE_MISSING_HINT "Please check QX Varnica Registry settings."

// Reads the string value `name` of the installation key (or of its subkey
// `subkey` when not null) into `buffer`: current user first, then the
// machine. Returns the length without the terminating NUL, or -1 when
// neither hive has it (or it does not fit the buffer). A null store is the
// process's default store.
int read_install_value(RegStore* store, const char* subkey, const char* name, char* buffer, size_t size);

// How a directory lookup ends when neither the named value nor the base
// directory is set.
enum InstallFallback {
  INSTALL_NO_FALLBACK = 0,    // -1
  INSTALL_PARENT_OF_CWD = 1,  // the parent of the current directory
};

// The directory `name` ("lib", "bin", "etc", "html"): its own value under
// "Directories", else "BaseDirectory" + "/" + name, else the fallback.
// Returns the length or -1.
int install_lookup_dir(RegStore* store, const char* name, char* buffer, size_t size, InstallFallback fallback);

// The tools' lookups. When the base directory is needed and missing they
// print INSTALL_BASE_MISSING and the hint on standard error and end the
// process with exit code 2.
int get_install_base_dir(char* buffer, size_t size);
int get_install_dir(const char* name, char* buffer, size_t size);
// get_install_dir("lib") into a static buffer of 1024 bytes that each call
// overwrites.
const char* get_install_lib_dir();
