// Program file reader: the header and segments of either layout, from an
// open file or from a block of memory, into a segment list.
//
// Input is untrusted. Every read is checked against the bytes that remain
// before it happens; payloads from a file are read in pieces, so memory grows
// only with bytes that really arrived; code lines and symbol entries are
// checked to tile their areas before a segment joins the list.
#include <cerrno>
#include <climits>
#include <cstring>
#include <new>
#include <sys/stat.h>
#include <vector>

#include "language/progfile.h"

namespace {

const char kModule[] = "progfile_read";

const char kBadFormat[] = "Inconsistent file format";
const char kBadSize[] = "Inconsistent program size";
const char kBadSeek[] = "Unexpected seek failure";
const char kBadProgram[] = "Inconsistent program file";
const char kBadSymbols[] = "Inconsistent symbol table";
const char kBadRevision[] = "Incompatible file revision";

#define READ_FAIL(rd, code, message) prog_set_error(&(rd)->error, (code), (message), kModule, __LINE__)
#define FORMAT_FAIL(rd, message) READ_FAIL((rd), PROG_ERR_FORMAT, (message))

// ---- input ----------------------------------------------------------------

// Reads n bytes into dst. Past the logical end, or short from a file:
// "Inconsistent file format".
int read_bytes(prog_reader* rd, void* dst, uint64_t n) {
  if (rd->limit != 0 && n > rd->remaining) return FORMAT_FAIL(rd, kBadFormat);
  if (n == 0) return 0;
  if (rd->file != nullptr) {
    if (std::fread(dst, 1, static_cast<size_t>(n), rd->file) != n) return FORMAT_FAIL(rd, kBadFormat);
  } else {
    if (rd->limit == 0) return FORMAT_FAIL(rd, kBadFormat);
    std::memcpy(dst, rd->mem + rd->offset, static_cast<size_t>(n));
  }
  rd->offset += n;
  if (rd->limit != 0) rd->remaining -= n;
  return 0;
}

// Reads a payload of n bytes into out. From a file it comes in pieces, so
// that a length a corrupt file claims cannot allocate more than the file
// holds.
int read_payload(prog_reader* rd, uint64_t n, std::vector<uint8_t>* out) {
  out->clear();
  if (rd->limit != 0 && n > rd->remaining) return FORMAT_FAIL(rd, kBadFormat);
  const uint64_t kPiece = 1u << 16;
  try {
    while (out->size() < n) {
      uint64_t take = n - out->size();
      if (take > kPiece && rd->file != nullptr) take = kPiece;
      size_t at = out->size();
      out->resize(at + static_cast<size_t>(take));
      if (read_bytes(rd, out->data() + at, take) != 0) return -1;
    }
  } catch (const std::bad_alloc&) {
    return READ_FAIL(rd, PROG_ERR_NOMEM, "Unable to allocate segment");
  }
  return 0;
}

int seek_to(prog_reader* rd, uint64_t pos) {
  if ((pos & 1) != 0) return FORMAT_FAIL(rd, kBadSeek);
  if (rd->limit != 0 && pos > rd->limit) return FORMAT_FAIL(rd, kBadSeek);
  if (rd->file != nullptr) {
    if (pos > static_cast<uint64_t>(LONG_MAX) || std::fseek(rd->file, static_cast<long>(pos), SEEK_SET) != 0)
      return FORMAT_FAIL(rd, kBadSeek);
  } else if (rd->limit == 0) {
    return FORMAT_FAIL(rd, kBadSeek);
  }
  rd->offset = pos;
  if (rd->limit != 0) rd->remaining = rd->limit - pos;
  return 0;
}

uint16_t be16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
uint32_t be32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
         p[3];
}

int read_u16(prog_reader* rd, uint16_t* v) {
  uint8_t b[2];
  if (read_bytes(rd, b, 2) != 0) return -1;
  *v = be16(b);
  return 0;
}

int read_u32(prog_reader* rd, uint32_t* v) {
  uint8_t b[4];
  if (read_bytes(rd, b, 4) != 0) return -1;
  *v = be32(b);
  return 0;
}

struct Tag {
  int tag;
  int flag;
  uint32_t length;
};

int read_tag(prog_reader* rd, Tag* t) {
  uint8_t b[PROG_TAG_HEADER_SIZE];
  if (read_bytes(rd, b, sizeof b) != 0) return -1;
  t->tag = b[0];
  t->flag = b[1];
  t->length = be32(b + 2);
  if (t->length & 0x80000000u) return FORMAT_FAIL(rd, kBadFormat);
  return 0;
}

int skip_bytes(prog_reader* rd, uint64_t n) {
  if (rd->limit != 0 && n > rd->remaining) return FORMAT_FAIL(rd, kBadFormat);
  // Passes over the bytes by reading them, so that an odd length or a
  // stream that cannot seek is no different from any other payload.
  uint8_t buf[512];
  while (n > 0) {
    uint64_t take = n < sizeof buf ? n : sizeof buf;
    if (read_bytes(rd, buf, take) != 0) return -1;
    n -= take;
  }
  return 0;
}

// ---- header -------------------------------------------------------------

// The logical end is known now: checks it against the bytes there are, or
// takes it as the limit when the input's size is unknown.
int settle_size(prog_reader* rd, int result) {
  uint64_t logical = 2 * (rd->hdr_words + rd->total_words);
  uint64_t header = 2 * rd->hdr_words;
  if (rd->limit == 0) {
    rd->limit = logical;
    rd->remaining = logical - rd->offset;
    return result;
  }
  uint64_t after = rd->limit - header;
  if (after < 2 * rd->total_words) {
    FORMAT_FAIL(rd, kBadSize);
    return -1;
  }
  if (after > 2 * rd->total_words) {
    FORMAT_FAIL(rd, "Program filesize exceeds logical size");
    rd->limit = logical;
    rd->remaining = logical - rd->offset;
    return 1;
  }
  return result;
}

int read_header_classic(prog_reader* rd) {
  if (seek_to(rd, 0) != 0) return -1;
  uint16_t w0;
  if (read_u16(rd, &w0) != 0) return -1;
  int result = 0;
  if (w0 != 0 && w0 < 0x8000) {
    rd->info.revision = PROG_REV_COMPATIBLE;
    rd->total_words = w0;
    rd->hdr_words = 1;
  } else if (w0 == 0) {
    uint32_t total;
    if (read_u32(rd, &total) != 0) return -1;
    rd->info.revision = PROG_REV_A0501;
    rd->total_words = total;
    rd->hdr_words = 3;
  } else {
    // A block of another format stands in front of the program.
    int n = 0x10000 - w0;
    uint16_t w1;
    if (read_u16(rd, &w1) != 0) return -1;
    rd->info.revision = PROG_REV_COMPATIBLE;
    rd->total_words = w1;
    rd->hdr_words = static_cast<uint64_t>((125 + n) / 128) * 128;
    if (seek_to(rd, 2 * rd->hdr_words) != 0) return -1;
    FORMAT_FAIL(rd, "Program contains QX260 binary");
    result = 1;
  }
  rd->info.byte_order = PROG_BYTE_ORDER_BIG;
  rd->info.charset = 0;
  rd->info.password = 0;
  return settle_size(rd, result);
}

int read_header_tagged(prog_reader* rd) {
  Tag t;
  if (read_tag(rd, &t) != 0) return -1;
  if (t.tag != PROG_TAG_FILE_INFO || t.length != 8) return FORMAT_FAIL(rd, kBadFormat);
  uint8_t info[8];
  if (read_bytes(rd, info, sizeof info) != 0) return -1;
  int order = be16(info);
  int charset = be16(info + 2);
  uint32_t file_size = be32(info + 4);
  if (file_size & 0x80000000u) return FORMAT_FAIL(rd, kBadFormat);
  if (order != PROG_BYTE_ORDER_BIG && order != PROG_BYTE_ORDER_LITTLE) return FORMAT_FAIL(rd, kBadFormat);
  if (charset != 0 && charset != 1) return FORMAT_FAIL(rd, kBadFormat);
  rd->info.byte_order = order;
  rd->info.charset = charset;
  for (;;) {
    if (read_tag(rd, &t) != 0) return -1;
    if (t.tag == PROG_TAG_END_HEADER) {
      if (t.length != 0) return FORMAT_FAIL(rd, kBadFormat);
      break;
    }
    if (t.tag == PROG_TAG_PASSWORD) {
      if (t.length != 2 + PROG_DIGEST_SIZE) return FORMAT_FAIL(rd, kBadFormat);
      uint8_t b[2 + PROG_DIGEST_SIZE];
      if (read_bytes(rd, b, sizeof b) != 0) return -1;
      rd->info.password = 1;
      std::memcpy(rd->scramble, b, 2);
      std::memcpy(rd->info.digest, b + 2, PROG_DIGEST_SIZE);
    } else if (t.tag == PROG_TAG_RELEASE) {
      if (t.length > PROG_RELEASE_SIZE) return FORMAT_FAIL(rd, kBadFormat);
      std::memset(rd->info.release, 0, sizeof rd->info.release);
      if (read_bytes(rd, rd->info.release, t.length) != 0) return -1;
    } else if (t.flag & PROG_TAG_FLAG_SKIP) {
      if (skip_bytes(rd, t.length) != 0) return -1;
    } else {
      return FORMAT_FAIL(rd, kBadRevision);
    }
  }
  // Words follow the header; an odd header or file size leaves none whole.
  if ((rd->offset & 1) != 0 || (file_size & 1) != 0) return FORMAT_FAIL(rd, kBadFormat);
  rd->info.revision = PROG_REV_TAGGED;
  rd->hdr_words = rd->offset / 2;
  if (file_size / 2 < rd->hdr_words) return FORMAT_FAIL(rd, kBadSize);
  rd->total_words = file_size / 2 - rd->hdr_words;
  return settle_size(rd, 0);
}

int yq__prog_read_header(prog_reader* rd) {
  uint8_t sig[PROG_SIGNATURE_SIZE];
  if (read_bytes(rd, sig, sizeof sig) != 0) return -1;
  if (std::memcmp(sig, prog_signature, sizeof sig) == 0) return read_header_tagged(rd);
  return read_header_classic(rd);
}

int start(prog_reader* rd, ProgList* prog) {
  rd->prog = prog;
  rd->info.byte_order = PROG_BYTE_ORDER_BIG;
  int rc = yq__prog_read_header(rd);
  if (rc < 0) return -1;
  return rc;
}

// ---- segments -------------------------------------------------------------

// Code lines must tile the code: each at least two words, its word count in
// the low byte of word 1, ending inside the code.
bool code_consistent(const std::vector<uint16_t>& code) {
  size_t off = 0;
  while (off < code.size()) {
    if (code.size() - off < 2) return false;
    size_t count = code[off + 1] & 0xFF;
    if (count < 2 || count > code.size() - off) return false;
    off += count;
  }
  return true;
}

// Steps the entries of a symbol table, checks each against its class and
// turns the constants back into the packed form.
int unpack_constants(prog_reader* rd, std::vector<uint16_t>* sym) {
  size_t off = 0;
  while (off < sym->size()) {
    if (sym->size() - off < 2) return FORMAT_FAIL(rd, kBadSymbols);
    uint16_t type = (*sym)[off + 1];
    size_t len = static_cast<size_t>(sym_type_length(type));
    if (len < 2 || len > sym->size() - off) return FORMAT_FAIL(rd, kBadSymbols);
    int cls = sym_type_class(type);
    if (cls == SYM_CLASS_CONST) {
      if (len < 6) return FORMAT_FAIL(rd, kBadSymbols);
      uint16_t packed[4];
      if (!prog_constant_from_file(&(*sym)[off + 2], packed)) return FORMAT_FAIL(rd, kBadSymbols);
      std::memcpy(&(*sym)[off + 2], packed, sizeof packed);
    } else if (cls == SYM_CLASS_LINE && sym_type_subtype(type) == SYM_SUB_LINE) {
      if (len < 3) return FORMAT_FAIL(rd, kBadSymbols);
    } else if (cls == SYM_CLASS_LINE || (cls >= SYM_CLASS_NUM_D && cls <= SYM_CLASS_STRUCT)) {
      // A name of at most MAX_SYMBOL_NAME characters.
      if (len - 2 > static_cast<size_t>(sym_name_words(MAX_SYMBOL_NAME))) return FORMAT_FAIL(rd, kBadSymbols);
    }
    off += len;
  }
  return 0;
}

void to_words(const std::vector<uint8_t>& bytes, bool little, std::vector<uint16_t>* words) {
  words->resize(bytes.size() / 2);
  for (size_t i = 0; i < words->size(); ++i) {
    uint8_t a = bytes[2 * i];
    uint8_t b = bytes[2 * i + 1];
    (*words)[i] = little ? static_cast<uint16_t>(b << 8 | a) : static_cast<uint16_t>(a << 8 | b);
  }
}

void yq__prog_unscramble(const prog_reader* rd, std::vector<uint8_t>* bytes) {
  for (size_t i = 0; i < bytes->size(); ++i)
    (*bytes)[i] = static_cast<uint8_t>((*bytes)[i] ^ rd->info.digest[i % PROG_DIGEST_SIZE] ^ rd->scramble[i % 2]);
}

// Checks a segment's words and appends it to the list.
int finish_segment(prog_reader* rd, std::vector<uint16_t>* code, std::vector<uint16_t>* sym, int charset,
                   uint32_t protection) {
  if (!code_consistent(*code)) return FORMAT_FAIL(rd, kBadFormat);
  if (unpack_constants(rd, sym) != 0) return -1;
  ProgSegment* seg = progseg_new(rd->prog);
  if (seg == nullptr) return READ_FAIL(rd, PROG_ERR_NOMEM, "Unable to allocate segment");
  seg->code.swap(*code);
  seg->symbols.swap(*sym);
  seg->charset = charset;
  seg->protection = protection;
  return 0;
}

int read_words(prog_reader* rd, uint64_t count, std::vector<uint16_t>* out, const char* nomem) {
  std::vector<uint8_t> bytes;
  if (read_payload(rd, 2 * count, &bytes) != 0) {
    if (rd->error.code == PROG_ERR_NOMEM) rd->error.message = nomem;
    return -1;
  }
  try {
    to_words(bytes, false, out);
  } catch (const std::bad_alloc&) {
    return READ_FAIL(rd, PROG_ERR_NOMEM, nomem);
  }
  return 0;
}

int read_segment_classic(prog_reader* rd, int skip) {
  uint16_t h[3];
  for (auto& w : h)
    if (read_u16(rd, &w) != 0) return -1;
  uint32_t codesz = h[1];
  uint32_t symsz = h[2];
  if (h[0] != codesz + symsz + 3) return FORMAT_FAIL(rd, "Inconsistent segment header");
  uint64_t bytes = 2 * (static_cast<uint64_t>(codesz) + symsz);
  if (skip) return seek_to(rd, rd->offset + bytes);
  if (bytes > rd->remaining) return FORMAT_FAIL(rd, kBadFormat);
  std::vector<uint16_t> code;
  std::vector<uint16_t> sym;
  if (read_words(rd, codesz, &code, "Unable to allocate segment code") != 0) return -1;
  if (read_words(rd, symsz, &sym, "Unable to allocate segment symtab") != 0) return -1;
  return finish_segment(rd, &code, &sym, rd->info.charset, 0);
}

int read_segment_tagged(prog_reader* rd, int skip) {
  uint64_t seg_start = rd->offset;
  Tag t;
  if (read_tag(rd, &t) != 0) return -1;
  if (t.tag != PROG_TAG_SEGMENT || t.length != 4) return FORMAT_FAIL(rd, kBadProgram);
  uint32_t size;
  if (read_u32(rd, &size) != 0) return -1;
  // At least the segment and end records, and whole words: a smaller size
  // would lead a skipping reader back onto the same record.
  if ((size & 0x80000000u) || size < 2 * PROG_TAG_HEADER_SIZE + 4 || (size & 1) != 0)
    return FORMAT_FAIL(rd, "Invalid segment size");
  uint64_t seg_end = seg_start + size;
  if (seg_end > rd->limit) return FORMAT_FAIL(rd, kBadProgram);
  if (skip) return seek_to(rd, seg_end);

  int charset = rd->info.charset;
  bool have_code = false;
  bool have_symbols = false;
  bool little = rd->info.byte_order == PROG_BYTE_ORDER_LITTLE;
  std::vector<uint16_t> code;
  std::vector<uint16_t> sym;
  std::vector<uint8_t> bytes;
  for (;;) {
    if (read_tag(rd, &t) != 0) return -1;
    if (rd->offset + t.length > seg_end) return FORMAT_FAIL(rd, kBadProgram);
    if (t.tag == PROG_TAG_END_SEGMENT) {
      if (t.length != 0) return FORMAT_FAIL(rd, kBadFormat);
      break;
    }
    if (t.tag == PROG_TAG_CHARSET) {
      uint16_t v;
      if (t.length != 2) return FORMAT_FAIL(rd, kBadFormat);
      if (read_u16(rd, &v) != 0) return -1;
      if (v > 1) return FORMAT_FAIL(rd, kBadFormat);
      charset = v;
    } else if (t.tag == PROG_TAG_CODE || t.tag == PROG_TAG_SYMBOLS) {
      bool is_code = t.tag == PROG_TAG_CODE;
      bool& seen = is_code ? have_code : have_symbols;
      if (seen) return FORMAT_FAIL(rd, "Incompatible program file");
      seen = true;
      if ((t.length & 1) != 0) return FORMAT_FAIL(rd, kBadFormat);
      const char* nomem = is_code ? "Unable to allocate segment code" : "Unable to allocate segment symtab";
      if (read_payload(rd, t.length, &bytes) != 0) {
        if (rd->error.code == PROG_ERR_NOMEM) rd->error.message = nomem;
        return -1;
      }
      if (rd->info.password) yq__prog_unscramble(rd, &bytes);
      try {
        to_words(bytes, little, is_code ? &code : &sym);
      } catch (const std::bad_alloc&) {
        return READ_FAIL(rd, PROG_ERR_NOMEM, nomem);
      }
    } else if (t.flag & PROG_TAG_FLAG_SKIP) {
      if (skip_bytes(rd, t.length) != 0) return -1;
    } else {
      return FORMAT_FAIL(rd, kBadRevision);
    }
  }
  if (rd->offset != seg_end) return FORMAT_FAIL(rd, kBadProgram);
  uint32_t protection = 0;
  if (rd->info.password) protection |= PROGSEG_PROTECTED;
  if (rd->verified) protection |= PROGSEG_AUTHORIZED;
  return finish_segment(rd, &code, &sym, charset, protection);
}

}  // namespace

int yq__prog_read_init(FILE* in, prog_reader* rd, ProgList* prog) {
  std::memset(rd, 0, sizeof *rd);
  rd->file = in;
  if (in == nullptr) return FORMAT_FAIL(rd, kBadFormat);
  return start(rd, prog);
}

int yq__prog_read_init_mem(const void* block, size_t size, prog_reader* rd, ProgList* prog) {
  std::memset(rd, 0, sizeof *rd);
  rd->mem = static_cast<const uint8_t*>(block);
  rd->limit = block != nullptr ? size : 0;
  rd->remaining = rd->limit;
  if (rd->limit == 0) return FORMAT_FAIL(rd, kBadFormat);
  return start(rd, prog);
}

int yq__prog_check_password(prog_reader* rd, const uint8_t* digest) {
  if (!rd->info.password) return 1;
  if (digest == nullptr) return 0;
  if (std::memcmp(digest, rd->info.digest, PROG_DIGEST_SIZE) != 0) return 0;
  rd->verified = 1;
  return 1;
}

int yq__prog_read_segment(prog_reader* rd, int skip) {
  if (rd->prog == nullptr) return FORMAT_FAIL(rd, "yq__prog_read_segment: Internal inconsistency");
  switch (rd->info.revision) {
    case PROG_REV_COMPATIBLE:
    case PROG_REV_A0501: return read_segment_classic(rd, skip);
    case PROG_REV_TAGGED: return read_segment_tagged(rd, skip);
    default: return FORMAT_FAIL(rd, "yq__prog_read_segment: Internal inconsistency");
  }
}

int yq__prog_read(prog_reader* rd) {
  if (rd->prog == nullptr) return FORMAT_FAIL(rd, "yq__prog_read_segment: Internal inconsistency");
  progseg_free_all(rd->prog);
  while (rd->remaining > 0) {
    if (yq__prog_read_segment(rd, 0) != 0) {
      progseg_free_all(rd->prog);
      return -1;
    }
  }
  return 0;
}

const prog_options* yq__prog_read_info(const prog_reader* rd) { return &rd->info; }
const prog_error* yq__prog_read_error(const prog_reader* rd) { return &rd->error; }
