#include "workbench/dialogs/model/dlg_font.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "workbench/dialogs/model/expr.h"
#include "workbench/base/chain.h"
#include "workbench/base/sysassert.h"

namespace {

struct HeadlessFont {
  int32_t tenths;
  int32_t weight;
  bool italic;
};

// The fonts the headless measurer made, so that a foreign handle is
// recognised as unknown instead of being read.
std::set<const void*>& HeadlessFonts() {
  static std::set<const void*> fonts;
  return fonts;
}

DlgHeadlessFontMeasurer& HeadlessMeasurer() {
  static DlgHeadlessFontMeasurer measurer;
  return measurer;
}

DlgFontMeasurer* current_measurer = nullptr;

// Entry ids are process-wide and never reused.
uint32_t font_id_counter = 0;

void* StockToken(int token) { return reinterpret_cast<void*>(static_cast<uintptr_t>(token)); }

int StockTokenOf(const void* hndl) {
  auto v = reinterpret_cast<uintptr_t>(hndl);
  return v >= 1 && v <= FONT_STOCK_LAST ? static_cast<int>(v) : 0;
}

struct StockName {
  const char* text;
  int token;
};

const StockName kStockNames[] = {
    {"SYSTEM", FONT_STOCK_SYSTEM},
    {"SYSTEM_FONT", FONT_STOCK_SYSTEM},
    {"SYSTEM_FIXED_FONT", FONT_STOCK_SYSTEM_FIXED},
    {"ANSI_VAR_FONT", FONT_STOCK_ANSI_VAR},
    {"ANSI_FIXED_FONT", FONT_STOCK_ANSI_FIXED},
    {"DEVICE_DEFAULT_FONT", FONT_STOCK_DEVICE_DEFAULT},
    {"DEFAULT_GUI_FONT", FONT_STOCK_DEFAULT_GUI},
    {"OEM_FIXED_FONT", FONT_STOCK_OEM_FIXED},
};

struct MeasureSymbols {
  int32_t w;
  int32_t h;
};

int LookupMeasure(const char* name, double* value, void* context) {
  const auto* s = static_cast<const MeasureSymbols*>(context);
  if (std::strcmp(name, "w") == 0) {
    *value = s->w;
    return 0;
  }
  if (std::strcmp(name, "h") == 0) {
    *value = s->h;
    return 0;
  }
  return 1;
}

}  // namespace

void* DlgHeadlessFontMeasurer::CreatePointFont(const char* face, int32_t tenths, int32_t weight, bool italic) {
  if (!face || !*face) return nullptr;
  auto* f = new HeadlessFont{tenths, weight, italic};
  HeadlessFonts().insert(f);
  return f;
}

void DlgHeadlessFontMeasurer::DeleteFont(void* font) {
  if (HeadlessFonts().erase(font)) delete static_cast<HeadlessFont*>(font);
}

bool DlgHeadlessFontMeasurer::Measure(void* font, const char* sample, int32_t* sample_width, DlgFontMetrics* metrics) {
  static const DlgFontMetrics kStock[] = {
      {8, 16, 0}, {8, 15, 0}, {6, 13, 0}, {8, 13, 0}, {8, 16, 0}, {7, 13, 0}, {8, 12, 0},
  };
  DlgFontMetrics m;
  if (int token = StockTokenOf(font)) {
    m = kStock[token - 1];
  } else if (HeadlessFonts().count(font)) {
    const auto* f = static_cast<const HeadlessFont*>(font);
    int32_t tenths = f->tenths > 0 && f->tenths <= 100000 ? f->tenths : 80;
    m.height = (4 * tenths + 15) / 30;
    if (m.height < 1) m.height = 1;
    m.avg_char_width = (m.height + 1) / 2 + (f->weight >= 700 ? 1 : 0);
    m.external_leading = m.height / 8;
  } else {
    return false;
  }
  *metrics = m;
  if (sample_width) {
    int64_t w = 0;
    for (const char* p = sample ? sample : ""; *p; ++p) {
      w += m.avg_char_width + ((*p == 'W' || *p == 'M') ? m.avg_char_width / 2 : 0);
    }
    *sample_width = w > INT32_MAX ? INT32_MAX : static_cast<int32_t>(w);
  }
  return true;
}

DlgFontMeasurer& DlgFont_Measurer() { return current_measurer ? *current_measurer : HeadlessMeasurer(); }

DlgFontMeasurer* DlgFont_SetMeasurer(DlgFontMeasurer* measurer) {
  DlgFontMeasurer* previous = &DlgFont_Measurer();
  current_measurer = measurer;
  return previous;
}

DlgFontEntry::DlgFontEntry(DlgFontTable* table, const char* text)
    : table_(table), id_(++font_id_counter), text_(strdup(text)) {}

DlgFontEntry::~DlgFontEntry() {
  chain_unlink(table_->head, table_->tail, this);
  std::free(text_);
  if (font_) table_->Measurer().DeleteFont(font_);
}

DlgFontTable::DlgFontTable(DlgFontMeasurer* measurer) : measurer_(measurer ? measurer : &DlgFont_Measurer()) {
  default_.id = -1;
  default_.text = "SYSTEM_FONT";
  default_.size = -1;
  default_.sample = "X";
  default_.hndl = StockToken(FONT_STOCK_SYSTEM);
  Measure(default_.hndl, default_, &default_.cx, &default_.cy);
}

DlgFontTable::~DlgFontTable() {
  while (head) delete head;
}

void DlgFontTable::Measure(void* hndl, const font_info& info, int32_t* cx, int32_t* cy) const {
  DlgFontMetrics m;
  int32_t sample_width = 0;
  const char* sample = info.sample && *info.sample ? info.sample : nullptr;
  if (!hndl || !measurer_->Measure(hndl, sample, &sample_width, &m)) {
    // A handle the engine does not know is measured as the system font.
    hndl = StockToken(FONT_STOCK_SYSTEM);
    SYS_ASSERT(measurer_->Measure(hndl, sample, &sample_width, &m) && "font_info->hndl");
  }
  int32_t w = m.avg_char_width;
  if (sample) w = sample_width / static_cast<int32_t>(std::strlen(sample));
  int64_t h = int64_t{m.height} + m.external_leading + 2 * int64_t{measurer_->EdgeHeight()};
  MeasureSymbols symbols{w, h > INT32_MAX ? INT32_MAX : static_cast<int32_t>(h)};
  double value = 0;
  int32_t result = 0;
  if (info.wexpr && *info.wexpr && !expr_eval(info.wexpr, &value, LookupMeasure, &symbols) &&
      expr_to_int32(value, &result) == 0) {
    symbols.w = result;
  }
  if (info.hexpr && *info.hexpr && !expr_eval(info.hexpr, &value, LookupMeasure, &symbols) &&
      expr_to_int32(value, &result) == 0) {
    symbols.h = result;
  }
  *cx = symbols.w;
  *cy = symbols.h;
}

DlgFontEntry* DlgFontTable::AddFont(font_info* info, bool temporary) {
  SYS_ASSERT(info && "font_info");
  const char* text = info->text ? info->text : "";
  int32_t size = info->size;
  const char* face = text;
  if (const char* dot = std::strchr(text, '.')) {
    size_t digits = static_cast<size_t>(dot - text);
    if (digits > 5) return nullptr;  // no point size has that many digits
    for (const char* p = text; p < dot; ++p) {
      if (*p < '0' || *p > '9') return nullptr;
    }
    if (digits > 0) size = static_cast<int32_t>(std::strtol(text, nullptr, 10));
    face = dot + 1;
  }
  size_t face_len = std::strlen(face);
  if (face_len < 1 || face_len > DLG_FONT_FACE_MAX) return nullptr;

  std::string canon(face);
  if (size >= 0) canon += ":" + std::to_string(size);
  if (info->style & FONT_BOLD) canon += ",bold";
  if (info->style & FONT_ITALIC) canon += ",italic";
  if (info->wexpr && *info->wexpr) canon += std::string(",w=") + info->wexpr;
  if (info->hexpr && *info->hexpr) canon += std::string(",h=") + info->hexpr;

  DlgFontEntry* entry = nullptr;
  for (DlgFontEntry* e = head; e; e = e->next) {
    if (std::strcmp(e->text_, canon.c_str()) == 0) {
      entry = e;
      break;
    }
  }
  if (!entry) {
    entry = new DlgFontEntry(this, canon.c_str());
    entry->size_ = size;
    entry->style_ = info->style;
    if (temporary) entry->marks_ |= DLG_FONT_TEMPORARY;
    if (info->hndl) {
      entry->hndl_ = info->hndl;
    } else {
      for (const StockName& s : kStockNames) {
        if (canon == s.text) entry->hndl_ = StockToken(s.token);
      }
      if (!entry->hndl_) {
        size_t colon = canon.find(':');
        std::string name = canon.substr(0, colon == std::string::npos ? canon.find(',') : colon);
        SYS_ASSERT(name.size() <= DLG_FONT_FACE_MAX && "len <= 32");
        int32_t tenths = size >= 0 && size <= INT32_MAX / 10 ? size * 10 : 0;
        entry->font_ = measurer_->CreatePointFont(name.c_str(), tenths, (info->style & FONT_BOLD) ? 700 : 400,
                                                  (info->style & FONT_ITALIC) != 0);
        entry->hndl_ = entry->font_;
      }
    }
    Measure(entry->hndl_, *info, &entry->cx_, &entry->cy_);
    chain_insert_after(head, tail, tail, entry);
  }
  info->id = static_cast<int32_t>(entry->id_);
  info->text = entry->text_;
  info->size = entry->size_;
  info->style = entry->style_;
  info->hndl = entry->hndl_;
  info->cx = entry->cx_;
  info->cy = entry->cy_;
  return entry;
}

DlgFontEntry* DlgFontTable::FindFont(uint32_t id) const {
  for (DlgFontEntry* e = head; e; e = e->next) {
    if (e->id_ == id) return e;
  }
  return nullptr;
}

void DlgFontTable::DeleteTemporaryFonts() {
  for (DlgFontEntry* e = head; e;) {
    DlgFontEntry* n = e->next;
    if (e->marks_ & DLG_FONT_TEMPORARY) delete e;
    e = n;
  }
}

int32_t DlgFontTable::CharWidth(uint32_t id) const {
  const DlgFontEntry* e = FindFont(id);
  return e ? e->cx_ : default_.cx;
}

int32_t DlgFontTable::LineHeight(uint32_t id) const {
  const DlgFontEntry* e = FindFont(id);
  return e ? e->cy_ : default_.cy;
}
