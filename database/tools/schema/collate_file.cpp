// Collating sequence files: one file per collating sequence and code set
// under the installation's lib directory, "<lib>/nls/collate/<name>.<set>"
// (the code set goes before an "@" of the name). A file is an 88-byte header
// ("YQ", byte order "B" or "L", version "1", the map's name, the length of
// the map data) and the map data: 256 entries, each a length byte and that
// many bytes. Every length is checked against what the file holds before
// anything is taken from it.
#include <cstdint>
#include <cstring>
#include <string>

#include "database/tools/schema/schema.h"

namespace {

enum { NAME_OFFSET = 4, NAME_END = 84, LENGTH_OFFSET = 84, ENTRY_COUNT = 256 };

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
