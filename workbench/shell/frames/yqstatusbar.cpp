#include "workbench/shell/frames/yqstatusbar.h"

#include <cstdarg>

#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QToolTip>

#include "workbench/framework/fwstatuspane.h"
#include "workbench/shell/controls/guiutil.h"
#include "workbench/shell/controls/indicator.h"
#include "workbench/shell/neighbours.h"
#include "workbench/base/shellsink.h"
#include "workbench/base/sysassert.h"

namespace {

// A pane of the environment's bar: the message pane paints its kind's
// colours, the network pane its circle.
class YqPane : public FwStatusPane {
 public:
  YqPane(int index, const StatusModel* model)
      : FwStatusPane(kStatusPanes[index].id, kStatusPanes[index].style, kStatusPanes[index].width),
        index_(index),
        model_(model) {
    if (index == SP_NETWORK) setMouseTracking(true);
  }

  QSize sizeHint() const override {
    QSize s = FwStatusPane::sizeHint();
    // The circle needs its diameter (the height less 10) and a margin.
    if (index_ == SP_NETWORK) s.setWidth(std::max(s.width(), s.height() - 10 + 4));
    return s;
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    if (index_ == SP_NETWORK) {
      FwStatusPane::paintEvent(event);
      PaintCircle();
      return;
    }
    if (index_ == SP_MESSAGE && model_->Kind() != SK_PLAIN && !model_->ProgressShown() &&
        Text() == QString::fromStdString(model_->Message())) {
      QPainter p(this);
      p.fillRect(Inner(), CYqStatusBar::KindBackground(model_->Kind()));
      p.setPen(model_->Kind() == SK_WARNING ? Qt::black : Qt::white);
      p.setFont(font());
      p.drawText(Inner().adjusted(3, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft, Text());
      return;
    }
    FwStatusPane::paintEvent(event);
  }

  void PaintCircle() {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    int d = std::max(4, height() - 10);
    QRectF circle((width() - d) / 2.0, (height() - d) / 2.0, d, d);
    p.setPen(QColor(128, 128, 128));
    p.setBrush(CYqStatusBar::NetFill(model_->NetStateNow()));
    p.drawEllipse(circle);
    // The highlight sits in the upper left quarter, off the centre.
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(circle.left() + d * 0.2, circle.top() + d * 0.2, d * 0.2, d * 0.2));
  }

  void mousePressEvent(QMouseEvent* event) override {
    if (index_ != SP_NETWORK || event->button() != Qt::LeftButton) return FwStatusPane::mousePressEvent(event);
    Click(event);
  }
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    if (index_ != SP_NETWORK) return FwStatusPane::mouseDoubleClickEvent(event);
    Click(event);
  }
  bool event(QEvent* e) override {
    if (index_ == SP_NETWORK && e->type() == QEvent::ToolTip) {
      auto* help = static_cast<QHelpEvent*>(e);
      QToolTip::showText(help->globalPos(), ToolTipText(), this, rect());
      return true;
    }
    return FwStatusPane::event(e);
  }

 public:
  static QString ToolTipText() {
    ServerLink* s = Shell_Neighbours().server;
    if (!s->AnyActive()) return "Network Status: INACTIVE";
    if (s->AnyPending()) return "Network Status: BUSY";
    return "Network Status: CONNECTED (click to disconnect)";
  }

 private:
  void Click(QMouseEvent* event) {
    switch (model_->NetStateNow()) {
      case NET_CONNECTED: Shell_Neighbours().server->CloseAll(); break;
      case NET_BUSY: Shell_Sink().beep(SHELL_MB_ICONEXCLAMATION); break;
      default: event->ignore(); return;
    }
    event->accept();
  }

  int index_;
  const StatusModel* model_;
};

std::string Formatted(const char* format, va_list args) { return Status_Format(format, args); }

}  // namespace

CYqStatusBar::CYqStatusBar(QWidget* parent) : FwStatusBar(parent) {}

QColor CYqStatusBar::KindBackground(int kind) {
  switch (kind) {
    case SK_NOTICE: return QColor(0, 0, 128);
    case SK_WARNING: return QColor(255, 255, 0);
    case SK_ERROR: return QColor(255, 0, 0);
    default: return QColor();
  }
}

QColor CYqStatusBar::NetFill(int state) {
  switch (state) {
    case NET_CONNECTED: return QColor(0, 255, 0);
    case NET_BUSY: return QColor(255, 255, 0);
    default: return QColor(192, 192, 192);
  }
}

bool CYqStatusBar::Create(QWidget* parent, int id) {
  setParent(parent);
  setObjectName(QString::number(id));
  GUI_SetStandardFont(this);
  for (int i = 0; i < SP_COUNT; ++i) AddPane(new YqPane(i, &model_));
  progress_ = new QProgressBar;
  progress_->setRange(0, 100);
  progress_->setTextVisible(false);
  SYS_ASSERT(!Pane(SP_PROGRESS_BAR)->Child());
  Pane(SP_PROGRESS_BAR)->SetChild(progress_);
  struct FieldPane {
    int pane;
    CIndicatorEdit* field;
  } fields[] = {
      {SP_LINENUMBER, new CLineNumberIndicator},
      {SP_LINE, new CLineIndicator},
      {SP_COLUMN, new CColumnIndicator},
      {SP_X, new CCoordXIndicator},
      {SP_Y, new CCoordYIndicator},
      {SP_WIDTH, new CCoordWidthIndicator},
      {SP_HEIGHT, new CCoordHeightIndicator},
  };
  for (auto& f : fields) {
    SYS_ASSERT(!Pane(f.pane)->Child());
    f.field->Create(QRect(0, 0, 0, 16), Pane(f.pane), kStatusPanes[f.pane].id);
    // The pane takes the field's own width before the field is fitted into
    // the pane, which has no size of its own yet.
    Pane(f.pane)->SetPaneWidth(f.field->width() + 2);
    Pane(f.pane)->SetChild(f.field);
    fields_[f.pane] = f.field;
  }
  for (int p : {SP_MESSAGE, SP_OVR, SP_CAP, SP_NUM, SP_NETWORK, SP_RUN}) model_.Activate(p, true);
  UpdatePaneInfo();
  UpdateServerPane();
  return true;
}

CIndicatorEdit* CYqStatusBar::Field(int pane) const { return pane >= 0 && pane < SP_COUNT ? fields_[pane] : nullptr; }

void CYqStatusBar::Message(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = Formatted(format, args);
  va_end(args);
  SetMessage(SK_PLAIN, text.c_str());
}

void CYqStatusBar::Info(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = Formatted(format, args);
  va_end(args);
  SetMessage(SK_NOTICE, text.c_str());
}

void CYqStatusBar::Warning(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = Formatted(format, args);
  va_end(args);
  SetMessage(SK_WARNING, text.c_str());
}

void CYqStatusBar::Error(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = Formatted(format, args);
  va_end(args);
  SetMessage(SK_ERROR, text.c_str());
}

void CYqStatusBar::SetMessage(int kind, const char* text) {
  SYS_ASSERT(text);
  bool had_progress = model_.ProgressShown();
  model_.SetMessage(kind, text);
  if (had_progress) UpdatePaneInfo();
  FwStatusPane* pane = Pane(SP_MESSAGE);
  pane->SetText(QString::fromStdString(model_.Message()));
  pane->repaint();
}

void CYqStatusBar::ShowProgress(const char* text, int64_t lower, int64_t upper) {
  if (text != nullptr && *text != '\0' && upper != 0) {
    model_.ShowProgress(text, lower, upper);
    Pane(SP_MESSAGE)->SetText(QString());
    Pane(SP_PROGRESS_TEXT)->SetPaneWidth(GUI_GetTextExtent(this, text).width() + 8);
    Pane(SP_PROGRESS_TEXT)->SetText(QString::fromUtf8(text));
    progress_->setValue(0);
    ++progress_repaints_;
  } else {
    if (!model_.ProgressShown()) return;
    model_.HideProgress();
    Pane(SP_MESSAGE)->SetText(QString::fromStdString(model_.Message()));
  }
  UpdatePaneInfo();
}

void CYqStatusBar::StepProgress(int64_t position) {
  if (!model_.StepProgress(position)) return;
  progress_->setValue(model_.LastPercent());
  ++progress_repaints_;
  progress_->repaint();
}

void CYqStatusBar::ShowLineColumn(bool show) {
  for (int p = SP_LINE_LABEL; p <= SP_COLUMN; ++p) model_.Activate(p, show, show && fields_[p] != nullptr);
}

void CYqStatusBar::ShowLineNumber(bool show) {
  model_.Activate(SP_LINENUMBER_LABEL, show);
  model_.Activate(SP_LINENUMBER, show, show);
}

void CYqStatusBar::SetCurrentObject(const void* object, bool editable) {
  for (int p = SP_X_LABEL; p <= SP_HEIGHT; ++p)
    model_.Activate(p, object != nullptr, object != nullptr && editable && fields_[p] != nullptr);
  if (object == nullptr) {
    object_ = nullptr;
    return;
  }
  if (object != object_) {
    object_ = object;
    Shell_Neighbours().designer->CurrentObject(object);
  }
}

void CYqStatusBar::UpdateServerPane() {
  ServerLink* s = Shell_Neighbours().server;
  int state = !s->AnyActive() ? NET_INACTIVE : s->AnyPending() ? NET_BUSY : NET_CONNECTED;
  if (model_.SetNetState(state)) Pane(SP_NETWORK)->update();
}

void CYqStatusBar::UpdatePaneInfo() {
  if (!model_.Rebuild()) return;
  std::vector<bool> active(SP_COUNT);
  for (int i = 0; i < SP_COUNT; ++i) active[static_cast<size_t>(i)] = model_.IsActive(i);
  SetActivePanes(active);
  for (int i = 0; i < SP_COUNT; ++i) {
    if (!model_.IsActive(i)) continue;
    FwStatusPane* pane = Pane(i);
    unsigned style = model_.Style(i);
    if (kStatusPanes[i].style == FW_PANE_NORMAL && (pane->Child() != nullptr || kStatusPanes[i].id == ID_NONE))
      style = FW_PANE_NOBORDERS;
    pane->SetStyle(style);
    if (i == SP_MESSAGE)
      pane->SetText(QString::fromStdString(model_.Message()));
    else if (i == SP_PROGRESS_TEXT)
      pane->SetText(QString::fromStdString(model_.ProgressText()));
    else if (pane->Child() != nullptr) {
      pane->SetText(QString());
      pane->Child()->setEnabled(model_.IsEditable(i));
    } else
      pane->SetText(QString::fromUtf8(kStatusPanes[i].text));
  }
  update();
}

void CYqStatusBar::UpdatePanes() {
  UpdateServerPane();
  FwStatusBar::UpdatePanes();
  UpdatePaneInfo();
}

// The field of a group says whether the group is shown; a field shows the
// record's text (not while the user types in it).
void CYqStatusBar::ApplyPaneUpdate(int index, const FwCmdUI& ui) {
  switch (index) {
    case SP_LINE: ShowLineColumn(ui.shown); break;
    case SP_LINENUMBER: ShowLineNumber(ui.shown); break;
    case SP_X: {
      bool editable = false;
      const void* object = ui.shown ? Shell_Neighbours().designer->PrimaryObject(&editable) : nullptr;
      SetCurrentObject(object, editable);
      break;
    }
    default: break;
  }
  CIndicatorEdit* field = Field(index);
  if (field == nullptr) {
    FwStatusBar::ApplyPaneUpdate(index, ui);
    return;
  }
  FwCmdUI pane_ui = ui;
  pane_ui.text.reset();
  FwStatusBar::ApplyPaneUpdate(index, pane_ui);
  if (ui.text && ui.shown) field->UpdateText(QString::fromStdString(*ui.text));
}
