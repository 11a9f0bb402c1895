// The control windows of the designer canvas. An object with a window class
// is drawn by a real Qt control of the matching kind, made once, never shown,
// and painted onto the canvas with QWidget::render; the object owns it. The
// table of window classes (case does not matter):
//
//   class       style bits (low four of the style)   control
//   Button      7                                    QGroupBox
//               2, 3, 5, 6 (check boxes)             QCheckBox
//               4, 9 (radio buttons)                 QRadioButton
//               anything else (0 push, 1 default)    QPushButton (1: default)
//   Edit        bit 2 (multi-line)                   QPlainTextEdit, else QLineEdit
//   Static      0 left, 1 centre, 2 right            QLabel with that alignment
//   ListBox                                          QListWidget
//   ComboBox                                         QComboBox
//   GroupBox                                         QGroupBox
//
// A class that is not in the table draws as a frame, as an object without a
// class does. Object flag bits: 22 with an empty text draws a grey
// placeholder box in place of a control; 23 centres the control on the
// font's line height; 29 checks it (bit 30: indeterminate).
//
// All control windows are children of one hidden control parent, which is
// never shown either.
#pragma once

#include <QRect>

#include "workbench/dialogs/model/dlg_obj.h"

class QPainter;
class QWidget;

// The kinds of control a window class can stand for.
enum class DlgCtrlKind { None, PushButton, CheckBox, RadioButton, GroupBox, LineEdit, TextEdit, Label, List, Combo };

// The control kind of a window class and style (None: drawn as a frame).
DlgCtrlKind DlgCtrl_KindOf(const char* wnd_class, uint32_t style);

// The hidden window every control window is a child of.
QWidget* DlgCtrl_Parent();
// Installs the destroyer of control windows into the model (once).
void DlgCtrl_Install();
// The object's control window, made when missing; null when its class has
// no counterpart.
QWidget* DlgCtrl_Window(DlgObject* obj);
// Destroys the control window of every object of the anchor's tree.
void DlgAnchor_DestroyCtrlWnds(DlgAnchor* anchor);
// The number of control windows alive (tests).
int DlgCtrl_Count();

// Colours of the drawing.
constexpr unsigned kDlgPlaceholderPen = 0x808080;    // RGB 128,128,128
constexpr unsigned kDlgPlaceholderBrush = 0xC0C0C0;  // RGB 192,192,192
constexpr unsigned kDlgFaceColour = 0xF0F0F0;        // the dialog's face

// Paints the objects of a dialog with a QPainter: frames, placeholders and
// rendered control windows.
class DlgQtPainter : public DlgPainter {
 public:
  explicit DlgQtPainter(QPainter* painter) : painter_(painter) {}
  void DrawObject(DlgObject* obj, const DlgRect& canvas, const DlgRect& clip, bool paint) override;

 private:
  QPainter* painter_;
};

// A raised edge around a rectangle (left, right, bottom, and the top unless
// `top` is false), filled with the face colour when `fill` is set.
void DlgQt_DrawRaisedEdge(QPainter& p, const QRect& r, bool top, bool fill);

inline QRect DlgQt_Rect(const DlgRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }
inline DlgRect DlgQt_Rect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
