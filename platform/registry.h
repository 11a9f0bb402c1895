// The registry store: our replacement for the Windows registry. Each hive
// (current user, local machine) is one text file in the format of registry
// exports:
//
//     REGEDIT4
//
//     [HKEY_CURRENT_USER\Software\Orvantis\QX Varnica\Directories]
//     "BaseDirectory"="/opt/varnica"
//     "Count"=dword:0000000c
//     "Blob"=hex:01,02,ff
//
// Key paths are relative to the hive ("Software\Orvantis\QX Varnica") and use
// "\" as the only separator. Key and value names compare without regard to
// case and keep the spelling they were created with. Deleting a key deletes
// everything under it.
//
// Every change rewrites the hive file through a temporary file and a rename,
// under an exclusive lock on "<hive file>.lock", re-reading the file inside
// the lock, so writers in several processes never lose each other's keys.
// A batch (reg_begin/reg_end) holds the lock across many operations and
// writes once at the end. The user hive is private to the user (0600).
//
// Use one store per process for one set of files: a second store on the same
// files would wait for the first one's lock (and give up after 10 seconds).
//
// Where the files are: the directory named by VARNICA_REGISTRY holds
// "user.reg" and "machine.reg"; without it the user hive is
// $XDG_CONFIG_HOME/varnica/user.reg (or ~/.config/varnica/user.reg) and the
// machine hive /etc/varnica/machine.reg.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum RegHive { REG_HIVE_USER = 0, REG_HIVE_MACHINE = 1, REG_HIVE_COUNT = 2 };

// Value types, with the numbers of the registry.
enum RegType : uint32_t {
  REG_TYPE_NONE = 0,
  REG_TYPE_SZ = 1,
  REG_TYPE_EXPAND_SZ = 2,
  REG_TYPE_BINARY = 3,
  REG_TYPE_DWORD = 4,
  REG_TYPE_MULTI_SZ = 7,
};

enum RegStatus {
  REG_OK = 0,
  REG_NOT_FOUND = -1,   // key or value missing
  REG_ACCESS = -2,      // the hive cannot be written (or locked)
  REG_CORRUPT = -3,     // the hive file does not parse; it is left untouched
  REG_INVALID = -4,     // bad key or value name, bad argument
  REG_IO = -5,          // reading or writing the file failed
  REG_WRONG_TYPE = -6,  // the value exists with another type
  REG_TOO_BIG = -7,     // a hive file or value beyond the store's limits
};

// Limits of what the store reads and keeps.
enum : size_t {
  REG_MAX_FILE = 16u * 1024u * 1024u,
  REG_MAX_NAME = 255,          // one key path component
  REG_MAX_VALUE_NAME = 16383,  // a value name
  REG_MAX_PATH = 4096,         // a whole key path
  REG_MAX_VALUE = 1024u * 1024u,
};

// Environment variable that points the store at another directory.
#define REG_ENV_DIRECTORY "VARNICA_REGISTRY"

struct RegStore;

struct RegValueInfo {
  std::string name;
  uint32_t type = REG_TYPE_NONE;
  std::string data;  // the bytes (a string without its terminating NUL)
};

// Opens a store on `directory` (user.reg and machine.reg in it), or, for a
// null directory, where VARNICA_REGISTRY or the defaults say. Never null.
RegStore* reg_open_store(const char* directory);
void reg_close_store(RegStore* store);

// The store that the process shares (opened on first use from the
// environment); reg_reset_default_store closes it so the next use re-reads
// VARNICA_REGISTRY.
RegStore* reg_default_store();
void reg_reset_default_store();

// The file of a hive.
const char* reg_hive_path(const RegStore* store, RegHive hive);

// Makes a hive refuse (or again accept) writes, as a hive without write
// access would; writes then give REG_ACCESS.
void reg_set_writable(RegStore* store, RegHive hive, bool writable);

// A batch: locks the hive, reads it once, and writes it once at the end when
// anything changed. Batches nest; only the outermost end writes. Without a
// batch every change is a batch of its own.
int reg_begin(RegStore* store, RegHive hive);
int reg_end(RegStore* store, RegHive hive);

// Reads.
int reg_key_exists(RegStore* store, RegHive hive, const char* key);
int reg_query_value(RegStore* store, RegHive hive, const char* key, const char* name, RegValueInfo* out);
int reg_get_string(RegStore* store, RegHive hive, const char* key, const char* name, std::string* out);
// The number of a DWORD value: false (and 0) unless the value is of that type
// and holds its 4 little-endian bytes.
bool reg_dword_of(uint32_t type, const std::string& data, uint32_t* number);
int reg_get_dword(RegStore* store, RegHive hive, const char* key, const char* name, uint32_t* out);
int reg_get_binary(RegStore* store, RegHive hive, const char* key, const char* name, std::string* out);
// Names of the sub-keys and the values of a key, in stored order.
int reg_enum_keys(RegStore* store, RegHive hive, const char* key, std::vector<std::string>* out);
int reg_enum_values(RegStore* store, RegHive hive, const char* key, std::vector<RegValueInfo>* out);

// Writes. Setting a value creates its key and every key above it. An empty
// value name is the key's default value.
int reg_create_key(RegStore* store, RegHive hive, const char* key);
int reg_set_value(RegStore* store, RegHive hive, const char* key, const char* name, uint32_t type, const void* data,
                  size_t size);
int reg_set_string(RegStore* store, RegHive hive, const char* key, const char* name, const char* text);
int reg_set_dword(RegStore* store, RegHive hive, const char* key, const char* name, uint32_t value);
int reg_set_binary(RegStore* store, RegHive hive, const char* key, const char* name, const void* data, size_t size);
// REG_NOT_FOUND when there was nothing to delete.
int reg_delete_value(RegStore* store, RegHive hive, const char* key, const char* name);
int reg_delete_key(RegStore* store, RegHive hive, const char* key);

// A short text for a status.
const char* reg_status_text(int status);

// Reads hive text as the store reads a hive file and gives, in *out, the text
// the store would write back for it. REG_OK, or the failure status with the
// reason in *error. The store's reader, for tests and fuzzing.
int reg_reformat_hive_text(RegHive hive, const char* text, size_t length, std::string* out, std::string* error);

// The root name of a hive in the file ("HKEY_CURRENT_USER").
const char* reg_hive_root_name(RegHive hive);

// A description of the last failure of the store (for a corrupt hive: the
// file, the line and what is wrong), empty after a success.
const char* reg_last_error(const RegStore* store);
