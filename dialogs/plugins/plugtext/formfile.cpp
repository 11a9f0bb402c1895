// FORM file reader and layout: see formfile.h.
#include "dialogs/plugins/plugtext/formfile.h"

#include <new>

namespace {

// A bounded view of the file's bytes.
class Bytes {
 public:
  Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool word(size_t at, unsigned& out) const {
    if (at > size_ || size_ - at < 2) return false;
    out = static_cast<unsigned>(data_[at] << 8 | data_[at + 1]);
    return true;
  }
  bool byte(size_t at, uint8_t& out) const {
    if (at >= size_) return false;
    out = data_[at];
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
};

FormPos pos_of(unsigned word) { return FormPos{static_cast<int>(word >> 8), static_cast<int>(word & 0xff)}; }

// One cell of a run in the character mode.
FormCell cell_of(uint8_t byte, int field, int attr, int mode) {
  FormCell c;
  c.field = static_cast<uint8_t>(field);
  c.attr = static_cast<uint8_t>(attr);
  switch (mode) {
    case 1:
      if (byte > 31) {
        c.code = static_cast<uint8_t>(byte | 0x80);
        c.kind = 2;
      } else {
        c.code = static_cast<uint8_t>(byte | 0xA0);
        c.kind = 1;
      }
      break;
    case 2: c.code = byte > 31 ? static_cast<uint8_t>(byte + 96) : static_cast<uint8_t>(byte | 0xA0); break;
    case 3: c.code = ' '; break;
    default: c.code = byte; break;
  }
  return c;
}

// Reads the record of one line from `at` in the text area.
bool read_line(const Bytes& text, size_t at, std::vector<FormCell>& cells) {
  uint8_t b0 = 0, b1 = 0;
  if (!text.byte(at, b0) || !text.byte(at + 1, b1) || b0 != 0xFC || b1 != 0xFE) return false;
  int field = FORM_PLAIN, attr = 0, mode = 0;
  for (size_t p = at + 2;;) {
    uint8_t b = 0;
    if (!text.byte(p++, b)) return false;  // no end byte
    if (b == 0xFF) return true;
    if (b >= 0x84 && b <= 0x87) {
      static const int kFields[] = {FORM_PLAIN, FORM_OUTPUT, FORM_INPUT, FORM_BOTH};
      field = kFields[b - 0x84];
    } else if (b == 0xFD) {
      for (;;) {
        uint8_t c = 0;
        if (!text.byte(p++, c)) return false;  // a run without its end
        if (c == 0xFC) break;
        cells.push_back(cell_of(c, field, attr, mode));
      }
    } else {
      attr = (b >> 3) & 0x0F;
      mode = b & 0x03;
    }
  }
}

bool visible_start(const FormCell& c) { return c.field == FORM_PLAIN && (c.code & 0x7F) > 32; }

char shown(const FormCell& c) {
  if (c.kind != 0) return '.';
  if (c.code < 32 || (c.code >= 0x7F && c.code < 0xA0)) return ' ';
  if (c.code == '"') return '\'';
  return static_cast<char>(c.code);
}

const FormCell* cell_at(const Form& form, int line, int column) {
  if (line < 1 || column < 1 || static_cast<size_t>(line) > form.lines.size()) return nullptr;
  const std::vector<FormCell>& cells = form.lines[static_cast<size_t>(line - 1)];
  if (static_cast<size_t>(column) > cells.size()) return nullptr;
  return &cells[static_cast<size_t>(column - 1)];
}

}  // namespace

FormStatus form_parse(const uint8_t* data, size_t size, Form& out) {
  try {
    out = Form{};
    Bytes bytes(data, size);
    unsigned w[7];
    for (size_t i = 0; i < 7; ++i)
      if (!bytes.word(2 * i, w[i])) return FORM_NOT_FORM;
    if (w[0] % 3 != 0 || w[4] < 6 || w[5] < w[4] || w[6] < w[5]) return FORM_NOT_FORM;
    size_t count_a = w[4] - 6, count_b = w[5] - w[4], count_c = w[6] - w[5];
    if (count_a != count_b) return FORM_NOT_FORM;
    size_t first = size_t{w[2]} * 256, table_bytes = size_t{w[0]} * 256, text_bytes = size_t{w[1]} * 256;
    if (first < 14 || 2 * (count_a + count_b + count_c) > first - 14) return FORM_NOT_FORM;
    if (first > size || table_bytes > size - first || text_bytes > size - first - table_bytes) return FORM_NOT_FORM;

    size_t at = 14;
    for (std::vector<FormPos>* table : {&out.table_a, &out.inputs, &out.outputs}) {
      size_t n = table == &out.table_a ? count_a : (table == &out.inputs ? count_b : count_c);
      table->reserve(n);
      for (size_t i = 0; i < n; ++i, at += 2) {
        unsigned v = 0;
        if (!bytes.word(at, v)) return FORM_NOT_FORM;
        table->push_back(pos_of(v));
      }
    }

    Bytes text(data + first + table_bytes, text_bytes);
    size_t lines = w[0] / 3;
    out.lines.resize(lines);
    for (size_t i = 0; i < lines; ++i) {
      unsigned offset = 0;
      if (!bytes.word(first + 6 * i, offset)) return FORM_NOT_FORM;
      if (!read_line(text, size_t{offset} * 2, out.lines[i])) return FORM_NOT_FORM;
      if (out.lines[i].size() > out.width) out.width = out.lines[i].size();
    }
    return FORM_OK;
  } catch (const std::bad_alloc&) {
    return FORM_NO_MEMORY;
  }
}

void form_layout(const Form& form, std::vector<FormText>& texts, std::vector<FormEdit>& inputs,
                 std::vector<FormEdit>& outputs) {
  texts.clear();
  inputs.clear();
  outputs.clear();
  for (size_t y = 0; y < form.lines.size(); ++y) {
    const std::vector<FormCell>& cells = form.lines[y];
    for (size_t i = 0; i < cells.size();) {
      if (!visible_start(cells[i])) {
        ++i;
        continue;
      }
      size_t j = i;
      std::string text;
      while (j < cells.size() && cells[j].field == FORM_PLAIN && j - i < FORM_MAX_TEXT) text += shown(cells[j++]);
      while (!text.empty() && text.back() == ' ') text.pop_back();
      if (!text.empty()) texts.push_back(FormText{static_cast<int>(i + 1), static_cast<int>(y + 1), text});
      i = j;
    }
  }
  for (const FormPos& p : form.inputs) {
    int width = 0;
    for (const FormCell* c = cell_at(form, p.line, p.column); c != nullptr && (c->field & FORM_INPUT) != 0;
         c = cell_at(form, p.line, p.column + width))
      ++width;
    inputs.push_back(FormEdit{p.column, p.line, width});
  }
  for (const FormPos& p : form.outputs) {
    int width = 0;
    for (const FormCell* c = cell_at(form, p.line, p.column);
         c != nullptr && (c->field & FORM_OUTPUT) != 0 && (c->field & FORM_INPUT) == 0;
         c = cell_at(form, p.line, p.column + width))
      ++width;
    if (width > 0) outputs.push_back(FormEdit{p.column, p.line, width});
  }
}
