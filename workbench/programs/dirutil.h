// The environment's file access: listing directories, reading whole files
// and saving whole files, alike for local paths and for paths on a program
// server ("host://path", the host naming an entry of the profile list
// "Server"). The path helpers and file kinds are platform/dirpath.h.
//
// Failures are shown to the user (through the shell's boxes) where they
// happen, with a caption numbering the failing step ("Open File [1]" to
// "Open File [5]", "Save File [1]" to "Save File [3]"); the call then gives
// null, or Commit throws CUserException. A failure of the server link itself
// is reported by the link.
//
// Every call here may wait for a server's reply in a nested event loop.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/dirpath.h"

class SrvQueue;

// ------------------------------------------------------------ entries

// Mode bits of an entry (the permission bits are those of the file).
enum : uint32_t {
  DIRENTRY_FOLDER = 0x4000,
  DIRENTRY_FILE = 0x8000,
  DIRENTRY_READABLE = 0x124,
  DIRENTRY_WRITABLE = 0x092,
  DIRENTRY_EXECUTABLE = 0x049,
  DIRENTRY_HAS_SUBFOLDERS = 0x1000000,
};

// Listing modes (int16 on the wire).
enum : int {
  DIRLIST_ALL = 0,
  DIRLIST_FILES = 1,       // files only
  DIRLIST_FOLDERS = 2,     // folders only
  DIRLIST_ONE_FOLDER = 3,  // at most one folder: does a folder have subfolders?
};

class DirEntry {
 public:
  DirEntry() = default;
  virtual ~DirEntry() = default;
  DirEntry(const DirEntry&) = delete;
  DirEntry& operator=(const DirEntry&) = delete;

  // The second name of a server's link entry, else null.
  virtual const char* GetTarget() const { return nullptr; }
  // True for an entry made from a name alone.
  virtual bool IsPseudo() const { return false; }

  std::string name, owner, group;  // owner and group empty locally
  uint32_t size = 0;               // bytes
  uint32_t time = 0;               // modification, seconds since 1970; 0 unknown
  uint32_t mode = 0;
};

// An entry the explorer makes for an item it lists itself.
class DirEntry_Named : public DirEntry {
 public:
  explicit DirEntry_Named(std::string entry_name) { name = std::move(entry_name); }
  bool IsPseudo() const override { return true; }
};

// A server's link entry: a name and the name it stands for.
class DirEntry_Link : public DirEntry {
 public:
  const char* GetTarget() const override { return target.c_str(); }
  std::string target;
};

// ------------------------------------------------------------ listings

class DirList {
 public:
  DirList() = default;
  virtual ~DirList() = default;
  DirList(const DirList&) = delete;
  DirList& operator=(const DirList&) = delete;
  // The next entry, or null at the end.
  virtual std::unique_ptr<DirEntry> Next() = 0;
};

// A local folder, in name order: folders and regular files only (links
// followed), names beginning "." left out, names matched by the shell
// pattern (empty: every name). The has-subfolders bit is probed, except on
// network and removable file systems, where every folder gets it.
class DirList_Local : public DirList {
 public:
  DirList_Local(std::string directory, std::string pattern, int mode);
  ~DirList_Local() override;
  std::unique_ptr<DirEntry> Next() override;

 private:
  bool Open();

  std::string directory_, pattern_;
  int mode_;
  bool skip_probe_ = false;
  bool opened_ = false;
  bool done_ = false;
  std::unique_ptr<struct DirList_LocalNames> names_;
};

// The entries of a server's listing reply. A kind other than 0 to 2 is a
// protocol failure that ends the listing; names holding "/" and the names
// "." and ".." are left out.
class DirList_Remote : public DirList {
 public:
  explicit DirList_Remote(std::unique_ptr<SrvQueue> reply);
  ~DirList_Remote() override;
  std::unique_ptr<DirEntry> Next() override;

 private:
  std::unique_ptr<SrvQueue> queue_;
};

// A listing of `directory` (local, or through the server: its top level
// when the path on the server is empty); null after the failure was shown.
// `context` groups the exchange for cancelling.
std::unique_ptr<DirList> DirList_Open(const char* directory, const char* pattern, int mode, uint32_t context);

// True when a file of that name exists (a regular file locally; on a server
// a file entry of its folder with exactly that name).
bool DirUtil_FileExists(const char* path, uint32_t context = 0);
// Local paths keep their name (names differ by case here); every path is
// brought into its normal form.
void DirUtil_ExactName(std::string& path);

// ------------------------------------------------------------ reading

// Separator kinds of a file's lines.
enum : int {
  DIRSEP_NONE = 0,  // none seen yet
  DIRSEP_NUL = 1,
  DIRSEP_CR = 2,
  DIRSEP_LF = 3,
  DIRSEP_CRLF = 4,
};

// A whole file in memory with one spare byte after the data.
class FileBuffer {
 public:
  virtual ~FileBuffer() = default;
  FileBuffer(const FileBuffer&) = delete;
  FileBuffer& operator=(const FileBuffer&) = delete;

  // The whole contents; only before the first GetLine.
  void GetData(const char** data, uint32_t* size) const;
  // The next line, cut in place (its separator overwritten by 0), or null
  // at the end. NUL, CR, LF and CR LF end a line (a NUL's following LF is
  // part of its separator); the first separator seen sets Separator().
  const char* GetLine(uint32_t* length = nullptr);
  int Separator() const { return separator_; }
  uint32_t Size() const { return size_; }

 protected:
  // `data` holds `size` bytes and one more that may be written.
  FileBuffer(char* data, uint32_t size) : data_(data), size_(size) {}

 private:
  char* data_;
  uint32_t size_;
  uint32_t curr_offs_ = 0;
  int separator_ = DIRSEP_NONE;
};

// Reads a whole file (request 70 for a server path).
std::unique_ptr<FileBuffer> DirUtil_OpenFile(const char* path, uint32_t context = 0);
// Reads the debugged program's file through the debug session's exchange
// (request 6); the buffer uses the exchange without owning it, so it must
// go before the exchange's next request.
std::unique_ptr<FileBuffer> DirUtil_OpenDebugFile(SrvQueue* debug, const char* path);

// Called on a local read after the size is taken and before the bytes are
// read (tests change the file there); null for none.
using DirUtil_ReadHook = void (*)(const char* path);
void DirUtil_SetReadHook(DirUtil_ReadHook hook);

// ------------------------------------------------------------ saving

// A save in progress: the contents are collected in the exchange's
// container, and Commit writes them locally or sends them to the server.
class DirSaveFile {
 public:
  virtual ~DirSaveFile();
  DirSaveFile(const DirSaveFile&) = delete;
  DirSaveFile& operator=(const DirSaveFile&) = delete;

  // Reserves n bytes of contents and gives where to write them.
  uint8_t* WriteBlock(uint32_t n);
  // n bytes of text and the separator of the handle's kind: LF for kinds
  // 0, 1 and 3, CR for 2, CR LF for 4.
  void WriteLine(const char* text, uint32_t n);
  // The text's bytes (without a NUL).
  void PutString(const char* text);
  // Writes the file; throws CUserException after the failure was shown.
  virtual void Commit() = 0;

  const std::string& Path() const { return path_; }
  int separator = DIRSEP_NONE;

 protected:
  DirSaveFile(std::string path, std::unique_ptr<SrvQueue> queue);
  std::string path_;
  std::unique_ptr<SrvQueue> queue_;
};

// Starts a save; null after the failure was shown.
std::unique_ptr<DirSaveFile> DirUtil_BeginSave(const char* path, uint32_t context = 0);
