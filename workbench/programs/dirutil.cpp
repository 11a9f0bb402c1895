#include "workbench/programs/dirutil.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fstream>
#include <new>
#include <vector>

#include "platform/atomicfile.h"
#include "platform/uniquefd.h"
#include "workbench/server/srvconn.h"
#include "workbench/server/srvqueue.h"
#include "workbench/server/srvrequests.h"
#include "workbench/base/diag.h"
#include "workbench/shell/pswdcrypt.h"
#include "workbench/base/settings/cfglists.h"
#include "workbench/base/settings/cfgprofile.h"
#include "workbench/base/sysassert.h"

namespace {

const char kServerList[] = "Server";

// A box with the stop icon, logged too.
void stop_box(const char* caption, const std::string& text) { Diag_ErrorBox(caption, "%s", text.c_str()); }

// "File "P" could not be <verb>:\n<reason>"
std::string file_failure(const char* path, const char* verb, const char* reason) {
  return std::string("File \"") + path + "\" could not be " + verb + ":\n" + reason;
}

// An exchange on the server of a server path, logged in with the values of
// its entry in the server list; null when the link failed (reported there).
std::unique_ptr<SrvQueue> connect_server(const char* path, uint32_t context) {
  const char* rest = DirUtil_SkipServerPrefix(path);
  SYS_ASSERT(rest);
  std::string host(path, static_cast<size_t>(rest - 3 - path));
  std::string entry = Cfg_ListFind(kServerList, host.c_str());
  std::string service, login, secure;
  if (!entry.empty()) {
    service = Cfg_GetString(entry.c_str(), "Service");
    login = Cfg_GetString(entry.c_str(), "Login");
    secure = Cfg_GetString(entry.c_str(), "SecurePswd");
  }
  std::string password = secure.empty() ? std::string() : DecryptString(secure.c_str(), host.c_str());
  SrvQueue* q = SrvConn::Connect(host.c_str(), service.c_str(), login.c_str(), password.c_str());
  if (q) q->context = context;
  return std::unique_ptr<SrvQueue>(q);
}

// Mode bits of a local file from its status.
uint32_t local_mode(const struct stat& st) {
  uint32_t mode = static_cast<uint32_t>(st.st_mode) & 0777u;
  mode |= S_ISDIR(st.st_mode) ? DIRENTRY_FOLDER : DIRENTRY_FILE;
  return mode;
}

uint32_t clamp32(long long value) {
  if (value < 0) return 0;
  return value > static_cast<long long>(UINT32_MAX) ? UINT32_MAX : static_cast<uint32_t>(value);
}

// True for folders on file systems where probing each folder for subfolders
// costs a round trip or wakes a device: network and removable media.
bool probe_is_costly(const std::string& directory) {
  struct statfs fs {};
  if (statfs(directory.c_str(), &fs) != 0) return false;
  switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x6969UL:      // nfs
    case 0xFF534D42UL:  // cifs
    case 0xFE534D42UL:  // smb2
    case 0x517BUL:      // smb
    case 0x65735546UL:  // fuse (sshfs and the like)
    case 0x9660UL:      // iso9660
    case 0x15013346UL:  // udf
      return true;
    default: break;
  }
  struct stat st {};
  if (stat(directory.c_str(), &st) != 0) return false;
  char sys[128];
  for (const char* form : {"/sys/dev/block/%u:%u/removable", "/sys/dev/block/%u:%u/../removable"}) {
    std::snprintf(sys, sizeof sys, form, major(st.st_dev), minor(st.st_dev));
    std::ifstream in(sys);
    char flag = '0';
    if (in >> flag) return flag == '1';
  }
  return false;
}

thread_local DirUtil_ReadHook read_hook = nullptr;

}  // namespace

// ------------------------------------------------------------ local listing

struct DirList_LocalNames {
  std::vector<std::string> names;
  size_t next = 0;
};

DirList_Local::DirList_Local(std::string directory, std::string pattern, int mode)
    : directory_(std::move(directory)), pattern_(std::move(pattern)), mode_(mode) {
  SYS_ASSERT(!DirUtil_IsServerPath(directory_.c_str()));
  skip_probe_ = probe_is_costly(directory_);
}

DirList_Local::~DirList_Local() = default;

bool DirList_Local::Open() {
  opened_ = true;
  names_ = std::make_unique<DirList_LocalNames>();
  DIR* d = opendir(directory_.empty() ? "." : directory_.c_str());
  if (d == nullptr) {
    if (errno != ENOENT) stop_box(directory_.c_str(), directory_ + " is not accessible:\n" + std::strerror(errno));
    return false;
  }
  while (dirent* e = readdir(d)) {
    if (e->d_name[0] == '.') continue;
    if (!pattern_.empty() && fnmatch(pattern_.c_str(), e->d_name, 0) != 0) continue;
    names_->names.emplace_back(e->d_name);
  }
  closedir(d);
  std::sort(names_->names.begin(), names_->names.end());
  return true;
}

std::unique_ptr<DirEntry> DirList_Local::Next() {
  if (done_) return nullptr;
  if (!opened_ && !Open()) {
    done_ = true;
    return nullptr;
  }
  while (names_->next < names_->names.size()) {
    const std::string& name = names_->names[names_->next++];
    std::string full = directory_;
    DirUtil_AppendPath(full, name.c_str());
    struct stat st {};
    if (stat(full.c_str(), &st) != 0 || !(S_ISDIR(st.st_mode) || S_ISREG(st.st_mode))) continue;
    bool folder = S_ISDIR(st.st_mode);
    if (folder ? mode_ == DIRLIST_FILES : (mode_ == DIRLIST_FOLDERS || mode_ == DIRLIST_ONE_FOLDER)) continue;
    auto entry = std::make_unique<DirEntry>();
    entry->name = name;
    entry->size = folder ? 0 : clamp32(static_cast<long long>(st.st_size));
    entry->time = clamp32(static_cast<long long>(st.st_mtime));
    entry->mode = local_mode(st);
    if (folder) {
      bool has_sub = skip_probe_;
      if (!has_sub) {
        DirList_Local probe(full, pattern_, DIRLIST_ONE_FOLDER);
        probe.skip_probe_ = true;
        has_sub = probe.Next() != nullptr;
      }
      if (has_sub) entry->mode |= DIRENTRY_HAS_SUBFOLDERS;
    }
    if (mode_ == DIRLIST_ONE_FOLDER) done_ = true;
    return entry;
  }
  done_ = true;
  return nullptr;
}

// ------------------------------------------------------------ remote listing

DirList_Remote::DirList_Remote(std::unique_ptr<SrvQueue> reply) : queue_(std::move(reply)) {}

DirList_Remote::~DirList_Remote() = default;

std::unique_ptr<DirEntry> DirList_Remote::Next() {
  if (!queue_) return nullptr;
  try {
    for (;;) {
      uint32_t at = queue_->recv_buf.Offset();
      unsigned kind = queue_->GetByte();
      if (kind == 0) break;
      std::unique_ptr<DirEntry> entry;
      if (kind == 1) {
        entry = std::make_unique<DirEntry>();
        entry->name = queue_->GetString();
      } else if (kind == 2) {
        auto link = std::make_unique<DirEntry_Link>();
        link->name = queue_->GetString();
        link->target = queue_->GetString();
        entry = std::move(link);
      } else {
        Diag_GeneralFailure("%s", Srv_ProtocolFailureText("Directory Entry", at).c_str());
        break;
      }
      entry->owner = queue_->GetString();
      entry->group = queue_->GetString();
      if (kind == 1) entry->size = queue_->GetLong();
      entry->time = queue_->GetLong();
      entry->mode = queue_->GetLong();
      const std::string& n = entry->name;
      if (n.empty() || n == "." || n == ".." || n.find('/') != std::string::npos) continue;
      return entry;
    }
  } catch (const CUserException&) {
  }
  queue_.reset();
  return nullptr;
}

std::unique_ptr<DirList> DirList_Open(const char* directory, const char* pattern, int mode, uint32_t context) {
  SYS_ASSERT(directory);
  if (!pattern) pattern = "";
  const char* rest = DirUtil_SkipServerPrefix(directory);
  if (!rest) return std::make_unique<DirList_Local>(directory, pattern, mode);
  std::unique_ptr<SrvQueue> q = connect_server(directory, context);
  if (!q) return nullptr;
  try {
    if (*rest == '\0') {
      q->PutShort(SRV_REQ_LIST_TOP);
    } else {
      q->PutShort(SRV_REQ_LIST_DIR);
      q->PutString(rest);
      q->PutString(pattern);
      q->PutShort(mode);
    }
    q->Go();
    if (q->GetShort() != 0) {
      stop_box(directory, q->GetString());
      return nullptr;
    }
  } catch (const CUserException&) {
    return nullptr;
  }
  return std::make_unique<DirList_Remote>(std::move(q));
}

bool DirUtil_FileExists(const char* path, uint32_t context) {
  if (path == nullptr || *path == '\0') return false;
  if (!DirUtil_IsServerPath(path)) {
    struct stat st {};
    return stat(path, &st) == 0 && S_ISREG(st.st_mode);
  }
  std::string full = path;
  DirUtil_NormalizePath(full);
  std::string name = DirUtil_GetName(full);
  if (name.empty()) return false;
  bool found = false;
  if (std::unique_ptr<DirList> list = DirList_Open(DirUtil_GetDir(full).c_str(), name.c_str(), DIRLIST_FILES, context))
    while (std::unique_ptr<DirEntry> e = list->Next())
      if (e->name == name) {
        found = true;
        break;
      }
  return found;
}

void DirUtil_ExactName(std::string& path) { DirUtil_NormalizePath(path); }

// ------------------------------------------------------------ reading

void FileBuffer::GetData(const char** data, uint32_t* size) const {
  SYS_ASSERT(data_);
  SYS_ASSERT(!curr_offs_);
  *data = data_;
  *size = size_;
}

const char* FileBuffer::GetLine(uint32_t* length) {
  SYS_ASSERT(data_);
  SYS_ASSERT(curr_offs_ <= size_);
  if (curr_offs_ >= size_) return nullptr;
  char* line = data_ + curr_offs_;
  uint32_t i = curr_offs_;
  int kind = DIRSEP_NONE;
  uint32_t skip = 0;
  for (; i < size_; ++i) {
    char c = data_[i];
    if (c == '\0') {
      kind = DIRSEP_NUL;
      skip = (i + 1 < size_ && data_[i + 1] == '\n') ? 2 : 1;
      break;
    }
    if (c == '\r') {
      bool lf = i + 1 < size_ && data_[i + 1] == '\n';
      kind = lf ? DIRSEP_CRLF : DIRSEP_CR;
      skip = lf ? 2 : 1;
      break;
    }
    if (c == '\n') {
      kind = DIRSEP_LF;
      skip = 1;
      break;
    }
  }
  if (length) *length = i - curr_offs_;
  data_[i] = '\0';  // the separator, or the spare byte after the data
  if (separator_ == DIRSEP_NONE) separator_ = kind;
  curr_offs_ = std::min(size_, i + skip);
  return line;
}

namespace {

class FileBuffer_Local : public FileBuffer {
 public:
  FileBuffer_Local(std::unique_ptr<char[]> owned, uint32_t size)
      : FileBuffer(owned.get(), size), owned_(std::move(owned)) {}

 private:
  std::unique_ptr<char[]> owned_;
};

// The data stays in the exchange's receive buffer; the object's closing 0
// is the spare byte.
class FileBuffer_Server : public FileBuffer {
 public:
  FileBuffer_Server(char* data, uint32_t size, std::unique_ptr<SrvQueue> owned)
      : FileBuffer(data, size), owned_(std::move(owned)) {}

 private:
  std::unique_ptr<SrvQueue> owned_;
};

class FileBuffer_Debug : public FileBuffer {
 public:
  FileBuffer_Debug(char* data, uint32_t size) : FileBuffer(data, size) {}
};

// Reads the status and the object of a file reply: true with the data in
// place, false after the server's message was shown.
bool file_reply(SrvQueue* q, const char* caption, const std::string& prefix, char** data, uint32_t* size) {
  if (q->GetShort() != 0) {
    stop_box(caption, prefix + q->GetString());
    return false;
  }
  const uint8_t* at = nullptr;
  q->GetObject(&at, size);
  *data = reinterpret_cast<char*>(q->recv_buf.Data().data()) + (at - q->recv_buf.Data().data());
  return true;
}

std::unique_ptr<FileBuffer> open_local(const char* path) {
  struct stat st {};
  if (stat(path, &st) != 0) {
    stop_box("Open File [1]", file_failure(path, "opened", std::strerror(errno)));
    return nullptr;
  }
  // Anything but a regular file (a FIFO, a device) could block or never end.
  const char* not_regular = S_ISDIR(st.st_mode) ? std::strerror(EISDIR) : "Not a regular file.";
  if (!S_ISREG(st.st_mode)) {
    stop_box("Open File [2]", file_failure(path, "opened", not_regular));
    return nullptr;
  }
  unsigned long long wanted = static_cast<unsigned long long>(st.st_size);
  std::unique_ptr<char[]> buffer;
  if (wanted < UINT32_MAX) buffer.reset(new (std::nothrow) char[wanted + 1]);
  if (!buffer) {
    char text[128];
    std::snprintf(text, sizeof text, "Unable to setup file transfer buffer:\nOut of memory (size=%llu).", wanted);
    stop_box("Open File [1]", text);
    return nullptr;
  }
  uint32_t size = static_cast<uint32_t>(wanted);
  if (read_hook) read_hook(path);
  UniqueFd fd(open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat now {};
  if (!fd.valid() || fstat(fd.get(), &now) != 0 || !S_ISREG(now.st_mode)) {
    stop_box("Open File [2]", file_failure(path, "opened", fd.valid() ? not_regular : std::strerror(errno)));
    return nullptr;
  }
  uint32_t got = 0;
  while (got < size) {
    ssize_t n = read(fd.get(), buffer.get() + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<uint32_t>(n);
  }
  char extra;
  if (got != size || read(fd.get(), &extra, 1) != 0) {
    char text[PATH_MAX + 64];
    std::snprintf(text, sizeof text, "File \"%s\" could not be opened:\nFile seems to be corrupt.", path);
    stop_box("Open File [3]", text);
    return nullptr;
  }
  buffer[size] = '\0';
  return std::make_unique<FileBuffer_Local>(std::move(buffer), size);
}

}  // namespace

void DirUtil_SetReadHook(DirUtil_ReadHook hook) { read_hook = hook; }

std::unique_ptr<FileBuffer> DirUtil_OpenFile(const char* path, uint32_t context) {
  SYS_ASSERT(path);
  const char* rest = DirUtil_SkipServerPrefix(path);
  if (!rest) return open_local(path);
  std::unique_ptr<SrvQueue> q = connect_server(path, context);
  if (!q) return nullptr;
  try {
    q->PutShort(SRV_REQ_READ_FILE);
    q->PutString(rest);
    q->Go();
    char* data = nullptr;
    uint32_t size = 0;
    if (!file_reply(q.get(), "Open File [4]", file_failure(path, "opened", ""), &data, &size)) return nullptr;
    return std::make_unique<FileBuffer_Server>(data, size, std::move(q));
  } catch (const CUserException&) {
    return nullptr;
  }
}

std::unique_ptr<FileBuffer> DirUtil_OpenDebugFile(SrvQueue* debug, const char* path) {
  SYS_ASSERT(debug);
  SYS_ASSERT(path);
  try {
    debug->Reset();
    debug->PutShort(SRV_REQ_DEBUG_SOURCE);
    debug->PutString(path);
    debug->Go();
    char* data = nullptr;
    uint32_t size = 0;
    if (!file_reply(debug, "Open File [5]", "Debug file could not be opened:\n", &data, &size)) return nullptr;
    return std::make_unique<FileBuffer_Debug>(data, size);
  } catch (const CUserException&) {
    return nullptr;
  }
}

// ------------------------------------------------------------ saving

DirSaveFile::DirSaveFile(std::string path, std::unique_ptr<SrvQueue> queue)
    : path_(std::move(path)), queue_(std::move(queue)) {}

DirSaveFile::~DirSaveFile() = default;

uint8_t* DirSaveFile::WriteBlock(uint32_t n) { return queue_->PutRaw(n); }

void DirSaveFile::WriteLine(const char* text, uint32_t n) {
  const char* end = separator == DIRSEP_CRLF ? "\r\n" : separator == DIRSEP_CR ? "\r" : "\n";
  size_t end_size = std::strlen(end);
  uint8_t* at = queue_->PutRaw(static_cast<uint32_t>(n + end_size));
  if (n) std::memcpy(at, text, n);
  std::memcpy(at + n, end, end_size);
}

void DirSaveFile::PutString(const char* text) {
  size_t n = std::strlen(text);
  if (n) std::memcpy(queue_->PutRaw(static_cast<uint32_t>(n)), text, n);
}

namespace {

// Writes beside the target and renames: a failed or short write leaves the
// old file; an existing file keeps its permission bits, a new one gets
// 0666 less the umask. A link is followed to the file it names.
class DirSaveFile_Local : public DirSaveFile {
 public:
  DirSaveFile_Local(std::string path, std::unique_ptr<SrvQueue> queue)
      : DirSaveFile(std::move(path), std::move(queue)) {}

  void Commit() override {
    queue_->EndContainer();
    const uint8_t* payload = queue_->send_buf.Payload();
    uint32_t length = queue_->send_buf.Length();
    SYS_ASSERT(length >= 5);
    int step = 0;
    // An existing file keeps its mode and group and a link stays a link; a
    // new file gets 0666 less the umask.
    if (atomic_save_file(path_.c_str(), payload + 4, length - 5, 0666, &step) == 0) return;
    if (step == ATOMIC_WRITE_CREATE) {
      stop_box("Save File [1]", file_failure(path_.c_str(), "saved", std::strerror(errno)));
    } else {
      char text[PATH_MAX + 96];
      std::snprintf(text, sizeof text, "File \"%s\" could not be saved:\nThere is probably not enough disc space left.",
                    path_.c_str());
      stop_box("Save File [2]", text);
    }
    throw CUserException();
  }
};

class DirSaveFile_Server : public DirSaveFile {
 public:
  DirSaveFile_Server(std::string path, std::unique_ptr<SrvQueue> queue)
      : DirSaveFile(std::move(path), std::move(queue)) {}

  void Commit() override {
    queue_->EndContainer();
    queue_->Go();
    if (queue_->GetShort() != 0) {
      stop_box("Save File [3]", file_failure(path_.c_str(), "saved", queue_->GetString()));
      throw CUserException();
    }
  }
};

}  // namespace

std::unique_ptr<DirSaveFile> DirUtil_BeginSave(const char* path, uint32_t context) {
  SYS_ASSERT(path);
  const char* rest = DirUtil_SkipServerPrefix(path);
  if (!rest) {
    auto q = std::make_unique<SrvQueue>(nullptr, context);
    q->BeginContainer();
    return std::make_unique<DirSaveFile_Local>(path, std::move(q));
  }
  std::unique_ptr<SrvQueue> q = connect_server(path, context);
  if (!q) return nullptr;
  q->PutShort(SRV_REQ_SAVE_FILE);
  q->PutString(rest);
  q->PutByte(0);
  q->BeginContainer();
  return std::make_unique<DirSaveFile_Server>(path, std::move(q));
}
