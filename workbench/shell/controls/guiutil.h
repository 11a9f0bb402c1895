// GUI helpers: the environment's two standard fonts (the general font and
// the fixed-pitch editor font), text measuring in them, sizing windows in
// text lines and fitting a list column to the rest of the client width.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>

class QKeyEvent;
class QLineEdit;
class QWidget;
class QTreeView;

QFont GUI_SetStandardFont(QWidget* window);
QFont GUI_SetEditFont(QWidget* window);
QFont GUI_SetFont(QWidget* window, const QFont& font);
// Cell size: average character width; height with the leading. Either out
// may be null.
void GUI_GetCellSize(QWidget* window, int* width, int* height);
void GUI_GetEditCellSize(QWidget* window, int* width, int* height);
void GUI_MeasureFont(QWidget* window, const QFont& font, int* width, int* height);
QSize GUI_GetTextExtent(QWidget* window, const char* text);
QSize GUI_GetEditTextExtent(QWidget* window, const char* text);
QSize GUI_GetTextExtentInFont(QWidget* window, const QFont* font, const char* text);
// Adds n lines of the standard font (plus the frame) to the height.
void GUI_SetHeightInLines(QWidget* window, int lines);
void GUI_GrowWindow(QWidget* window, int lines, int line_height);
// The column's width becomes the client width (or the rectangle's) less the
// other columns, 0 when that is negative.
void GUI_FitListColumn(QTreeView* list, int column, const QRect* rect);
// A dialog at least as wide as its caption needs beside the title bar's
// icon and buttons, so that the caption is not cut.
void GUI_FitCaption(QWidget* dialog);
// A line edit at least as wide as its text (at most half the screen), so
// that a name shown in it is seen whole.
void GUI_FitTextWidth(QLineEdit* edit);
// The key pressed without Shift, Ctrl or Alt.
bool GUI_IsPlainKey(const QKeyEvent* event, int key);
