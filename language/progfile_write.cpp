// Program file writer: sizes the image of a segment list in the layout the
// options choose, builds it and writes it in one piece.
#include <cstdlib>
#include <cstring>
#include <new>

#include "language/progfile.h"

namespace {

const char kModule[] = "progfile_write";

#define PROG_FAIL(hdr, code, message) prog_set_error(&(hdr)->error, (code), (message), kModule, __LINE__)

// Checks that the entries of a symbol table tile it exactly and that every
// constant has its four value words.
bool symbols_consistent(const ProgSegment* seg) {
  const auto& sym = seg->symbols;
  size_t off = 0;
  while (off < sym.size()) {
    if (off + 2 > sym.size()) return false;
    uint16_t type = sym[off + 1];
    size_t len = static_cast<size_t>(sym_type_length(type));
    if (len < 2 || off + len > sym.size()) return false;
    if (type < 0x1000 && len < 6) return false;
    off += len;
  }
  return true;
}

// The authorization and table checks every counted segment passes; the
// classic layouts know no flags beyond protected and authorized.
int check_segment(prog_hdr* hdr, const ProgSegment* seg, bool classic) {
  if ((seg->protection & PROGSEG_PROTECTED) && !(seg->protection & PROGSEG_AUTHORIZED))
    return PROG_FAIL(hdr, PROG_ERR_NOT_AUTHORIZED, "You are not authorized to store this program");
  if (classic && seg->protection & ~static_cast<uint32_t>(PROGSEG_PROTECTED | PROGSEG_AUTHORIZED))
    return PROG_FAIL(hdr, PROG_ERR_FORMAT, "Program is not compatible with file format");
  if (!symbols_consistent(seg)) return PROG_FAIL(hdr, PROG_ERR_FORMAT, "Inconsistent symbol table");
  return 0;
}

int segment_charset(const prog_hdr* hdr, const ProgSegment* seg) {
  return seg->charset < 0 ? hdr->options.charset : seg->charset;
}

int init_store_classic(prog_hdr* hdr) {
  if (hdr->options.byte_order != PROG_BYTE_ORDER_BIG)
    return PROG_FAIL(hdr, PROG_ERR_FORMAT, "Given byte order not supported for this format");
  if (hdr->options.charset != 0) return PROG_FAIL(hdr, PROG_ERR_FORMAT, "Given charset not supported for this format");
  const ProgSegment* root = hdr->prog->root;
  uint64_t total = 0;
  bool counted = false;
  for (const ProgSegment* seg = root ? root->next : nullptr; seg != nullptr; seg = seg->next) {
    if (check_segment(hdr, seg, true) != 0) return -1;
    uint64_t words = seg->code.size() + seg->symbols.size() + 3;
    // The segment header keeps the sum in one word.
    if (words > 0xFFFF) return PROG_FAIL(hdr, PROG_ERR_FORMAT, "Program is not compatible with file format");
    total += words;
    counted = true;
  }
  if (root != nullptr && (counted || !root->code.empty())) {
    if (check_segment(hdr, root, true) != 0) return -1;
    uint64_t words = root->code.size() + root->symbols.size() + 3;
    if (words > 0xFFFF) return PROG_FAIL(hdr, PROG_ERR_FORMAT, "Program is not compatible with file format");
    total += words;
    counted = true;
  }
  if (!counted) return PROG_FAIL(hdr, PROG_ERR_EMPTY, "You cannot store an empty program");
  if (hdr->options.revision == PROG_REV_COMPATIBLE && total > PROG_CLASSIC_MAX_WORDS)
    hdr->options.revision = PROG_REV_A0501;
  if (total > 0xFFFFFFFFull) return PROG_FAIL(hdr, PROG_ERR_FORMAT, "Program is not compatible with file format");
  hdr->hdr_words = hdr->options.revision == PROG_REV_COMPATIBLE ? 1 : 3;
  hdr->total_words = total;
  return 0;
}

uint64_t tagged_header_bytes(const prog_options* opt) {
  uint64_t bytes = PROG_SIGNATURE_SIZE + 2 * PROG_TAG_HEADER_SIZE + 8;
  if (opt->release[0] != '\0') bytes += PROG_TAG_HEADER_SIZE + PROG_RELEASE_SIZE;
  if (opt->password) bytes += PROG_TAG_HEADER_SIZE + 2 + PROG_DIGEST_SIZE;
  return bytes;
}

uint64_t tagged_segment_bytes(const prog_hdr* hdr, const ProgSegment* seg) {
  uint64_t bytes = 2 * PROG_TAG_HEADER_SIZE + 4;
  if (!seg->code.empty()) bytes += PROG_TAG_HEADER_SIZE + 2 * seg->code.size();
  if (!seg->symbols.empty()) bytes += PROG_TAG_HEADER_SIZE + 2 * seg->symbols.size();
  if (segment_charset(hdr, seg) != hdr->options.charset) bytes += PROG_TAG_HEADER_SIZE + 2;
  return bytes;
}

int init_store_tagged(prog_hdr* hdr) {
  if (hdr->options.byte_order != PROG_BYTE_ORDER_BIG && hdr->options.byte_order != PROG_BYTE_ORDER_LITTLE)
    return PROG_FAIL(hdr, PROG_ERR_FORMAT, "Given byte order not supported for this format");
  if (hdr->options.charset != 0 && hdr->options.charset != 1)
    return PROG_FAIL(hdr, PROG_ERR_FORMAT, "Given charset not supported for this format");
  uint64_t header = tagged_header_bytes(&hdr->options);
  uint64_t body = 0;
  uint64_t words = 0;
  const ProgSegment* root = hdr->prog->root;
  for (const ProgSegment* seg = root ? root->next : nullptr; seg != nullptr; seg = seg->next) {
    if (check_segment(hdr, seg, false) != 0) return -1;
    body += tagged_segment_bytes(hdr, seg);
    words += seg->code.size() + seg->symbols.size();
  }
  if (root != nullptr) {
    if (check_segment(hdr, root, false) != 0) return -1;
    body += tagged_segment_bytes(hdr, root);
    words += root->code.size() + root->symbols.size();
  }
  if (words == 0) return PROG_FAIL(hdr, PROG_ERR_EMPTY, "You cannot store an empty program");
  // The file size is a 32-bit field whose top bit stays clear.
  if (header + body > 0x7FFFFFFFull)
    return PROG_FAIL(hdr, PROG_ERR_FORMAT, "Program is not compatible with file format");
  hdr->hdr_words = header / 2;
  hdr->total_words = body / 2;
  return 0;
}

// ---- building -----------------------------------------------------------

// Output cursor over the image buffer; a write past the end is refused and
// remembered, so that a list changed since sizing cannot overrun the image.
struct Out {
  uint8_t* p;
  uint8_t* end;
  bool overrun;
};

void put_bytes(Out* o, const void* data, size_t n) {
  if (o->overrun || static_cast<size_t>(o->end - o->p) < n) {
    o->overrun = true;
    return;
  }
  std::memcpy(o->p, data, n);
  o->p += n;
}

void put_u16(Out* o, uint16_t v) {
  uint8_t b[2] = {static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
  put_bytes(o, b, 2);
}

void put_u32(Out* o, uint32_t v) {
  uint8_t b[4] = {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
                  static_cast<uint8_t>(v)};
  put_bytes(o, b, 4);
}

void yq__prog_put_tag(Out* o, int tag, uint32_t length) {
  uint8_t b[2] = {static_cast<uint8_t>(tag), 0};
  put_bytes(o, b, 2);
  put_u32(o, length);
}

// Copy of a segment's symbol words with every constant in the file form.
void yq__prog_pack_constants(const ProgSegment* seg, std::vector<uint16_t>* out) {
  *out = seg->symbols;
  size_t off = 0;
  while (off + 2 <= out->size()) {
    uint16_t type = (*out)[off + 1];
    size_t len = static_cast<size_t>(sym_type_length(type));
    if (len < 2 || off + len > out->size()) break;  // refused while sizing
    if (type < 0x1000 && len >= 6) {
      uint16_t file[4];
      (*out)[off + 1] = prog_constant_to_file(type, &(*out)[off + 2], file);
      std::memcpy(&(*out)[off + 2], file, sizeof file);
    }
    off += len;
  }
}

// Puts words in a byte order (big-endian unless little is set) into the
// image, scrambled with the digest when a key is given.
void put_words(Out* o, const std::vector<uint16_t>& words, bool little, const uint8_t* digest,
               const uint8_t* scramble) {
  size_t n = words.size() * 2;
  if (o->overrun || static_cast<size_t>(o->end - o->p) < n) {
    o->overrun = true;
    return;
  }
  for (size_t i = 0; i < words.size(); ++i) {
    uint8_t hi = static_cast<uint8_t>(words[i] >> 8);
    uint8_t lo = static_cast<uint8_t>(words[i]);
    o->p[2 * i] = little ? lo : hi;
    o->p[2 * i + 1] = little ? hi : lo;
  }
  if (digest != nullptr)
    for (size_t i = 0; i < n; ++i)
      o->p[i] = static_cast<uint8_t>(o->p[i] ^ digest[i % PROG_DIGEST_SIZE] ^ scramble[i % 2]);
  o->p += n;
}

void build_classic(prog_hdr* hdr, Out* o) {
  if (hdr->options.revision == PROG_REV_COMPATIBLE) {
    put_u16(o, static_cast<uint16_t>(hdr->total_words));
  } else {
    put_u16(o, 0);
    put_u32(o, static_cast<uint32_t>(hdr->total_words));
  }
  const ProgSegment* root = hdr->prog->root;
  bool root_counted = root != nullptr && (root->next != nullptr || !root->code.empty());
  std::vector<uint16_t> symbols;
  for (const ProgSegment* seg = root_counted ? root : (root ? root->next : nullptr); seg != nullptr; seg = seg->next) {
    put_u16(o, static_cast<uint16_t>(seg->code.size() + seg->symbols.size() + 3));
    put_u16(o, static_cast<uint16_t>(seg->code.size()));
    put_u16(o, static_cast<uint16_t>(seg->symbols.size()));
    put_words(o, seg->code, false, nullptr, nullptr);
    yq__prog_pack_constants(seg, &symbols);
    put_words(o, symbols, false, nullptr, nullptr);
  }
}

void build_tagged(prog_hdr* hdr, Out* o) {
  const prog_options& opt = hdr->options;
  hdr->scramble[0] = static_cast<uint8_t>(PROG_SCRAMBLE_VALUE >> 8);
  hdr->scramble[1] = static_cast<uint8_t>(PROG_SCRAMBLE_VALUE & 0xFF);
  put_bytes(o, prog_signature, sizeof prog_signature);
  yq__prog_put_tag(o, PROG_TAG_FILE_INFO, 8);
  put_u16(o, static_cast<uint16_t>(opt.byte_order));
  put_u16(o, static_cast<uint16_t>(opt.charset));
  put_u32(o, static_cast<uint32_t>(2 * (hdr->hdr_words + hdr->total_words)));
  if (opt.release[0] != '\0') {
    yq__prog_put_tag(o, PROG_TAG_RELEASE, PROG_RELEASE_SIZE);
    put_bytes(o, opt.release, PROG_RELEASE_SIZE);
  }
  if (opt.password) {
    yq__prog_put_tag(o, PROG_TAG_PASSWORD, 2 + PROG_DIGEST_SIZE);
    put_bytes(o, hdr->scramble, 2);
    put_bytes(o, opt.digest, PROG_DIGEST_SIZE);
  }
  yq__prog_put_tag(o, PROG_TAG_END_HEADER, 0);

  bool little = opt.byte_order == PROG_BYTE_ORDER_LITTLE;
  const uint8_t* key = opt.password ? opt.digest : nullptr;
  std::vector<uint16_t> symbols;
  for (const ProgSegment* seg = hdr->prog->root; seg != nullptr; seg = seg->next) {
    yq__prog_put_tag(o, PROG_TAG_SEGMENT, 4);
    put_u32(o, static_cast<uint32_t>(tagged_segment_bytes(hdr, seg)));
    int charset = segment_charset(hdr, seg);
    if (charset != opt.charset) {
      yq__prog_put_tag(o, PROG_TAG_CHARSET, 2);
      put_u16(o, static_cast<uint16_t>(charset));
    }
    if (!seg->code.empty()) {
      yq__prog_put_tag(o, PROG_TAG_CODE, static_cast<uint32_t>(2 * seg->code.size()));
      put_words(o, seg->code, little, key, hdr->scramble);
    }
    if (!seg->symbols.empty()) {
      yq__prog_pack_constants(seg, &symbols);
      yq__prog_put_tag(o, PROG_TAG_SYMBOLS, static_cast<uint32_t>(2 * symbols.size()));
      put_words(o, symbols, little, key, hdr->scramble);
    }
    yq__prog_put_tag(o, PROG_TAG_END_SEGMENT, 0);
  }
}

int yq__prog_build_image(prog_hdr* hdr) {
  Out o{hdr->mem, hdr->mem + hdr->size, false};
  try {
    switch (hdr->options.revision) {
      case PROG_REV_COMPATIBLE:
      case PROG_REV_A0501: build_classic(hdr, &o); break;
      case PROG_REV_TAGGED: build_tagged(hdr, &o); break;
      default: return PROG_FAIL(hdr, PROG_ERR_FORMAT, "yq__prog_build_image: Internal inconsistency");
    }
  } catch (const std::bad_alloc&) {
    return PROG_FAIL(hdr, PROG_ERR_NOMEM, "Unable to allocate program image memory");
  }
  // A list that changed after sizing shows here; nothing was written past
  // the image.
  if (o.overrun || o.p != hdr->mem + 2 * (hdr->hdr_words + hdr->total_words))
    return PROG_FAIL(hdr, PROG_ERR_FORMAT, "ptr == (char *)(phdr->mem + (phdr->hdr_words + phdr->total_words))");
  return 0;
}

}  // namespace

int yq__prog_init_store(prog_hdr* hdr, const ProgList* prog, const prog_options* opt) {
  std::memset(hdr, 0, sizeof *hdr);
  if (opt != nullptr)
    hdr->options = *opt;
  else
    yq__prog_init_options(&hdr->options);
  hdr->options.release[PROG_RELEASE_SIZE] = '\0';
  static const ProgList kEmpty;
  hdr->prog = prog != nullptr ? prog : &kEmpty;
  int rc;
  switch (hdr->options.revision) {
    case PROG_REV_COMPATIBLE:
    case PROG_REV_A0501: rc = init_store_classic(hdr); break;
    case PROG_REV_TAGGED: rc = init_store_tagged(hdr); break;
    default: return PROG_FAIL(hdr, PROG_ERR_FORMAT, "Illegal program format");
  }
  if (rc != 0) return rc;
  hdr->size = static_cast<size_t>(2 * (hdr->hdr_words + hdr->total_words));
  return 0;
}

size_t yq__prog_image_size(const prog_hdr* hdr) { return hdr->size; }

int yq__prog_store_mem(prog_hdr* hdr, uint8_t* buffer) {
  if (hdr->size == 0 || buffer == nullptr)
    return PROG_FAIL(hdr, PROG_ERR_FORMAT, "yq__prog_build_image: Internal inconsistency");
  hdr->mem = buffer;
  int rc = yq__prog_build_image(hdr);
  hdr->mem = nullptr;
  return rc;
}

int yq__prog_write(prog_hdr* hdr, FILE* out) {
  if (hdr->size == 0) return PROG_FAIL(hdr, PROG_ERR_FORMAT, "yq__prog_build_image: Internal inconsistency");
  hdr->mem = static_cast<uint8_t*>(std::malloc(hdr->size));
  if (hdr->mem == nullptr) return PROG_FAIL(hdr, PROG_ERR_NOMEM, "Unable to allocate program image memory");
  int rc = yq__prog_build_image(hdr);
  if (rc == 0 && std::fwrite(hdr->mem, 1, hdr->size, out) != hdr->size)
    rc = PROG_FAIL(hdr, PROG_ERR_WRITE, "write failed");
  std::free(hdr->mem);
  hdr->mem = nullptr;
  return rc;
}

const prog_error* yq__prog_error(const prog_hdr* hdr) { return &hdr->error; }
