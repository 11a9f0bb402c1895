// The program library facade.
#include "workbench/programs/yqapi.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "language/codewords.h"
#include "language/keywords.h"
#include "language/lister.h"
#include "workbench/programs/idecompile.h"
#include "workbench/programs/progcontext.h"
#include "workbench/programs/progpswd.h"
#include "workbench/base/shellsink.h"
#include "workbench/base/sysassert.h"
#include "workbench/base/sysutil.h"

namespace {

const char kIndentError[] = "INTERNAL ERROR #1004 DURING INDENT";
const char kTooManyLines[] = "MAXIMUM NUMBER OF PROGRAM LINES EXCEEDED";
constexpr unsigned kMaxLine = 32767;
constexpr int kMaxColumn = 80;
constexpr uint16_t kDefFn = 0x02ED;  // DEF FN

// The statement word of a stored line: after the label reference and the
// statement prefix. Null when the line holds none.
const uint16_t* statement_word(const uint16_t* line) {
  size_t count = line[1] & CW_LINE_WORDS_MASK;
  size_t i = 2;
  if (i < count && is_symtab_id(line[i])) ++i;
  if (i < count && line[i] == CW_STMT_PREFIX) ++i;
  return i < count ? line + i : nullptr;
}

const pkeywd_row* statement_row(const uint16_t* line) {
  const uint16_t* w = statement_word(line);
  return w != nullptr ? pkeywd_lookup(*w) : nullptr;
}

}  // namespace

int YqApi_LineKeywordFlags(const uint16_t* line) {
  const pkeywd_row* row = statement_row(line);
  return row != nullptr ? row->flags : -1;
}

std::string YqApi_PasswordDigest(const char* password) {
  return yq__prog_digest_text(password, password != nullptr ? std::strlen(password) : 0);
}

// Puts a program's segment list into the library for the length of a call
// and takes it back afterwards.
class YqApiProgram::Swap {
 public:
  explicit Swap(ProgList* segments) : segments_(segments), ctx_(Prog_Context()) {
    ctx_.cc.prog = *segments_;
    *segments_ = ProgList{};
  }
  ~Swap() {
    *segments_ = ctx_.cc.prog;
    ctx_.cc.prog = ProgList{};
  }
  Swap(const Swap&) = delete;
  Swap& operator=(const Swap&) = delete;
  CompileContext& cc() { return ctx_.cc; }

 private:
  ProgList* segments_;
  ProgContext& ctx_;
};

YqApiProgram::YqApiProgram() { Prog_Context(); }

YqApiProgram::~YqApiProgram() { progseg_free_all(&segments_); }

void YqApiProgram::ShowError(const prog_error* err, int result) const {
  char line[32];
  std::snprintf(line, sizeof line, "%u", static_cast<unsigned>(err->line));
  std::string text = err->message != nullptr ? err->message : "";
  text += "\nFile ";
  text += err->module != nullptr ? err->module : "";
  text += ", Line ";
  text += line;
  unsigned icon = result < 0 ? SHELL_MB_ICONSTOP : SHELL_MB_ICONEXCLAMATION;
  Shell_Sink().message_box(Sys_GetMainWindow(), Sys_GetDefaultAppName(), text.c_str(), SHELL_MB_OK | icon);
}

void YqApiProgram::DropState() {
  reader_.reset();
  store_.reset();
  block_.clear();
  block_.shrink_to_fit();
}

// ---- reading ----------------------------------------------------------------

int YqApiProgram::ReadHeader(const void* block, size_t size) {
  DropState();
  info_.reset();
  progseg_free_all(&segments_);
  // The reader keeps reading from the block until the segments are in: keep
  // a copy of our own, so the caller's buffer may go.
  try {
    const auto* bytes = static_cast<const uint8_t*>(block);
    block_.assign(bytes, bytes + size);
    reader_ = std::make_unique<prog_reader>();
  } catch (const std::bad_alloc&) {
    prog_error err{PROG_ERR_NOMEM, "Out of memory", "yqapi", __LINE__};
    DropState();
    ShowError(&err, -1);
    return -1;
  }
  int rc = yq__prog_read_init_mem(block_.data(), block_.size(), reader_.get(), &segments_);
  if (rc != 0) ShowError(yq__prog_read_error(reader_.get()), rc);
  if (rc < 0) {
    DropState();
    return -1;
  }
  info_ = std::make_unique<prog_options>(*yq__prog_read_info(reader_.get()));
  return 0;
}

bool YqApiProgram::IsSecured() const {
  const prog_options* info = info_.get();
  SYS_ASSERT(info);
  return info->password != 0;
}

int YqApiProgram::CheckPassword(const char* digest_text) {
  prog_reader* curr_prog_hdr = reader_.get();
  SYS_ASSERT(curr_prog_hdr);
  return yq__prog_check_password_text(curr_prog_hdr, digest_text);
}

int YqApiProgram::ReadSegments() {
  prog_reader* curr_prog_hdr = reader_.get();
  SYS_ASSERT(curr_prog_hdr);
  int rc = yq__prog_read(curr_prog_hdr);
  if (rc < 0) {
    ShowError(yq__prog_read_error(reader_.get()), rc);
    progseg_free_all(&segments_);
    DropState();
    return -1;
  }
  DropState();
  line_ = first_;
  return 0;
}

// ---- format -------------------------------------------------------------------

int YqApiProgram::GetFormat() const { return info_ ? info_->revision : PROG_REV_COMPATIBLE; }

void YqApiProgram::SetFormat(int revision) {
  if (info_) info_->revision = revision;
}

int YqApiProgram::GetCharset() const { return info_ ? info_->charset : 0; }

void YqApiProgram::SetCharset(int charset) {
  if (info_) info_->charset = charset;
}

bool YqApiProgram::SetPassword(const char* digest_text) {
  if (!info_) return true;
  return yq__prog_set_password_text(info_.get(), digest_text) == 0;
}

// ---- storing ------------------------------------------------------------------

int YqApiProgram::PrepareStore(size_t* size) {
  DropState();
  store_ = std::make_unique<prog_hdr>();
  int rc = yq__prog_init_store(store_.get(), &segments_, info_.get());
  if (rc != 0) {
    ShowError(yq__prog_error(store_.get()), -1);
    DropState();
    return -1;
  }
  *size = yq__prog_image_size(store_.get());
  return 0;
}

int YqApiProgram::Store(void* buffer) {
  prog_hdr* curr_prog_hdr = store_.get();
  SYS_ASSERT(curr_prog_hdr);
  int rc = yq__prog_store_mem(curr_prog_hdr, static_cast<uint8_t*>(buffer));
  if (rc != 0) ShowError(yq__prog_error(curr_prog_hdr), -1);
  DropState();
  return rc != 0 ? -1 : 0;
}

// ---- compiling and listing ------------------------------------------------------

bool YqApiProgram::NewProgram() {
  DropState();
  bool ok = progseg_reset(&segments_);
  line_ = first_;
  compiled_ = false;
  return ok;
}

void YqApiProgram::Reset() {
  progseg_free_all(&segments_);
  line_ = first_;
  compiled_ = false;
}

void YqApiProgram::SetNumbering(unsigned first, unsigned step) {
  first_ = first;
  step_ = step;
  line_ = first;
}

// Applies the indentation rule to a line just stored at `pos` of `seg`.
int YqApiProgram::Indent(ProgSegment* seg, uint32_t pos, uint16_t* line) {
  const pkeywd_row* row = statement_row(line);
  if (row == nullptr) {
    error_ = kIndentError;
    return -1;
  }
  YqApiIndent& in = *indent_;
  bool first_of_sub = pos == 0 && seg != segments_.root;
  if ((row->flags & PK_FLAG_CLOSES_BLOCK) && in.level > 0) --in.level;
  if (first_of_sub) in.level = 0;
  long column = static_cast<long>(in.base) + static_cast<long>(in.level) * in.per_level;
  if (column > kMaxColumn) column = kMaxColumn;
  if (column < 0) column = 0;
  if (row->code != CW_BANG)
    line[1] = static_cast<uint16_t>((static_cast<unsigned>(column) << 8) | (line[1] & CW_LINE_WORDS_MASK));
  if ((row->flags & PK_FLAG_OPENS_BLOCK) && (row->code != kDefFn || first_of_sub)) ++in.level;
  return 1;
}

int YqApiProgram::CompileLine(const char* text, std::string* listed, int* kwflags) {
  if (line_ > kMaxLine) return -1;
  ProgSegment* seg = nullptr;
  uint32_t pos = 0;
  int rc;
  {
    Swap swap(&segments_);
    CompileContext& cc = swap.cc();
    cc.last_line = static_cast<int>(line_) - 1;
    cc.increment = 1;
    rc = ide_compile_line(&cc, text, std::strlen(text), false, &seg, &pos);
    if (rc < 1) {
      if (rc < 0) error_ = cc.error_message;
      return rc;
    }
  }
  compiled_ = true;
  uint16_t* line = seg->code.data() + pos;
  line[0] = static_cast<uint16_t>((line[0] & 0x8000u) | line_);
  if (indent_ != nullptr && indent_->enabled && Indent(seg, pos, line) < 0) return -1;
  if (kwflags != nullptr) *kwflags = YqApi_LineKeywordFlags(line) < 0 ? 0 : YqApi_LineKeywordFlags(line);
  if (listed != nullptr) {
    YqApiIter it;
    it.Set(seg, line);
    *listed = ListLine(it, PROG_LIST_FLAGS);
  }
  line_ += step_;
  return rc;
}

void YqApiProgram::Reindent() {
  if (indent_ == nullptr || !indent_->enabled) return;
  indent_->level = 0;
  const std::string error = error_;
  YqApiIter it;
  if (it.First(*this))
    while (it.NextLine())
      Indent(it.seg, static_cast<uint32_t>(it.lp - it.seg->code.data()), const_cast<uint16_t*>(it.lp));
  error_ = error;
}

int YqApiProgram::ParseLine(const char* text, int mode, int retry_mode, std::string* listed, int* kwflags) {
  ProgContext& ctx = Prog_Context();
  static ProgSegment one_line;
  int rc;
  {
    Swap swap(&segments_);
    CompileContext& cc = swap.cc();
    cc.last_line = static_cast<int>(line_) - 1;
    cc.increment = 1;
    size_t length = std::strlen(text);
    rc = ide_parse_line(&cc, text, length, mode != 0, &one_line);
    if (rc < 0 && retry_mode != -1) rc = ide_parse_line(&cc, text, length, retry_mode != 0, &one_line);
    if (rc < 1) {
      if (rc < 0) error_ = cc.error_message;
      return rc;
    }
  }
  int flags = YqApi_LineKeywordFlags(one_line.code.data());
  if (flags < 0) {
    error_ = kIndentError;
    return -1;
  }
  if (kwflags != nullptr) *kwflags = flags;
  if (listed != nullptr) *listed = list_line_ctx(&ctx.lc, &one_line, one_line.code.data(), PROG_LIST_FLAGS);
  return rc;
}

std::string YqApiProgram::ListLine(const YqApiIter& iter, int flags) const {
  SYS_ASSERT(iter.seg && iter.lp);
  return list_line_ctx(&Prog_Context().lc, iter.seg, iter.lp, flags | LIST_NO_LINE_NUMBER);
}

std::string YqApiProgram::ErrorText() const { return line_ > kMaxLine ? kTooManyLines : error_; }

// ---- iterating ---------------------------------------------------------------------

bool YqApiIter::First(const YqApiProgram& prog) {
  seg = prog.Segments().root;
  lp = nullptr;
  return seg != nullptr;
}

void YqApiIter::Begin(ProgSegment* segment) {
  SYS_ASSERT(segment);
  seg = segment;
  lp = seg->code.size() >= 2 ? seg->code.data() : nullptr;
}

void YqApiIter::Set(ProgSegment* segment, const uint16_t* line) {
  seg = segment;
  lp = line;
}

bool YqApiIter::NextSegment() {
  SYS_ASSERT(seg);
  seg = seg->next;
  lp = nullptr;
  return seg != nullptr;
}

bool YqApiIter::NextLine() {
  SYS_ASSERT(seg);
  for (;;) {
    const uint16_t* begin = seg->code.data();
    const uint16_t* end = begin + seg->code.size();
    const uint16_t* next = lp == nullptr ? begin : lp + (lp[1] & CW_LINE_WORDS_MASK);
    // A line whose count is below 2 or that runs past the code ends the
    // segment, as every walk over stored lines does.
    if (lp != nullptr && (lp[1] & CW_LINE_WORDS_MASK) < 2) next = end;
    if (next + 2 <= end && (next[1] & CW_LINE_WORDS_MASK) >= 2 && next + (next[1] & CW_LINE_WORDS_MASK) <= end) {
      lp = next;
      return true;
    }
    if (seg->next == nullptr) {
      lp = nullptr;
      seg = nullptr;
      return false;
    }
    seg = seg->next;
    lp = nullptr;
  }
}

unsigned YqApiIter::LineNumber() const {
  if (seg == nullptr || lp == nullptr) return 0;
  return lp[0] & CW_LINE_NUMBER_MASK;
}

int YqApiIter::KeywordFlags() const {
  SYS_ASSERT(seg && lp);
  int flags = YqApi_LineKeywordFlags(lp);
  return flags < 0 ? 0 : flags;
}

std::string YqApiIter::SegmentName(const YqApiProgram& prog) const {
  SYS_ASSERT(seg);
  return list_segment_name(&Prog_Context().lc, &prog.Segments(), seg);
}

bool YqApiIter::OpensBlock() const { return (KeywordFlags() & PK_FLAG_OPENS_BLOCK) != 0; }

bool YqApiIter::ClosesBlock() const { return (KeywordFlags() & PK_FLAG_CLOSES_BLOCK) != 0; }
