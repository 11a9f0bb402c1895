#include "dialogs/formmorph/drvcodec.h"

#include <cstring>

#include "database/client/trace.h"

void drv_put_word(unsigned char* at, uint32_t value) {
  at[0] = static_cast<unsigned char>(value >> 24);
  at[1] = static_cast<unsigned char>(value >> 16);
  at[2] = static_cast<unsigned char>(value >> 8);
  at[3] = static_cast<unsigned char>(value);
}

uint32_t drv_get_word(const unsigned char* at) {
  return static_cast<uint32_t>(at[0]) << 24 | static_cast<uint32_t>(at[1]) << 16 | static_cast<uint32_t>(at[2]) << 8 |
         static_cast<uint32_t>(at[3]);
}

namespace {

// The fixed part and the string area of a request being built.
class RequestBody {
 public:
  void word(int index, int32_t value) { words_[index] = value; }
  void string(int index, const std::string& text) {
    words_[index] = static_cast<int32_t>(area_.size() + 1);
    area_.insert(area_.end(), text.begin(), text.end());
    area_.push_back(0);
    while (area_.size() % 4) area_.push_back(0);
  }
  // Type and value words of a caller's value; false for a bad kind.
  bool value(int index, const DrvValue& v) {
    switch (v.kind) {
      case DRV_VOID: word(index, DRV_WIRE_VOID); return true;
      case DRV_TEXT:
        word(index, DRV_WIRE_STRING);
        string(index + 1, v.text);
        return true;
      case DRV_INTEGER:
        word(index, DRV_WIRE_INT);
        word(index + 1, v.number);
        return true;
      default: return false;
    }
  }
  int finish(size_t capacity, std::vector<unsigned char>& frame) {
    size_t body = DRV_FIXED_SIZE + area_.size();
    if (4 + body > capacity || body > 0x7ffffff0u) return DRV_ERR_SIZE;
    words_[0] = static_cast<int32_t>(body);
    words_[1] = 0;
    frame.assign(4 + body, 0);
    drv_put_word(frame.data(), static_cast<uint32_t>(body + 4));
    for (int i = 0; i < DRV_FIXED_WORDS; ++i) drv_put_word(frame.data() + 4 + 4 * i, static_cast<uint32_t>(words_[i]));
    if (!area_.empty()) std::memcpy(frame.data() + 4 + DRV_FIXED_SIZE, area_.data(), area_.size());
    return DRV_OK;
  }

 private:
  int32_t words_[DRV_FIXED_WORDS] = {};
  std::vector<unsigned char> area_;
};

// Reads a response body; every offset is checked against its size.
class ResponseCursor {
 public:
  ResponseCursor(const unsigned char* body, size_t size) : body_(body), size_(size) {}
  int32_t word(int index) const { return static_cast<int32_t>(drv_get_word(body_ + 4 * index)); }
  // The string of a string word; false when it lies outside the area or has
  // no NUL inside it.
  bool string(int index, std::string& out) const {
    uint32_t ref = drv_get_word(body_ + 4 * index);
    out.clear();
    if (ref == 0) return true;
    size_t area = size_ - DRV_FIXED_SIZE;
    size_t offset = ref - 1;
    if (offset >= area) return false;
    const unsigned char* start = body_ + DRV_FIXED_SIZE + offset;
    const void* nul = std::memchr(start, 0, area - offset);
    if (!nul) return false;
    out.assign(reinterpret_cast<const char*>(start),
               static_cast<size_t>(static_cast<const unsigned char*>(nul) - start));
    return true;
  }
  // A value of type and value words at `index`, in the callers' kinds.
  // 0, or -1 for a bad type, -2 for a bad string.
  int value(int index, DrvValue& v) const {
    int32_t type = word(index);
    v = DrvValue{};
    switch (type) {
      case DRV_WIRE_VOID: v.kind = DRV_VOID; return 0;
      case DRV_WIRE_INT:
        v.kind = DRV_INTEGER;
        v.number = word(index + 1);
        return 0;
      case DRV_WIRE_STRING: v.kind = DRV_TEXT; return string(index + 1, v.text) ? 0 : -2;
      default: return -1;
    }
  }

 private:
  const unsigned char* body_;
  size_t size_;
};

}  // namespace

int drv_hton(const DrvRequest& r, size_t capacity, std::vector<unsigned char>& frame) {
  RequestBody b;
  b.word(2, r.code);
  switch (r.code) {
    case DMDRV_STOP: break;
    case DMDRV_DEBUG:
    case DMDRV_ASYNC: b.word(3, r.number); break;
    case DMDRV_NEW:
      b.string(3, r.path);
      b.string(4, r.name);
      break;
    case DMDRV_DEL:
    case DMDRV_GET:
    case DMDRV_DRAW:
    case DMDRV_DO: b.string(3, r.path); break;
    case DMDRV_SET:
      b.string(3, r.path);
      if (!b.value(4, r.value)) {
        debug_printf('G', 0, "DMDRV_SET: bad type = %ld", static_cast<long>(r.value.kind));
        return DRV_ERR_PROTOCOL;
      }
      break;
    case DMDRV_LOAD:
    case DMDRV_HELP: b.string(3, r.name); break;
    case DMDRV_POPUP:
      if (r.buttons.size() > DRV_POPUP_BUTTONS) {
        debug_printf('G', 0, "DMDRV_POPUP: bad button count = %ld", static_cast<long>(r.buttons.size()));
        return DRV_ERR_PROTOCOL;
      }
      b.word(3, r.number);
      b.word(4, r.number2);
      b.string(5, r.path);
      b.word(6, r.x);
      b.word(7, r.y);
      b.string(8, r.name);
      b.string(9, r.text);
      b.word(10, static_cast<int32_t>(r.buttons.size()));
      for (size_t i = 0; i < r.buttons.size(); ++i) b.string(11 + static_cast<int>(i), r.buttons[i]);
      b.word(16, r.number3);
      break;
    case DMDRV_RULE:
    case DMDRV_FUNC: {
      bool rule = r.code == DMDRV_RULE;
      if (r.argc < 0 || r.argc > DRV_MAX_ARGS) {
        debug_printf('G', 0, "%s: bad argument count = %ld", rule ? "DMDRV_RULE" : "DMDRV_FUNC",
                     static_cast<long>(r.argc));
        return DRV_ERR_PROTOCOL;
      }
      b.string(3, r.name);
      int at = 4;
      if (rule) b.string(at++, r.path);
      b.word(at++, r.argc);
      for (int i = 0; i < DRV_MAX_ARGS; ++i, at += 2) {
        DrvValue none;
        if (!b.value(at, i < r.argc ? r.args[i] : none)) {
          // The texts of the two refusals are kept as they always were.
          debug_printf('G', 0, rule ? "DMDRV_RULE: bad type = %ld" : "DMDRV_RUNC: bad type = %ld",
                       static_cast<long>(r.args[i].kind));
          return DRV_ERR_PROTOCOL;
        }
      }
      break;
    }
    default: debug_printf('G', 0, "drv_hton: bad req = %ld", static_cast<long>(r.code)); return DRV_ERR_PROTOCOL;
  }
  return b.finish(capacity, frame);
}

int drv_ntoh(const unsigned char* body, size_t size, DrvResponse* out) {
  *out = DrvResponse{};
  if (size < DRV_FIXED_SIZE) {
    debug_printf('G', 0, "drv_ntoh: response of %zu bytes is shorter than %d", size, DRV_FIXED_SIZE);
    return DRV_ERR_PROTOCOL;
  }
  ResponseCursor c(body, size);
  if (static_cast<uint32_t>(c.word(0)) != size) {
    debug_printf('G', 0, "drv_ntoh: body length %ld, received %zu", static_cast<long>(c.word(0)), size);
    return DRV_ERR_PROTOCOL;
  }
  if (c.word(1) != 0) {
    debug_printf('G', 0, "drv_ntoh: invalid response, error word %ld", static_cast<long>(c.word(1)));
    return DRV_ERR_PROTOCOL;
  }
  out->code = c.word(2);
  const char* value_owner = nullptr;
  switch (out->code) {
    case DMDRV_GET: value_owner = "DMDRV_GET: Bad VALUE type (0x%02x)"; break;
    case DMDRV_RULE: value_owner = "DMDRV_RULE: Bad rVALUE type (0x%02x)"; break;
    case DMDRV_FUNC: value_owner = "DMDRV_FUNC: Bad rVALUE type (0x%02x)"; break;
    case DMDRV_LOAD:
    case DMDRV_STATUS:
    case DMDRV_ASYNC: out->status = c.word(3); return DRV_OK;
    case DMDRV_POPUP:
      out->status = c.word(3);
      out->second = c.word(4);
      return DRV_OK;
    case DMDRV_DO:
      out->status = c.word(3);
      out->second = c.word(4);
      if (!c.string(5, out->text)) {
        debug_printf('G', 0, "drv_ntoh: string outside the response");
        return DRV_ERR_PROTOCOL;
      }
      return DRV_OK;
    default: debug_printf('G', 0, "drv_ntoh: bad res = %ld", static_cast<long>(out->code)); return DRV_ERR_PROTOCOL;
  }
  out->status = c.word(3);
  int rc = c.value(4, out->value);
  if (rc == -1) {
    debug_printf('G', 0, value_owner, static_cast<unsigned>(c.word(4)));
    return DRV_ERR_PROTOCOL;
  }
  if (rc == -2) {
    debug_printf('G', 0, "drv_ntoh: string outside the response");
    return DRV_ERR_PROTOCOL;
  }
  return DRV_OK;
}
