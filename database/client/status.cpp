#include "database/client/status.h"

#include <cstdio>
#include <cstring>

#include "database/client/trace.h"

namespace {

LastStatus g_last = {0, 0, "", 0};

struct CodeText {
  int code;
  const char* text;
};

const CodeText kDbStatus[] = {
    {-1, "Unable to open database"},
    {-2, "Database in use"},
    {-3, "User name not recognized"},
    {-4, "Password does not match"},
    {-5, "Permission denied"},
    {-10, "No empty database slot"},
    {-11, "Bad database id"},
    {-12, "Conflicting lock request on write attempt"},
    {-14, "Database opened in readonly mode"},
    {-21, "Bad parameter value"},
    {-23, "No write access to data set"},
    {-24, "Bad write attempt on automatic master"},
    {-31, "Illegal mode"},
    {-35, "A deadlock condition has been detected"},
    {-52, "Item not an accessible seach item"},
    {-91, "Incompatible database version"},
    {-92, "Database requires creation"},
    {-94, "Database may be corrupt"},
    {-95, "No master set entry for current detail"},
    {-96, "Corrupt pointer value detected"},
    {-120, "Not enough memory to perform DBLOCK"},
    {-122, "Descriptor list bad"},
    {-123, "Illegal relational operator"},
    {-124, "Descriptor too short"},
    {-125, "Bad set name/number"},
    {-126, "Bad item name/numner"},
    {-127, "Attempt to lock using a compound item"},
    {-128, "Bad descriptor length for numeric item"},
    {-134, "Two descriptors conflict"},
    {-135, "Second lock not with wait option"},
    {-136, "descriptor length exceeds maximum"},
    {-137, "qualifier parameter of wrong type"},
    {11, "End of file reached"},
    {12, "Directed beginning of file"},
    {13, "Directed end of file"},
    {15, "End of chain reached"},
    {17, "No current record or record/key not found"},
    {18, "Broken chain"},
    {20, "Database locked or contains locks"},
    {22, "Dataset locked"},
    {23, "Entries locked within set"},
    {24, "Item conflicts with current locks"},
    {25, "Entry or entries already locked"},
    {27, "Relational operator type conflict"},
    {32, "Transaction nesting exceeds maximum"},
    {33, "No transaction active"},
    {34, "Server transaction level out of sync"},
    {36, "Timeout occured during execution"},
    {41, "Cant alter search item"},
    {43, "Duplicate key value"},
    {44, "Can't delete master with non-empty chains"},
    {50, "Insufficient user buffer"},
    {53, "Bad argument type"},
    {80, "Set not created/not online"},
    {94, "Corrupt data base opened in mode 8"},
    {100, "No chain head for path %d"},
};

const CodeText kClientStatus[] = {
    {-2, "Unable to connect server"},
    {-3, "Init failed"},
    {-4, "Argument buffer overflow"},
    {-5, "Problem during send"},
    {-6, "Problem during receive"},
    {-7, "Inconsistent ROOT structures detected"},
    {-8, "Inconsistent buffer size detected"},
    {-9, "Unknown server identifier"},
    {-10, "Server does not have required capabilities"},
};

const CodeText kDaemonStatus[] = {
    {-1, "Bad parameter"},
    {-2, "Internal error"},
    {-10, "No more sessions"},
    {-11, "No more database may be accessed"},
    {-12, "Database not found or not accessible"},
    {-13, "No more database access"},
    {-14, "Conflicting open mode"},
    {-15, "No more locks"},
    {-16, "Secondary lock with odd mode"},
    {-17, "No more files"},
    {-20, "Concurrent lock exists"},
    {-30, "Database is on remote filesystem"},
    {-31, "No permission to open the database"},
};

const CodeText kServerClass[] = {
    {-801, "Storage handler failure"},   {-802, "Node operation failed"},   {-803, "FixRec operation failed"},
    {-804, "BTree operation failed"},    {-805, "Catalog failure"},         {-806, "OS operation failed"},
    {-808, "Server management failure"}, {-809, "Internal QUAREL failure"},
};

const char* const kIsamNames[] = {"EDUPL",   "ENOTOPEN", "EBADARG",  "EBADKEY",  "ETOOMANY", "EBADFILE", "ENOTEXCL",
                                  "ELOCKED", "EKEXISTS", "EPRIMKEY", "EENDFILE", "ENOREC",   "ENOCURR",  "EFLOCKED",
                                  "EFNAME",  "ENOLOK",   "EBADMEM",  "EBADCOLL", "EVIRTUAL"};

const CodeText kIntrinsics[] = {
    {401, "DBOPEN"},    {402, "PROBEBASE"}, {403, "DBCLOSE"}, {404, "DBFIND"},     {405, "DBGET"},    {406, "DBUPDATE"},
    {407, "DBPUT"},     {408, "DBDELETE"},  {409, "DBLOCK"},  {410, "DBUNLOCK"},   {411, "FORGESET"}, {412, "BLANKSET"},
    {413, "SCRAPBASE"}, {420, "DBLOGON"},   {421, "DBBEGIN"}, {422, "DBROLLBACK"}, {423, "DBCOMMIT"},
};

template <size_t N>
const char* find(const CodeText (&table)[N], int code) {
  for (const CodeText& row : table)
    if (row.code == code) return row.text;
  return nullptr;
}

const char* class_name(int code) {
  switch (code) {
    case S_REMOTE: return "S_REMOTE";
    case S_SYSTEM: return "S_SYSTEM";
    case S_BAD: return "S_BAD";
    case S_BADID: return "S_BADID";
    case S_SYSCAT: return "S_SYSCAT";
    case S_MGMT: return "S_MGMT";
    default: return "S_STATUS";
  }
}

const char* module_name(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash ? slash + 1 : path;
}

// Text of a system error number, never null.
const char* system_error_text(int number) {
  const char* text = std::strerror(number);
  return text ? text : "Unknown error";
}

// Renders word 0, 5, 8 and 9 into `out` (IDB_STATUS_TEXT_MAX bytes or more).
void format_status(int code, int intrinsic, int mode, int secondary, bool with_intrinsic, char* out, size_t size) {
  out[0] = '\0';
  if (code == 0) return;
  char detail_buf[160];
  const char* class_word = nullptr;
  const char* detail = nullptr;
  if (code == -900) {
    class_word = "DAEMON";
    detail = find(kDaemonStatus, secondary);
  } else if ((code <= -801 && code >= -806) || code == -808 || code == -809) {
    const char* name = find(kServerClass, code);
    class_word = name ? name : "General server failure";
    if (code == -806) {
      std::snprintf(detail_buf, sizeof detail_buf, "errno %d", secondary);
      detail = detail_buf;
    } else {
      detail = idb__location_text(secondary);
    }
  } else if (code == -807) {
    class_word = "LOCK";
    std::snprintf(detail_buf, sizeof detail_buf, "Internal failure (%d)", secondary);
    detail = detail_buf;
  } else if (code == -800) {
    class_word = "ISAM";
    const char* name =
        secondary >= 100 && secondary <= 118 ? kIsamNames[secondary - 100] : system_error_text(secondary);
    std::snprintf(detail_buf, sizeof detail_buf, "#%d: %s", secondary, name);
    detail = detail_buf;
  } else if (code == -700) {
    class_word = "REMOTE";
    if (secondary <= 0) {
      detail = find(kClientStatus, secondary);
    } else {
      std::snprintf(detail_buf, sizeof detail_buf, "#%d: %s", secondary, system_error_text(secondary));
      detail = detail_buf;
    }
  } else if (code >= 100) {
    const char* pattern = find(kDbStatus, code - code % 100);
    if (pattern) {
      std::snprintf(detail_buf, sizeof detail_buf, pattern, code % 100);
      detail = detail_buf;
    }
  } else {
    detail = find(kDbStatus, code);
  }

  int used;
  if (!detail) {
    used = std::snprintf(out, size, "Unknown status code");
  } else if (with_intrinsic && intrinsic != 0) {
    const char* name = idb__intrinsic_name(intrinsic & 4095);
    if (!name)
      used = std::snprintf(out, size, "Inconsistent status information");
    else if (class_word)
      used = std::snprintf(out, size, "%s(%d): %s: %s", name, mode, class_word, detail);
    else
      used = std::snprintf(out, size, "%s(%d): %s", name, mode, detail);
  } else if (class_word) {
    used = std::snprintf(out, size, "%s: %s", class_word, detail);
  } else {
    used = std::snprintf(out, size, "%s", detail);
  }
  if (used < 0 || static_cast<size_t>(used) >= size) return;
  if (code < -699)
    std::snprintf(out + used, size - used, " [%d:%d]", code, secondary);
  else
    std::snprintf(out + used, size - used, " [%d]", code);
}

int deliver(const char* line, char* text, size_t limit, int* length) {
  size_t n = std::strlen(line);
  if (limit != 0 && n >= limit) n = limit - 1;
  std::memcpy(text, line, n);
  text[n] = '\0';
  if (length) *length = static_cast<int>(n);
  return 0;
}

}  // namespace

void idb__set_last(int code, int secondary, const char* module, int line) {
  g_last.code = code;
  g_last.secondary = secondary;
  g_last.module = module_name(module);
  g_last.line = line;
  debug_printf('I', 2, "%s (%d,%d), file %s, line %d", class_name(code), code, secondary, g_last.module, line);
}

void idb__set_last_code(int code) { g_last.code = code; }

const LastStatus& idb__last_status() { return g_last; }

int idb__set_status(int code, int32_t* status) {
  status[0] = code;
  status[4] = status[6] = status[7] = 0;
  if (code == -1) {
    status[0] = g_last.code;
    status[9] = g_last.secondary;
  } else {
    status[9] = 0;
    g_last.code = code;
  }
  return -1;
}

int idb__status_text(const int32_t* status, char* text, size_t limit, int* length) {
  char line[IDB_STATUS_TEXT_MAX];
  format_status(status[0], status[5], status[8], status[9], true, line, sizeof line);
  return deliver(line, text, limit, length);
}

int idb_status_text(const int32_t* status, char* text, int* length) {
  return idb__status_text(status, text, 0, length);
}

int idb__last_status_text(char* text, size_t limit, int* length) {
  char line[IDB_STATUS_TEXT_MAX];
  format_status(g_last.code, 0, 0, g_last.secondary, false, line, sizeof line);
  return deliver(line, text, limit, length);
}

const char* idb__intrinsic_name(int number) { return find(kIntrinsics, number); }

const char* idb__location_text(int code) {
  static char text[32];
  if (code == -1) return "** unknown **";
  unsigned u = static_cast<unsigned>(code);
  unsigned module = (u >> 10) & 0x3f, kind = (u >> 8) & 3;
  const char* m = module == 0 ? "VOL" : module == 1 ? "BT" : module == 2 ? "SC" : "?";
  const char* k = kind == 0 ? "E" : kind == 1 ? "R" : "?";
  std::snprintf(text, sizeof text, "%s%s%03d", m, k, u & 0xff);
  return text;
}
