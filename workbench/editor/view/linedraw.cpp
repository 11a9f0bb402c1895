#include "workbench/editor/view/linedraw.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include <QPainter>
#include <QPolygon>

#include "workbench/base/sysassert.h"

namespace linedraw {
namespace {

// The glyphs of codes 160 to 223: "b x1 x2 y1 y2" is a bar (a filled
// rectangle outlined with the pen), "l x1 y1 x2 y2" a line whose end pixel
// is not drawn. Terms: L T R B (cell edges), cx cy (centre), t (width / 8),
// q (width / 4) and whole numbers, joined with + and -.
const char* const kGlyphs[64] = {
    /* 160 */ "",
    /* 161 */ "b cx-t cx+t T B;l cx cy R cy",
    /* 162 */ "b cx-t cx+t T B;l L cy cx cy",
    /* 163 */ "b L R cy-t cy+t;l cx cy+t cx B",
    /* 164 */ "b L R cy-t cy+t;l cx T cx cy-t",
    /* 165 */ "l cx-q T cx-q B;l cx+q T cx+q B;l cx+q cy R cy",
    /* 166 */ "l cx+q T cx+q B;l cx-q T cx-q B;l L cy cx-q cy",
    /* 167 */ "l L cy-q R cy-q;l L cy+q R cy+q;l cx cy+q cx B",
    /* 168 */ "l L cy+q R cy+q;l L cy-q R cy-q;l cx T cx cy-q",
    /* 169 */ "l cx-q T cx-q B;l cx+q T cx+q B",
    /* 170 */ "b cx-t cx+t T B;l L cy R cy",
    /* 171 */ "b L R cy-t cy+t;l cx T cx B",
    /* 172 */ "l L cy R cy",
    /* 173 */ "l cx T cx B-1;l cx B-1 R B-1",
    /* 174 */ "l cx T cx B",
    /* 175 */ "l cx T cx B;l L cy R cy",
    /* 176 */ "b cx-t cx+t T B;b L R cy-t cy+t",
    /* 177 */ "b cx-t cx+t T B;b cx R cy-t cy+t",
    /* 178 */ "b cx-t cx+t T B;b L cx cy-t cy+t",
    /* 179 */ "b L R cy-t cy+t;b cx-t cx+t cy B",
    /* 180 */ "b L R cy-t cy+t;b cx-t cx+t T cy",
    /* 181 */ "l cx T cx B;l cx cy R cy",
    /* 182 */ "l cx T cx B;l L cy cx cy",
    /* 183 */ "l L cy R cy;l cx cy cx B",
    /* 184 */ "l L cy R cy;l cx T cx cy",
    /* 185 */ "l L cy-q R cy-q;l L cy+q R cy+q",
    /* 186 */ "b cx-t cx+t T B",
    /* 187 */ "b L R cy-t cy+t",
    /* 188 */ "l cx-q T cx-q B;l cx+q T cx+q B;l L cy R cy",
    /* 189 */ "l cx T cx B;l cx T R T",
    /* 190 */ "l cx T cx B;l L cy-q R cy-q;l L cy+q R cy+q",
    /* 191 */ "l cx-q T cx-q B;l cx+q T cx+q B;l L cy-q R cy-q;l L cy+q R cy+q",
    /* 192 */ "l cx T cx B;l cx cy-q R cy-q;l cx cy+q R cy+q",
    /* 193 */ "b cx-t cx+t T cy+t;b cx-t R cy-t cy+t",
    /* 194 */ "b cx-t cx+t T B;b L cx cy-t cy+t;l cx cy R cy",
    /* 195 */ "b L R T B",
    /* 196 */ "b L cx T B",
    /* 197 */ "b L cx-q T B",
    /* 198 */ "l cx T cx cy;l cx cy R cy",
    /* 199 */ "l cx T cx cy;l L cy cx cy;l cx cy L cy",
    /* 200 */ "l L cy cx cy;l cx cy cx B",
    /* 201 */ "l cx T cx B;l L T cx T;l L B-q cx B-q",
    /* 202 */ "l L cy R cy;l cx+t-1 cy cx+t-1 B-q",
    /* 203 */ "l L cy R cy;l R-1 cy R-1 B-q;l cx-q-1 cy cx-q-1 B-q",
    /* 204 */ "l L cy R cy;l R-1 cy R-1 B-q;l cx+t-1 cy cx+t-1 B-q;l cx-q-1 cy cx-q-1 B-q",
    /* 205 */ "b L R cy-t cy+t;b cx-t cx+t T cy;l cx cy cx B",
    /* 206 */ "b L R cy-t cy+t;b cx-t cx+t cy B;l cx T cx cy",
    /* 207 */ "l cx T cx B;l L T cx T;l L cy-t cx cy-t;l L B-q cx B-q",
    /* 208 */ "l cx T cx B-1;l L B-1 cx B-1;l cx B-1 L B-1",
    /* 209 */ "b cx-t cx+t cy-t B;b cx-t R cy-t cy+t",
    /* 210 */ "l cx cy R cy;l cx cy cx B",
    /* 211 */ "b cx-t cx+t T cy+t;b L cx+t cy-t cy+t",
    /* 212 */ "l L cy cx cy;l cx cy cx B",
    /* 213 */ "l cx T cx B;l L cy-1 cx cy-1",
    /* 214 */ "b cx-t cx+t T B;b cx R cy-t cy+t;l L cy cx cy",
    /* 215 */ "b L cx+t cy-t cy+t;b cx-t cx+t cy-t B",
    /* 216 */ "b L R cy-t B",
    /* 217 */ "l cx T cx B;l L T cx T",
    /* 218 */ "b L R cy+q B",
    /* 219 */ "l cx T cx B;l L cy-q cx cy-q;l L cy+q cx cy+q",
    /* 220 */ "l L cy cx-q cy;l cx+q cy R cy",
    /* 221 */ "l L cy R cy;l cx-q T cx-q cy;l cx+q T cx+q cy",
    /* 222 */ "l cx-q cy cx+q cy",
    /* 223 */ "l L cy R cy;l cx-q cy cx-q B;l cx+q cy cx+q B",
};

struct Cell {
  int L, T, R, B, cx, cy, t, q;
};

int Term(const Cell& c, const std::string& name) {
  if (name == "L") return c.L;
  if (name == "T") return c.T;
  if (name == "R") return c.R;
  if (name == "B") return c.B;
  if (name == "cx") return c.cx;
  if (name == "cy") return c.cy;
  if (name == "t") return c.t;
  if (name == "q") return c.q;
  return std::atoi(name.c_str());
}

int Eval(const Cell& c, const std::string& expr) {
  int value = 0, sign = 1;
  std::string name;
  for (size_t i = 0; i <= expr.size(); ++i) {
    char ch = i < expr.size() ? expr[i] : '+';
    if (ch == '+' || ch == '-') {
      if (!name.empty()) value += sign * Term(c, name);
      name.clear();
      sign = ch == '-' ? -1 : 1;
    } else {
      name.push_back(ch);
    }
  }
  return value;
}

void Bar(QPainter* p, int x1, int x2, int y1, int y2) {
  QPolygon poly;
  poly << QPoint(x1, y1) << QPoint(x2, y1) << QPoint(x2, y2) << QPoint(x1, y2);
  p->drawPolygon(poly);
}

// A line from (x1, y1) to (x2, y2) without its end pixel, as wide as the
// pen and centred on its points. Every glyph line runs along an axis; it is
// filled as a rectangle so that a line to a cell edge reaches the last pixel
// of the cell, whatever the pen's caps, and the next cell's line joins it.
void Line(QPainter* p, int x1, int y1, int x2, int y2) {
  if (x1 == x2 && y1 == y2) return;
  const int w = std::max(1, p->pen().width());
  const QColor colour = p->pen().color();
  if (y1 == y2) {
    const int from = x1 < x2 ? x1 : x2 + 1, to = x1 < x2 ? x2 : x1 + 1;
    p->fillRect(QRect(from, y1 - w / 2, to - from, w), colour);
  } else if (x1 == x2) {
    const int from = y1 < y2 ? y1 : y2 + 1, to = y1 < y2 ? y2 : y1 + 1;
    p->fillRect(QRect(x1 - w / 2, from, w, to - from), colour);
  } else {
    const int ex = x2 - (x2 > x1 ? 1 : -1), ey = y2 - (y2 > y1 ? 1 : -1);
    p->drawLine(x1, y1, ex, ey);
  }
}

void Glyph(unsigned char code, QPainter* p, const QRect& r) {
  Cell c{};
  c.L = r.left();
  c.T = r.top();
  c.R = r.left() + r.width();
  c.B = r.top() + r.height();
  const int w = r.width(), h = r.height();
  c.cx = c.L + (w >> 1);
  c.cy = c.T + (h >> 1);
  c.t = std::abs(w) >> 3;
  c.q = std::abs(w) >> 2;
  if (code >= 224) {
    QPolygon poly;
    poly << QPoint(c.cx - c.q, c.cy - c.q) << QPoint(c.cx - c.q, c.cy + c.q) << QPoint(c.cx + c.q, c.cy + c.q)
         << QPoint(c.cx + c.q, c.cy - c.q);
    p->save();
    p->setBrush(Qt::NoBrush);
    p->drawPolygon(poly);
    p->restore();
    return;
  }
  if (code < 160) return;
  std::string spec = kGlyphs[code - 160];
  size_t pos = 0;
  while (pos < spec.size()) {
    size_t end = spec.find(';', pos);
    if (end == std::string::npos) end = spec.size();
    std::string op = spec.substr(pos, end - pos);
    pos = end + 1;
    char kind = op[0];
    std::string v[4];
    size_t k = 2;
    for (std::string& s : v) {
      size_t sp = op.find(' ', k);
      if (sp == std::string::npos) sp = op.size();
      s = op.substr(k, sp - k);
      k = sp + 1;
    }
    const int a = Eval(c, v[0]), b = Eval(c, v[1]), d = Eval(c, v[2]), e = Eval(c, v[3]);
    if (kind == 'b')
      Bar(p, a, b, d, e);
    else
      Line(p, a, b, d, e);
  }
}

}  // namespace

void PaintChar(unsigned char code, QPainter* painter, const QRect& rect, const QColor& background) {
  SYS_ASSERT(painter);
  if (code >= 32 && code <= 127) {
    char s[2] = {static_cast<char>(code), 0};
    painter->drawText(rect.left(), rect.top() + painter->fontMetrics().ascent(), QString::fromLatin1(s));
    return;
  }
  if (background.isValid()) painter->fillRect(rect, background);
  Glyph(code, painter, rect);
}

void PaintString(const unsigned char* text, int count, QPainter* painter, QRect rect, const QColor& colour,
                 const QColor& background) {
  SYS_ASSERT(text);
  SYS_ASSERT(painter);
  painter->save();
  QPen pen(colour);
  pen.setWidth(std::abs(rect.width()) / 8);
  pen.setCapStyle(Qt::FlatCap);
  painter->setPen(pen);
  painter->setBrush(colour);
  for (int i = 0; i < count; ++i) {
    PaintChar(text[i], painter, rect, background);
    rect.translate(rect.width(), 0);
  }
  painter->restore();
}

QSize TableSize(int cx, int cy) { return QSize((cx + 4) * 16 + (cx / 4) * 18, (cy + 4) * 4 + (cy / 4) * 5); }

QRect CellRect(int code, int cx, int cy) {
  const int row = (code - 160) / 16, col = (code - 160) % 16;
  return QRect(cx / 4 + col * (cx / 4 + cx + 4), cy / 4 + row * (cy / 4 + cy + 4), cx + 4, cy + 4);
}

void PaintTable(QPainter* painter, QPoint origin, int cx, int cy, const QColor& line_colour, const QColor& fill_colour,
                int only_code) {
  SYS_ASSERT(painter);
  for (int code = 160; code < 224; ++code) {
    if (only_code && code != only_code) continue;
    QRect cell = CellRect(code, cx, cy).translated(origin);
    painter->fillRect(cell, fill_colour);
    painter->save();
    painter->setPen(line_colour);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(cell.adjusted(0, 0, -1, -1));
    painter->restore();
    const unsigned char c = static_cast<unsigned char>(code);
    PaintString(&c, 1, painter, cell.adjusted(2, 2, -2, -2), line_colour, QColor());
  }
}

int HitTest(int x, int y, int cx, int cy) {
  const int gap_x = cx / 4, gap_y = cy / 4;
  const int pitch_x = gap_x + cx + 4, pitch_y = gap_y + cy + 4;
  if (x < gap_x || y < gap_y || pitch_x <= 0 || pitch_y <= 0) return -1;
  // Cells begin behind the gap: measure from there.
  const int col = (x - gap_x) / pitch_x, row = (y - gap_y) / pitch_y;
  if (col > 15 || row > 3) return -1;
  if (x - gap_x - col * pitch_x >= cx + 4 || y - gap_y - row * pitch_y >= cy + 4) return -1;
  return 160 + row * 16 + col;
}

}  // namespace linedraw
