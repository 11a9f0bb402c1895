// Statement-flow files: building one from a program, the file image, and a
// checked decoder.
#include "language/sfa.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <stdexcept>
#include <unistd.h>

#include "language/progseg.h"

const char sfa_tag_v2[] = "SFA v2";
const char sfa_tag_v1[] = "SFA v1";

const char* sfa_message(int status) {
  switch (status) {
    case SFA_OK: return "no error";
    case SFA_ERR_HEADER_SHORT: return "unable to read SFA header";
    case SFA_ERR_TAG: return "illegal SFA format";
    case SFA_ERR_BYTE_ORDER: return "byte order does not match";
    case SFA_ERR_SEGMENT_SHORT: return "unable to read segment";
    case SFA_ERR_LINE_COUNT: return "illegal line count";
    case SFA_ERR_LINE_SHORT: return "unable to read line";
    case SFA_ERR_NO_MEMORY: return "segment allocation failed";
    case SFA_ERR_READ: return "read failed";
    case SFA_ERR_TOO_LARGE: return "too many lines";
    default: return "unknown error";
  }
}

namespace {

// ---- little-endian words ------------------------------------------------

void put_u16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

void put_u32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

uint16_t get_u16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t get_u32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

int32_t get_i32(const uint8_t* p) { return static_cast<int32_t>(get_u32(p)); }

// A read position in a block of bytes; take() hands out the next `n` bytes
// only when that many are left.
struct Cursor {
  const uint8_t* data;
  size_t size;
  size_t pos;

  size_t left() const { return size - pos; }
  const uint8_t* take(size_t n) {
    if (n > left()) return nullptr;
    const uint8_t* p = data + pos;
    pos += n;
    return p;
  }
};

struct BuildState {
  sfa_segment* seg;
};

int add_line(void* user, ProgSegment*, const uint16_t* line) {
  auto* st = static_cast<BuildState*>(user);
  st->seg->lines.push_back(sfa_line{static_cast<int32_t>(line[0] & CW_LINE_NUMBER_MASK), 0, 0});
  return 0;
}

}  // namespace

// ---- building and writing -----------------------------------------------

void sfa_set_name(sfa_segment* seg, const char* text) {
  std::memset(seg->name, 0, sizeof seg->name);
  if (text == nullptr) return;
  size_t n = strnlen(text, SFA_NAME_MAX);
  std::memcpy(seg->name, text, n);
}

int sfa_from_program(const ProgList* prog, sfa_file* out) {
  try {
    out->segments.clear();
    for (ProgSegment* ps = prog->root; ps != nullptr; ps = ps->next) {
      out->segments.emplace_back();
      sfa_segment& seg = out->segments.back();
      seg.loads = 0;
      sfa_set_name(&seg, segname(prog, ps));
      seg.lines.reserve(progseg_line_count(ps));
      BuildState st{&seg};
      progseg_walk_lines(ps, add_line, &st);
    }
  } catch (const std::bad_alloc&) {
    return SFA_ERR_NO_MEMORY;
  }
  return SFA_OK;
}

size_t sfa_image_size(const sfa_file* f, int* status) {
  size_t size = SFA_HEADER_SIZE;
  *status = SFA_OK;
  for (const sfa_segment& seg : f->segments) {
    if (seg.lines.size() > static_cast<size_t>(INT32_MAX)) {
      *status = SFA_ERR_TOO_LARGE;
      return 0;
    }
    size_t bytes = seg.lines.size() * SFA_LINE_SIZE + SFA_SEGMENT_SIZE;
    if (bytes > SIZE_MAX - size) {
      *status = SFA_ERR_TOO_LARGE;
      return 0;
    }
    size += bytes;
  }
  return size;
}

int sfa_encode(const sfa_file* f, std::vector<uint8_t>* out) {
  int status;
  size_t size = sfa_image_size(f, &status);
  if (status != SFA_OK) return status;
  try {
    out->assign(size, 0);
  } catch (const std::bad_alloc&) {
    return SFA_ERR_NO_MEMORY;
  } catch (const std::length_error&) {
    return SFA_ERR_TOO_LARGE;
  }
  uint8_t* p = out->data();
  std::memcpy(p, sfa_tag_v2, sizeof sfa_tag_v2);  // the rest of the tag stays NUL
  put_u16(p + SFA_TAG_SIZE, SFA_BYTE_ORDER);
  p += SFA_HEADER_SIZE;
  for (const sfa_segment& seg : f->segments) {
    put_u32(p, static_cast<uint32_t>(seg.lines.size()));
    put_u32(p + 4, static_cast<uint32_t>(seg.loads));
    std::memcpy(p + 8, seg.name, SFA_NAME_SIZE);
    p[8 + SFA_NAME_MAX] = 0;
    p += SFA_SEGMENT_SIZE;
    for (const sfa_line& line : seg.lines) {
      put_u32(p, static_cast<uint32_t>(line.lineno));
      put_u32(p + 4, line.count);
      put_u32(p + 8, line.time);
      p += SFA_LINE_SIZE;
    }
  }
  return SFA_OK;
}

// ---- reading ------------------------------------------------------------

int sfa_check_header(const uint8_t* data, size_t size) {
  if (size < SFA_HEADER_SIZE) return SFA_ERR_HEADER_SHORT;
  char tag[SFA_TAG_SIZE + 1];
  std::memcpy(tag, data, SFA_TAG_SIZE);
  tag[SFA_TAG_SIZE] = '\0';
  if (std::strcmp(tag, sfa_tag_v1) == 0) return SFA_ERR_BYTE_ORDER;
  if (std::strcmp(tag, sfa_tag_v2) != 0) return SFA_ERR_TAG;
  if (get_u16(data + SFA_TAG_SIZE) != SFA_BYTE_ORDER) return SFA_ERR_BYTE_ORDER;
  return SFA_OK;
}

int sfa_decode(const uint8_t* data, size_t size, sfa_file* out) {
  out->segments.clear();
  int status = sfa_check_header(data, size);
  if (status != SFA_OK) return status;
  Cursor cur{data, size, SFA_HEADER_SIZE};
  try {
    while (cur.left() > 0) {
      const uint8_t* rec = cur.take(SFA_SEGMENT_SIZE);
      if (rec == nullptr) return SFA_ERR_SEGMENT_SHORT;
      int32_t n = get_i32(rec);
      if (n < 0) return SFA_ERR_LINE_COUNT;
      if (static_cast<uint64_t>(n) * SFA_LINE_SIZE > cur.left()) return SFA_ERR_LINE_SHORT;
      out->segments.emplace_back();
      sfa_segment& seg = out->segments.back();
      seg.loads = get_i32(rec + 4);
      std::memcpy(seg.name, rec + 8, SFA_NAME_SIZE);
      seg.name[SFA_NAME_SIZE] = '\0';
      seg.lines.resize(static_cast<size_t>(n));
      for (sfa_line& line : seg.lines) {
        const uint8_t* p = cur.take(SFA_LINE_SIZE);
        line.lineno = get_i32(p);
        line.count = get_u32(p + 4);
        line.time = get_u32(p + 8);
      }
    }
  } catch (const std::bad_alloc&) {
    return SFA_ERR_NO_MEMORY;
  }
  return SFA_OK;
}

int sfa_read_all(int fd, std::vector<uint8_t>* bytes) {
  bytes->clear();
  uint8_t chunk[65536];
  try {
    for (;;) {
      ssize_t n = ::read(fd, chunk, sizeof chunk);
      if (n < 0) {
        if (errno == EINTR) continue;
        return SFA_ERR_READ;
      }
      if (n == 0) break;
      bytes->insert(bytes->end(), chunk, chunk + n);
    }
  } catch (const std::bad_alloc&) {
    return SFA_ERR_NO_MEMORY;
  } catch (const std::length_error&) {
    return SFA_ERR_NO_MEMORY;
  }
  return SFA_OK;
}
