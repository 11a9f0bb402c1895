#include "workbench/editor/view/editprint.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

#include "workbench/editor/editmodel.h"
#include "workbench/editor/txtline.h"
#include "workbench/editor/view/linedraw.h"
#include "workbench/base/shellsink.h"

namespace {

class QtHeaderPainter : public CfgHeaderPainter {
 public:
  explicit QtHeaderPainter(QPainter* p) : p_(p) {}
  void DrawLine(const CfgRect& r, const std::string& text, int alignment) override {
    const int h = alignment == 1 ? Qt::AlignLeft : alignment == 2 ? Qt::AlignRight : Qt::AlignHCenter;
    p_->drawText(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top), h | Qt::AlignVCenter | Qt::TextSingleLine,
                 QString::fromLatin1(text.c_str()));
  }

 private:
  QPainter* p_;
};

struct PrintRow {
  TextLine* line;
  uint32_t first_col;
  uint32_t last_col;
  bool first;
};

}  // namespace

CfgPageSetup Editor_MarginsInsidePrintable(const CfgPageSetup& setup, const QSizeF& paper_size,
                                           const QRectF& printable) {
  CfgPageSetup inside = setup;
  auto tenths = [](double mm) { return static_cast<int32_t>(std::ceil(std::max(0.0, mm) * 10 - 1e-6)); };
  inside.LeftMargin = std::max(setup.LeftMargin, tenths(printable.left()));
  inside.TopMargin = std::max(setup.TopMargin, tenths(printable.top()));
  inside.RightMargin = std::max(setup.RightMargin, tenths(paper_size.width() - printable.right()));
  inside.BottomMargin = std::max(setup.BottomMargin, tenths(paper_size.height() - printable.bottom()));
  return inside;
}

int Editor_Print(EditorModel& model, const std::string& file_name, QPrinter* printer, bool selection_only) {
  CfgSettings* cfg = model.Config();
  printer->setFullPage(true);
  const QRectF paper_mm = printer->pageLayout().fullRect(QPageLayout::Millimeter);
  // The printable area: the paper less the printer's least margins.
  QPageLayout least = printer->pageLayout();
  least.setMode(QPageLayout::StandardMode);
  least.setMargins(least.minimumMargins());
  const CfgPageSetup setup =
      Editor_MarginsInsidePrintable(cfg->PageSetup, paper_mm.size(), least.paintRect(QPageLayout::Millimeter));
  const int32_t W = static_cast<int32_t>(std::lround(paper_mm.width() * 10));
  const int32_t H = static_cast<int32_t>(std::lround(paper_mm.height() * 10));

  // The printer font, in units of 0.1 mm.
  const double points = CfgPageSetup::ClampFontSize(setup.FontSize) / 10.0;
  QFont font("Courier New");
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(points * 254.0 / 72.0))));
  font.setWeight((setup.flags & CfgPageSetup::BoldFont) ? QFont::Bold : QFont::Normal);
  if (!QFontInfo(font).fixedPitch()) font.setFamily("Courier");
  QFontMetricsF fm(font);
  const int32_t cw = static_cast<int32_t>(std::lround(fm.horizontalAdvance(QLatin1Char('x'))));
  const int32_t lh = static_cast<int32_t>(std::lround(fm.height() + std::max(0.0, fm.leading())));
  if (cw <= 0 || lh <= 0) {
    Shell_Sink().message_box(Shell_OwnerWindow(), "Cannot print file [2]",
                             "An error occurred while setting up the printer font.\nPlease verify that you have a "
                             "Courier New\nor Courier printer font installed.",
                             SHELL_MB_ICONSTOP);
    return -1;
  }
  const int32_t underline_y = static_cast<int32_t>(std::lround(fm.ascent() + fm.descent() / 2));

  uint32_t fl = 0, ll = 0, fc = 0, lc = 0;
  const bool range = selection_only && model.PrintRange(&fl, &ll, &fc, &lc);
  EditorPrintLayout layout = model.PrintLayout(setup, W, H, cw, lh, range);
  if (!layout.margins_ok) {
    Shell_Sink().message_box(Shell_OwnerWindow(), "Cannot print file [1]",
                             "The margin settings are invalid.\nPlease note that the minimum size\nof the printable "
                             "area is 10 x 10 cm.",
                             SHELL_MB_ICONSTOP);
    return -1;
  }

  // The rows of the job.
  TextObj* tobj = model.Text();
  std::vector<PrintRow> rows;
  const uint32_t first_line = range ? fl : 0;
  const uint32_t last_line = range ? ll : tobj->num_lines - 1;
  TextLine* line = tobj->Line(first_line);
  for (uint32_t i = first_line; i <= last_line && line; ++i, line = line->next) {
    const uint32_t cols = line->Columns();
    uint32_t c = 0;
    do {
      rows.push_back({line, c, std::min(cols, c + layout.cols_per_row), c == 0});
      c += layout.cols_per_row;
    } while (c < cols);
  }

  QPainter p;
  if (!p.begin(printer)) return -1;
  p.setWindow(0, 0, W, H);
  p.setViewport(printer->pageLayout().fullRectPixels(printer->resolution()));
  p.setFont(font);
  QPen pen(Qt::black);
  pen.setWidth((static_cast<int>(points) - 6) / 6 + 1);
  if (setup.flags & CfgPageSetup::BoldFont) pen.setWidth(pen.width() * 2);
  const bool numbers = model.IsBinaryProgram() && (setup.flags & CfgPageSetup::LineNumbers);
  const int32_t left = setup.LeftMargin;
  const int32_t body_top = setup.TopMargin + layout.header_height;
  QtHeaderPainter header_painter(&p);
  for (uint32_t page = 0; page < layout.pages; ++page) {
    if (page) printer->newPage();
    CfgPageState state;
    state.file_name = file_name;
    state.page = page + 1;
    state.pages = layout.pages;
    p.setPen(Qt::black);
    if (!setup.PageHeader.empty()) {
      state.alignment = 0;
      CfgPageSetup::RenderHeader(&header_painter, CfgRect{left, setup.TopMargin, W - setup.RightMargin, body_top},
                                 setup.PageHeader, &state);
    }
    if (!setup.PageFooter.empty()) {
      state.alignment = 0;
      const int32_t bottom = H - setup.BottomMargin;
      CfgPageSetup::RenderHeader(&header_painter,
                                 CfgRect{left, bottom - layout.footer_height, W - setup.RightMargin, bottom},
                                 setup.PageFooter, &state);
    }
    for (uint32_t r = 0; r < layout.rows_per_page; ++r) {
      const size_t idx = static_cast<size_t>(page) * layout.rows_per_page + r;
      if (idx >= rows.size()) break;
      const PrintRow& row = rows[idx];
      const int32_t top = body_top + static_cast<int32_t>(r) * lh;
      int32_t x = left;
      if (numbers) {
        if (row.first && row.line->line_number) {
          char num[16];
          std::snprintf(num, sizeof num, "%5u ", static_cast<unsigned>(row.line->line_number));
          p.setPen(Qt::black);
          p.drawText(QPointF(x, top + fm.ascent()), QString::fromLatin1(num));
        }
        x += 6 * cw;
      }
      TextAttr a(tobj);
      const char* d = row.line->Data();
      uint32_t n = 0, col = 0;
      while ((d = a.NextRun(d, &n)) != nullptr && col < row.last_col) {
        for (uint32_t k = 0; k < n && col < row.last_col; ++k, ++col) {
          if (col < row.first_col) continue;
          const int32_t cx = x + static_cast<int32_t>(col - row.first_col) * cw;
          const QRect cell(cx, top, cw, lh);
          unsigned char ch = static_cast<unsigned char>(d[k]);
          std::string one(1, static_cast<char>(ch < 32 ? ' ' : ch));
          if (a.char_mode != 1) cfg->File.ToIso(one.data(), 1);
          const bool inverse = a.Inverse();
          if (inverse) p.fillRect(cell, Qt::black);
          const QColor fg = inverse ? Qt::white : Qt::black;
          if (a.char_mode == 1) {
            const unsigned char code = static_cast<unsigned char>(one[0]);
            linedraw::PaintString(&code, 1, &p, cell, fg, QColor());
          } else {
            p.setPen(fg);
            p.drawText(QPointF(cx, top + fm.ascent()), QString::fromLatin1(one.data(), 1));
          }
          if (a.Underline()) {
            QPen upen = pen;
            upen.setColor(fg);
            p.setPen(upen);
            p.drawLine(cx, top + underline_y, cx + cw, top + underline_y);
          }
        }
        d += n;
      }
    }
  }
  p.end();
  return static_cast<int>(layout.pages);
}
