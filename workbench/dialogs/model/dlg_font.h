// The fonts of one dialog: a plug-in registers a font description while it
// loads, the table makes the font (through a measurer), measures its average
// character width and line height, and lets the description override both
// measures by expressions in "w" and "h".
//
// The measuring goes through DlgFontMeasurer so that the model runs without
// windows: the headless measurer below is the default; the windowed
// environment installs one that asks the real font engine.
#pragma once

#include <cstdint>

#include "workbench/dialogs/document/dlgplugin.h"

// What the font engine tells of one font.
struct DlgFontMetrics {
  int32_t avg_char_width = 0;
  int32_t height = 0;
  int32_t external_leading = 0;
};

class DlgFontMeasurer {
 public:
  virtual ~DlgFontMeasurer() = default;
  // Makes a font of `face` at `tenths` of a point (weight 400 or 700); null
  // when it cannot be made. The table deletes it with DeleteFont.
  virtual void* CreatePointFont(const char* face, int32_t tenths, int32_t weight, bool italic) = 0;
  virtual void DeleteFont(void* font) = 0;
  // Measures a font handle (a stock token FONT_STOCK_* or one of ours);
  // `sample` (may be null) gets its width in `*sample_width`. False when the
  // handle is unknown.
  virtual bool Measure(void* font, const char* sample, int32_t* sample_width, DlgFontMetrics* metrics) = 0;
  // The system's edge width and height (the 3-D border of a control).
  virtual int32_t EdgeWidth() = 0;
  virtual int32_t EdgeHeight() = 0;
};

// The measurer without a font engine. Its fixed formula:
//   stock fonts (average width x height): SYSTEM 8x16, SYSTEM_FIXED 8x15,
//   ANSI_VAR 6x13, ANSI_FIXED 8x13, DEVICE_DEFAULT 8x16, DEFAULT_GUI 7x13,
//   OEM_FIXED 8x12; external leading 0;
//   a point font of p points (tenths t): height = (4t + 15) / 30 (points at
//   96 dots per inch, rounded), at least 1; average width = (height + 1) / 2,
//   one more when bold; external leading = height / 8;
//   a sample text is its length times the average width, each 'W' and 'M'
//   half an average width more (rounded down);
//   edge width and height 2.
class DlgHeadlessFontMeasurer : public DlgFontMeasurer {
 public:
  void* CreatePointFont(const char* face, int32_t tenths, int32_t weight, bool italic) override;
  void DeleteFont(void* font) override;
  bool Measure(void* font, const char* sample, int32_t* sample_width, DlgFontMetrics* metrics) override;
  int32_t EdgeWidth() override { return 2; }
  int32_t EdgeHeight() override { return 2; }
};

// The measurer in force (the headless one until another is installed).
DlgFontMeasurer& DlgFont_Measurer();
// Installs a measurer (null restores the headless one); returns the previous.
DlgFontMeasurer* DlgFont_SetMeasurer(DlgFontMeasurer* measurer);

class DlgFontTable;

// Mark bits of a font entry.
enum : uint32_t { DLG_FONT_TEMPORARY = 0x1 };

enum { DLG_FONT_FACE_MAX = 32 };

class DlgFontEntry {
 public:
  virtual ~DlgFontEntry();
  DlgFontEntry(const DlgFontEntry&) = delete;
  DlgFontEntry& operator=(const DlgFontEntry&) = delete;

  uint32_t Id() const { return id_; }
  const char* Text() const { return text_; }
  int32_t PointSize() const { return size_; }
  int32_t Style() const { return style_; }
  void* Handle() const { return hndl_; }
  int32_t CharWidth() const { return cx_; }
  int32_t LineHeight() const { return cy_; }
  uint32_t Marks() const { return marks_; }

  DlgFontEntry* prev = nullptr;
  DlgFontEntry* next = nullptr;

 private:
  friend class DlgFontTable;
  DlgFontEntry(DlgFontTable* table, const char* text);
  DlgFontTable* table_;
  uint32_t id_;
  char* text_;
  int32_t size_ = -1;
  int32_t style_ = 0;
  void* hndl_ = nullptr;
  int32_t cx_ = 0;
  int32_t cy_ = 0;
  void* font_ = nullptr;  // the font we made, owned
  uint32_t marks_ = 0;
};

class DlgFontTable {
 public:
  // Measures the default font (SYSTEM_FONT, sample "X") with `measurer`
  // (null: the one in force).
  explicit DlgFontTable(DlgFontMeasurer* measurer = nullptr);
  ~DlgFontTable();
  DlgFontTable(const DlgFontTable&) = delete;
  DlgFontTable& operator=(const DlgFontTable&) = delete;

  // Finds or makes the font of a description and fills the description
  // back (id, canonical text, size, style, handle, measures). Null when the
  // size part is not all digits or the face is empty or longer than 32
  // characters.
  DlgFontEntry* AddFont(font_info* info, bool temporary);
  DlgFontEntry* FindFont(uint32_t id) const;
  void DeleteTemporaryFonts();

  // The default font's description (id -1, "SYSTEM_FONT").
  const font_info& DefaultFont() const { return default_; }
  // Average character width and line height of font `id`, or of the
  // default font when the table has no such font.
  int32_t CharWidth(uint32_t id) const;
  int32_t LineHeight(uint32_t id) const;
  DlgFontMeasurer& Measurer() const { return *measurer_; }

  DlgFontEntry* head = nullptr;
  DlgFontEntry* tail = nullptr;

 private:
  void Measure(void* hndl, const font_info& info, int32_t* cx, int32_t* cy) const;
  DlgFontMeasurer* measurer_;
  font_info default_{};
};
