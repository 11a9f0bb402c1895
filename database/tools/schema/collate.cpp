// Loading the collating sequence files of a schema: both code sets of every
// collating sequence, in list order (the file layout: collate_file.cpp).
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "database/tools/schema/schema.h"
#include "language/errutil.h"
#include "platform/installdir.h"

namespace {

const char* const kCodeSets[] = {"roman8", "iso88591"};

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
