// Line-draw characters: the codes 160 to 223 that the editor paints itself
// as lines and bars inside the character cell, so that boxes look joined on
// screen and in print, and the 16 x 4 table of them that the Line Draw
// dialog shows.
#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>

class QPainter;

namespace linedraw {

// Paints one code into rect: 32 to 127 as text at the top left; any other
// code first fills rect with background (when it is valid); 160 to 223 get
// their glyph, 224 and up a square outline around the centre, the rest stay
// empty. Lines use the painter's pen, bars its brush.
void PaintChar(unsigned char code, QPainter* painter, const QRect& rect, const QColor& background);
// Paints count codes side by side from rect, in colour, with a pen of
// |rect width| / 8 and a brush of the same colour.
void PaintString(const unsigned char* text, int count, QPainter* painter, QRect rect, const QColor& colour,
                 const QColor& background);
// The client size of the table for cells of cx x cy.
QSize TableSize(int cx, int cy);
// Paints the table at origin (all cells, or only the cell of only_code).
void PaintTable(QPainter* painter, QPoint origin, int cx, int cy, const QColor& line_colour, const QColor& fill_colour,
                int only_code = 0);
// The cell of a code in the table (origin 0, 0).
QRect CellRect(int code, int cx, int cy);
// The code of the cell at (x, y) of the table, or -1 outside every cell.
int HitTest(int x, int y, int cx, int cy);

}  // namespace linedraw
