#include "workbench/debugger/breakpointsdlg.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "workbench/base/settings/cfglists.h"
#include "workbench/base/shellsink.h"

CBreakpointsDlg::CBreakpointsDlg(CfgBreakpoints& breakpoints, ProgramLink& program,
                                 std::function<void(const std::string&)> help, QWidget* parent)
    : QDialog(parent), list_(breakpoints, program, this), help_(std::move(help)) {
  setWindowTitle("Breakpoints");
  list_.setObjectName(QString::number(IDC_BREAKPOINT_LIST));
  list_.installEventFilter(this);
  auto* buttons = new QVBoxLayout;
  struct ButtonDef {
    int id;
    const char* text;
    void (CBreakpointsDlg::*handler)();
  };
  const ButtonDef defs[] = {
      {IDC_BREAKPOINT_GOTO, "&Go To", &CBreakpointsDlg::OnGoTo},
      {IDC_BREAKPOINT_REMOVE, "&Remove", &CBreakpointsDlg::OnRemove},
      {IDC_BREAKPOINT_REMOVE_ALL, "Remove &all", &CBreakpointsDlg::OnRemoveAll},
      {IDC_DIALOG_HELP, "&Help", &CBreakpointsDlg::OnHelp},
  };
  auto* close = new QPushButton("Close", this);
  close->setObjectName("close");
  connect(close, &QPushButton::clicked, this, &CBreakpointsDlg::reject);
  buttons->addWidget(close);
  for (const ButtonDef& def : defs) {
    auto* button = new QPushButton(def.text, this);
    button->setObjectName(QString::number(def.id));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, def.handler);
    buttons->addWidget(button);
  }
  buttons->addStretch();
  connect(&list_, &QTreeWidget::itemDoubleClicked, this, [this] { OnGoTo(); });
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(&list_, 1);
  layout->addLayout(buttons);
  resize(560, 260);
}

QPushButton* CBreakpointsDlg::Button(int id) const { return findChild<QPushButton*>(QString::number(id)); }

bool CBreakpointsDlg::OnInitDialog() {
  const bool ok = list_.Setup();
  list_.setFocus();
  return ok;
}

int CBreakpointsDlg::DoModal() {
  OnInitDialog();
  return exec();
}

void CBreakpointsDlg::OnRemove() {
  // Each time the topmost selected row, until none is selected.
  for (;;) {
    const int row = list_.GetSelectedIdx();
    if (row < 0 || !list_.RemoveItem(row)) break;
  }
}

void CBreakpointsDlg::OnRemoveAll() {
  while (list_.GetItemCount() > 0 && list_.RemoveItem(0)) {
  }
}

void CBreakpointsDlg::OnGoTo() {
  const std::vector<int> rows = list_.SelectedRows();
  const auto* bp = rows.size() == 1 ? static_cast<const CfgBreakpoint*>(list_.GetItemInfo(rows[0])) : nullptr;
  if (!bp) {
    Shell_Sink().beep(SHELL_MB_ICONEXCLAMATION);
    return;
  }
  m_FileName = bp->FileName;
  m_Segment = bp->Segment;
  m_Line = bp->Line;
  done(IDC_BREAKPOINT_GOTO);
}

void CBreakpointsDlg::OnHelp() {
  if (help_) help_("HIDD_BREAKPOINTS");
}

bool CBreakpointsDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &list_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
    OnRemove();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void CBreakpointsDlg::keyPressEvent(QKeyEvent* event) {
  const auto mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  if (event->key() == Qt::Key_F1 && mods == Qt::NoModifier) {
    OnHelp();
    return;
  }
  QDialog::keyPressEvent(event);
}
