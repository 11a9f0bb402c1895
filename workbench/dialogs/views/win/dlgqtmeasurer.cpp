#include "workbench/dialogs/views/win/dlgqtmeasurer.h"

#include <cstdint>
#include <set>

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>

#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/dialogs/model/dlg_rootanchor.h"

namespace {

// The fonts made by any Qt measurer, so that a foreign handle is never read.
std::set<const void*>& MadeFonts() {
  static std::set<const void*> fonts;
  return fonts;
}

int StockToken(const void* handle) {
  const auto v = reinterpret_cast<uintptr_t>(handle);
  return v >= 1 && v <= FONT_STOCK_LAST ? static_cast<int>(v) : 0;
}

// The fixed-pitch stock fonts; the others are the general font.
bool StockIsFixed(int token) {
  return token == FONT_STOCK_SYSTEM_FIXED || token == FONT_STOCK_ANSI_FIXED || token == FONT_STOCK_OEM_FIXED;
}

// The heaviest weight that still counts as normal text.
constexpr int32_t kBoldWeight = 700;
// The largest point size (in tenths) a font is made at.
constexpr int32_t kMaxTenths = 100000;
constexpr int32_t kDefaultTenths = 80;

}  // namespace

DlgQtFontMeasurer::~DlgQtFontMeasurer() = default;

void* DlgQtFontMeasurer::CreatePointFont(const char* face, int32_t tenths, int32_t weight, bool italic) {
  if (!face || !*face) return nullptr;
  auto* f = new QFont(QString::fromLatin1(face));
  const int32_t t = tenths > 0 && tenths <= kMaxTenths ? tenths : kDefaultTenths;
  f->setPointSizeF(t / 10.0);
  f->setBold(weight >= kBoldWeight);
  f->setItalic(italic);
  MadeFonts().insert(f);
  return f;
}

void DlgQtFontMeasurer::DeleteFont(void* font) {
  if (MadeFonts().erase(font)) delete static_cast<QFont*>(font);
}

QFont DlgQtFontMeasurer::FontOf(const void* handle) const {
  if (int token = StockToken(handle))
    return QFontDatabase::systemFont(StockIsFixed(token) ? QFontDatabase::FixedFont : QFontDatabase::GeneralFont);
  if (MadeFonts().count(handle)) return *static_cast<const QFont*>(handle);
  return QApplication::font();
}

bool DlgQtFontMeasurer::Measure(void* font, const char* sample, int32_t* sample_width, DlgFontMetrics* metrics) {
  if (!StockToken(font) && !MadeFonts().count(font)) return false;
  const QFontMetrics fm(FontOf(font));
  metrics->avg_char_width = fm.averageCharWidth();
  metrics->height = fm.height();
  metrics->external_leading = fm.leading() > 0 ? fm.leading() : 0;
  if (sample_width) *sample_width = fm.horizontalAdvance(QString::fromLatin1(sample ? sample : ""));
  return true;
}

DlgQtMeasurerScope::DlgQtMeasurerScope() : previous_(DlgFont_SetMeasurer(&measurer_)) {}

DlgQtMeasurerScope::~DlgQtMeasurerScope() { DlgFont_SetMeasurer(previous_); }

QFont DlgQt_ObjectFont(const DlgObject* obj) {
  DlgRootAnchor* root = obj ? obj->RootAnchor() : nullptr;
  if (!root) return QApplication::font();
  const DlgFontEntry* entry = obj->FontId() ? root->Fonts().FindFont(obj->FontId()) : nullptr;
  const void* handle = entry ? entry->Handle() : root->Fonts().DefaultFont().hndl;
  if (int token = StockToken(handle))
    return QFontDatabase::systemFont(StockIsFixed(token) ? QFontDatabase::FixedFont : QFontDatabase::GeneralFont);
  if (MadeFonts().count(handle)) return *static_cast<const QFont*>(handle);
  return QApplication::font();
}
