#include "workbench/dialogs/views/win/dlgctrlwnd.h"

#include <strings.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

#include "workbench/dialogs/model/dlg_anchor.h"
#include "workbench/dialogs/model/dlg_rootanchor.h"
#include "workbench/dialogs/views/win/dlgqtmeasurer.h"

namespace {

// Low style bits of the window classes.
constexpr uint32_t kButtonTypeMask = 0xF;
constexpr uint32_t kButtonDefPush = 1;
constexpr uint32_t kButtonCheck = 2;
constexpr uint32_t kButtonAutoCheck = 3;
constexpr uint32_t kButtonRadio = 4;
constexpr uint32_t kButton3State = 5;
constexpr uint32_t kButtonAuto3State = 6;
constexpr uint32_t kButtonGroup = 7;
constexpr uint32_t kButtonAutoRadio = 9;
constexpr uint32_t kEditMultiLine = 0x4;
constexpr uint32_t kStaticAlignMask = 0x3;
constexpr uint32_t kStaticCentre = 1;
constexpr uint32_t kStaticRight = 2;

struct CtrlClass {
  const char* name;
  DlgCtrlKind (*kind)(uint32_t style);
};

DlgCtrlKind ButtonKind(uint32_t style) {
  switch (style & kButtonTypeMask) {
    case kButtonGroup: return DlgCtrlKind::GroupBox;
    case kButtonCheck:
    case kButtonAutoCheck:
    case kButton3State:
    case kButtonAuto3State: return DlgCtrlKind::CheckBox;
    case kButtonRadio:
    case kButtonAutoRadio: return DlgCtrlKind::RadioButton;
    default: return DlgCtrlKind::PushButton;
  }
}

const CtrlClass kClasses[] = {
    {"Button", ButtonKind},
    {"Edit", [](uint32_t s) { return (s & kEditMultiLine) ? DlgCtrlKind::TextEdit : DlgCtrlKind::LineEdit; }},
    {"Static", [](uint32_t) { return DlgCtrlKind::Label; }},
    {"ListBox", [](uint32_t) { return DlgCtrlKind::List; }},
    {"ComboBox", [](uint32_t) { return DlgCtrlKind::Combo; }},
    {"GroupBox", [](uint32_t) { return DlgCtrlKind::GroupBox; }},
};

int live_controls = 0;

// A control window remembers what it was made for, so that an object whose
// class or style changed gets a new one.
class CtrlHolder : public QObject {
 public:
  CtrlHolder(QWidget* w, DlgCtrlKind k) : widget(w), kind(k) { ++live_controls; }
  ~CtrlHolder() override {
    --live_controls;
    delete widget.data();
  }
  QPointer<QWidget> widget;
  DlgCtrlKind kind;
};

void DestroyHolder(void* wnd) { delete static_cast<CtrlHolder*>(wnd); }

QWidget* Make(DlgCtrlKind kind, uint32_t style) {
  QWidget* parent = DlgCtrl_Parent();
  switch (kind) {
    case DlgCtrlKind::PushButton: {
      auto* b = new QPushButton(parent);
      b->setDefault((style & kButtonTypeMask) == kButtonDefPush);
      return b;
    }
    case DlgCtrlKind::CheckBox: {
      auto* c = new QCheckBox(parent);
      c->setTristate(true);
      return c;
    }
    case DlgCtrlKind::RadioButton: return new QRadioButton(parent);
    case DlgCtrlKind::GroupBox: return new QGroupBox(parent);
    case DlgCtrlKind::LineEdit: return new QLineEdit(parent);
    case DlgCtrlKind::TextEdit: return new QPlainTextEdit(parent);
    case DlgCtrlKind::Label: {
      auto* l = new QLabel(parent);
      const uint32_t a = style & kStaticAlignMask;
      l->setAlignment((a == kStaticCentre  ? Qt::AlignHCenter
                       : a == kStaticRight ? Qt::AlignRight
                                           : Qt::AlignLeft) |
                      Qt::AlignTop);
      l->setTextFormat(Qt::PlainText);
      return l;
    }
    case DlgCtrlKind::List: return new QListWidget(parent);
    case DlgCtrlKind::Combo: return new QComboBox(parent);
    case DlgCtrlKind::None: break;
  }
  return nullptr;
}

// Gives the control the object's text, font and check state.
void Fill(QWidget* w, DlgCtrlKind kind, const DlgObject* obj) {
  const QString text = QString::fromLatin1(obj->Text() ? obj->Text() : "");
  w->setFont(DlgQt_ObjectFont(obj));
  switch (kind) {
    case DlgCtrlKind::PushButton:
    case DlgCtrlKind::RadioButton: static_cast<QAbstractButton*>(w)->setText(text); break;
    case DlgCtrlKind::CheckBox: {
      auto* c = static_cast<QCheckBox*>(w);
      c->setText(text);
      c->setCheckState(!obj->HasFlag(DLG_F_CHECK)                ? Qt::Unchecked
                       : obj->HasFlag(DLG_F_CHECK_INDETERMINATE) ? Qt::PartiallyChecked
                                                                 : Qt::Checked);
      break;
    }
    case DlgCtrlKind::GroupBox: static_cast<QGroupBox*>(w)->setTitle(text); break;
    case DlgCtrlKind::LineEdit: static_cast<QLineEdit*>(w)->setText(text); break;
    case DlgCtrlKind::TextEdit: static_cast<QPlainTextEdit*>(w)->setPlainText(text); break;
    case DlgCtrlKind::Label: static_cast<QLabel*>(w)->setText(text); break;
    case DlgCtrlKind::Combo: {
      auto* c = static_cast<QComboBox*>(w);
      if (c->count() == 0) c->addItem(text);
      c->setItemText(0, text);
      break;
    }
    case DlgCtrlKind::List:
    case DlgCtrlKind::None: break;
  }
}

}  // namespace

DlgCtrlKind DlgCtrl_KindOf(const char* wnd_class, uint32_t style) {
  if (!wnd_class) return DlgCtrlKind::None;
  for (const CtrlClass& c : kClasses)
    if (strcasecmp(c.name, wnd_class) == 0) return c.kind(style);
  return DlgCtrlKind::None;
}

QWidget* DlgCtrl_Parent() {
  static QPointer<QWidget> parent;
  if (!parent) {
    parent = new QWidget;
    parent->setAttribute(Qt::WA_DontShowOnScreen);
    parent->hide();
  }
  return parent;
}

void DlgCtrl_Install() { DlgObject_SetCtrlWndDestroyer(DestroyHolder); }

int DlgCtrl_Count() { return live_controls; }

QWidget* DlgCtrl_Window(DlgObject* obj) {
  const DlgCtrlKind kind = DlgCtrl_KindOf(obj->WndClass(), obj->Style());
  if (kind == DlgCtrlKind::None) return nullptr;
  DlgCtrl_Install();
  auto* holder = static_cast<CtrlHolder*>(obj->CtrlWnd());
  if (!holder || holder->kind != kind || !holder->widget) {
    QWidget* w = Make(kind, obj->Style());
    w->hide();
    holder = new CtrlHolder(w, kind);
    obj->SetCtrlWnd(holder);
  }
  Fill(holder->widget, kind, obj);
  return holder->widget;
}

void DlgAnchor_DestroyCtrlWnds(DlgAnchor* anchor) {
  if (anchor && anchor->RootObject()) anchor->RootObject()->DestroyCtrlWnd();
}

void DlgQt_DrawRaisedEdge(QPainter& p, const QRect& r, bool top, bool fill) {
  if (r.isEmpty()) return;
  p.save();
  if (fill) p.fillRect(r, QColor::fromRgb(kDlgFaceColour));
  const int l = r.left(), t = r.top(), rt = r.right(), b = r.bottom();
  // Outer: light top-left, dark bottom-right; inner: white and grey.
  p.setPen(QColor(227, 227, 227));
  p.drawLine(l, b, l, t);
  if (top) p.drawLine(l, t, rt, t);
  p.setPen(QColor(105, 105, 105));
  p.drawLine(l, b, rt, b);
  p.drawLine(rt, b, rt, t);
  p.setPen(Qt::white);
  p.drawLine(l + 1, b - 1, l + 1, t + 1);
  if (top) p.drawLine(l + 1, t + 1, rt - 1, t + 1);
  p.setPen(QColor(160, 160, 160));
  p.drawLine(l + 1, b - 1, rt - 1, b - 1);
  p.drawLine(rt - 1, b - 1, rt - 1, t + 1);
  p.restore();
}

void DlgQtPainter::DrawObject(DlgObject* obj, const DlgRect& canvas, const DlgRect& clip, bool paint) {
  QPainter& p = *painter_;
  QRect r = DlgQt_Rect(canvas);
  const DlgCtrlKind kind = DlgCtrl_KindOf(obj->WndClass(), obj->Style());
  if (kind == DlgCtrlKind::None) {
    if (!obj->Parent()) {
      // A dialog without a control: sides and bottom edge, around its face
      // (white while its children are not painted).
      if (!paint) p.fillRect(r, Qt::white);
      DlgQt_DrawRaisedEdge(p, r, false, paint);
    } else if (paint) {
      DlgQt_DrawRaisedEdge(p, r, true, true);
    }
    return;
  }
  if (!paint) return;
  if (obj->HasFlag(DLG_F_VCENTER) && obj->FontId()) {
    DlgRootAnchor* root = obj->RootAnchor();
    const int32_t h = root ? root->Fonts().LineHeight(obj->FontId()) : 0;
    if (h > 0 && h < r.height()) r = QRect(r.left(), r.top() + (r.height() - h) / 2, r.width(), h);
  }
  if (obj->HasFlag(DLG_F_PLACEHOLDER) && (!obj->Text() || !*obj->Text())) {
    p.save();
    p.setPen(QColor::fromRgb(kDlgPlaceholderPen));
    p.setBrush(QColor::fromRgb(kDlgPlaceholderBrush));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.restore();
    return;
  }
  QWidget* w = DlgCtrl_Window(obj);
  if (!w || r.isEmpty()) return;
  w->setGeometry(0, 0, r.width(), r.height());
  // Rendered into an image of its own first: a widget that is painting
  // cannot take another widget's rendering directly on every platform.
  QPixmap image(r.size());
  image.fill(QColor::fromRgb(kDlgFaceColour));
  w->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
  p.save();
  p.setClipRect(DlgQt_Rect(clip), Qt::IntersectClip);
  p.drawPixmap(r.topLeft(), image);
  p.restore();
}
