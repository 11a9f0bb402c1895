// Collating sequence files: one file per collating sequence and code set
// under the installation's lib directory, "<lib>/nls/collate/<name>.<set>"
// (the code set goes before an "@" of the name). A file is an 88-byte header
// ("YQ", byte order "B" or "L", version "1", the map's name, the length of
// the map data) and the map data: 256 entries, each a length byte and that
// many bytes. Every length is checked against what the file holds before
// anything is taken from it.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "database/tools/schema/schema.h"
#include "language/errutil.h"
#include "platform/installdir.h"

namespace {

const char* const kCodeSets[] = {"roman8", "iso88591"};

enum { NAME_OFFSET = 4, NAME_END = 84, LENGTH_OFFSET = 84, ENTRY_COUNT = 256 };

// Reads at most `limit` bytes of a file.
bool read_bytes(FILE* file, size_t limit, std::string* out) {
  out->clear();
  char chunk[4096];
  while (out->size() < limit) {
    size_t want = limit - out->size();
    if (want > sizeof chunk) want = sizeof chunk;
    const size_t got = std::fread(chunk, 1, want, file);
    out->append(chunk, got);
    if (got < want) return !std::ferror(file);
  }
  return true;
}

void not_available(bool* started, const std::string& name, int error) {
  if (!*started) sch_printf("*** %s\n", "The following collating sequences are not available:");
  *started = true;
  sch_printf(" %s: %s\n", name.c_str(), std::strerror(error));
  ++err_context()->error_count;
}

}  // namespace

std::string sch_collate_path(const char* lib, const std::string& name, const char* codeset) {
  const size_t at = name.find('@');
  std::string path = std::string(lib) + "/nls/collate/";
  if (at == std::string::npos) return path + name + "." + codeset;
  return path + name.substr(0, at) + "." + codeset + name.substr(at);
}

const char* sch_collate_decode(const unsigned char* bytes, size_t size, SchCollateMap* map, bool* corrupt) {
  *corrupt = false;
  if (size < SCH_COLLATE_HEADER) return "%s: Unable to read collating sequence";
  if (bytes[0] != 'Y' || bytes[1] != 'Q' || (bytes[2] != 'B' && bytes[2] != 'L') || bytes[3] != '1')
    return "%s: Unknown collating sequence format";
  const void* nul = std::memchr(bytes + NAME_OFFSET, '\0', NAME_END - NAME_OFFSET);
  if (!nul) return "%s: Unknown collating sequence format";
  const unsigned char* l = bytes + LENGTH_OFFSET;
  uint32_t length;
  if (bytes[2] == 'B')
    length = (uint32_t{l[0]} << 24) | (uint32_t{l[1]} << 16) | (uint32_t{l[2]} << 8) | uint32_t{l[3]};
  else
    length = (uint32_t{l[3]} << 24) | (uint32_t{l[2]} << 16) | (uint32_t{l[1]} << 8) | uint32_t{l[0]};
  if (length > SCH_COLLATE_DATA_MAX || length > size - SCH_COLLATE_HEADER) return "%s: Inconsistent collating sequence";

  map->name = reinterpret_cast<const char*>(bytes + NAME_OFFSET);
  const unsigned char* data = bytes + SCH_COLLATE_HEADER;
  size_t pos = 0;
  for (int entry = 0; entry < ENTRY_COUNT; ++entry) {
    if (pos >= length || data[pos] > length - pos - 1) {
      *corrupt = true;
      return nullptr;
    }
    pos += 1 + data[pos];
  }
  if (pos != length) {
    *corrupt = true;
    return nullptr;
  }
  map->data.assign(data, data + length);
  return nullptr;
}

void sch_load_collates() {
  if (sch.collates.empty()) return;
  const char* lib = get_install_lib_dir();
  bool started = false;
  for (SchCollate& collate : sch.collates) {
    for (const char* codeset : kCodeSets) {
      const std::string path = sch_collate_path(lib, collate.name, codeset);
      FILE* file = std::fopen(path.c_str(), "rb");
      if (!file) {
        not_available(&started, collate.name, errno);
        break;
      }
      std::string bytes;
      const bool read_ok = read_bytes(file, SCH_COLLATE_HEADER + SCH_COLLATE_DATA_MAX, &bytes);
      const int read_error = errno;
      std::fclose(file);
      if (!read_ok) {
        not_available(&started, collate.name, read_error ? read_error : EIO);
        break;
      }
      SchCollateMap map;
      bool corrupt = false;
      const char* failure =
          sch_collate_decode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), &map, &corrupt);
      if (corrupt) {
        std::fflush(stdout);
        std::fprintf(stderr, "Collating sequence %s is inconsistent or corrupted\n", map.name.c_str());
        std::exit(1);
      }
      if (failure) {
        char text[SCH_LINE_MAX + 1];
        std::snprintf(text, sizeof text, failure, collate.name.c_str());
        sch_error(text);
        continue;
      }
      collate.maps.push_back(map);
    }
  }
  if (started) sch_print("\n");
}
