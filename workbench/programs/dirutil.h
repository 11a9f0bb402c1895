// The environment's file access for local paths: the normal form of a path
// and the path helpers, the existence test, reading a whole file and saving
// a whole file. Paths of the form "host://path" name files on a program
// server; this layer does not reach servers yet and treats such a path as
// missing (reading or saving it fails with a message).
//
// Failures of reading and saving are shown to the user through the shell's
// boxes (captions "Open File [n]" and "Save File [n]") before the call
// returns null or false.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

// The normal form: a leading "//" becomes two backslashes (a network path);
// a drive letter is upper-cased and gets "/" after its colon; every other
// backslash becomes "/"; a path of four or more characters loses a trailing
// "/".
void DirUtil_NormalizePath(std::string& path);
// Every "/" becomes a backslash.
void DirUtil_ToBackslash(std::string& path);
// True for a program-server path (one with "://").
bool DirUtil_IsServerPath(const char* path);
// True for "/..." and network paths, program-server paths and paths that
// begin with a drive letter and ':'.
bool DirUtil_IsAbsolute(const char* path);
// Appends `name` with exactly one "/" between.
void DirUtil_AppendPath(std::string& directory, const char* name);
// The directory part of a path (up to its last "/"), or "" when it has none.
std::string DirUtil_Directory(const std::string& path);
// Equality: byte for byte. Local file names on this system differ by case,
// so case counts for local paths as it does for server paths.
bool DirUtil_SamePath(const char* a, const char* b);
// For a local path whose last component does not exist as spelled, the one
// entry of its directory that equals it without regard to case lends its
// spelling; otherwise the path stays.
void DirUtil_ExactName(std::string& path);
// A path shortened for display to `width` pixels as `measure` counts them:
// widths below 32 and paths that fit stay as they are. Otherwise the first
// component (with its leading "/" or "//") is kept, then "...", then the
// rest of the path from a later "/", one component further each time,
// until the text fits or only the last component is left.
std::string DirUtil_ShortenPath(const std::string& path, int width,
                                const std::function<int(const std::string&)>& measure);
// True when a regular file of that name exists.
bool DirUtil_FileExists(const char* path);

// Files larger than this are not read.
constexpr size_t DIRUTIL_READ_MAX = size_t{1} << 30;

// A whole file in memory, with a NUL after the data.
class FileBuffer {
 public:
  explicit FileBuffer(std::string data) : data_(std::move(data)) {}
  void GetData(const char** data, size_t* size) const {
    *data = data_.c_str();
    *size = data_.size();
  }
  const std::string& Data() const { return data_; }

 private:
  std::string data_;
};

// Reads a whole file; null after the failure has been shown.
std::unique_ptr<FileBuffer> DirUtil_OpenFile(const char* path);

// A save in progress: the contents are collected, and Commit writes them to
// a temporary file beside the target and renames it into place, so a failed
// save leaves the old file as it was.
class DirSaveFile {
 public:
  explicit DirSaveFile(std::string path) : path_(std::move(path)) {}
  virtual ~DirSaveFile() = default;
  DirSaveFile(const DirSaveFile&) = delete;
  DirSaveFile& operator=(const DirSaveFile&) = delete;

  // Writes the file; false after the failure has been shown.
  virtual bool Commit();
  void PutString(const char* text) { data_ += text; }
  void PutBytes(const char* data, size_t size) { data_.append(data, size); }
  const std::string& Path() const { return path_; }
  const std::string& Contents() const { return data_; }

 private:
  std::string path_;
  std::string data_;
};

// Starts a save of `path`; null after the failure has been shown (an empty
// or server path).
std::unique_ptr<DirSaveFile> DirUtil_BeginSave(const char* path);
