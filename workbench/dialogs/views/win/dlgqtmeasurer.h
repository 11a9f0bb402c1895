// The font measurer of the windowed designer: makes the dialogs' fonts as
// QFonts and measures them with QFontMetrics in place of the headless
// formula. Stock font tokens stand for the desktop's general and fixed
// fonts; the edge of a control is 2 pixels.
#pragma once

#include <QFont>

#include "workbench/dialogs/model/dlg_font.h"

class DlgQtFontMeasurer : public DlgFontMeasurer {
 public:
  DlgQtFontMeasurer() = default;
  ~DlgQtFontMeasurer() override;
  DlgQtFontMeasurer(const DlgQtFontMeasurer&) = delete;
  DlgQtFontMeasurer& operator=(const DlgQtFontMeasurer&) = delete;

  void* CreatePointFont(const char* face, int32_t tenths, int32_t weight, bool italic) override;
  void DeleteFont(void* font) override;
  bool Measure(void* font, const char* sample, int32_t* sample_width, DlgFontMetrics* metrics) override;
  int32_t EdgeWidth() override { return kEdge; }
  int32_t EdgeHeight() override { return kEdge; }

  // The QFont of a handle this measurer made or of a stock token; the
  // application's font for anything else.
  QFont FontOf(const void* handle) const;

  static constexpr int32_t kEdge = 2;
};

// Installs the measurer for the life of the object (the previous one comes
// back at its end).
class DlgQtMeasurerScope {
 public:
  DlgQtMeasurerScope();
  ~DlgQtMeasurerScope();
  DlgQtMeasurerScope(const DlgQtMeasurerScope&) = delete;
  DlgQtMeasurerScope& operator=(const DlgQtMeasurerScope&) = delete;
  DlgQtFontMeasurer& Measurer() { return measurer_; }

 private:
  DlgQtFontMeasurer measurer_;
  DlgFontMeasurer* previous_;
};

// The QFont of an object's font id in its dialog's font table (the table's
// default font when it has none), as the measurer in force made it.
class DlgObject;
QFont DlgQt_ObjectFont(const DlgObject* obj);
