#include "workbench/editor/view/pagesetupdlg.h"

#include <algorithm>

#include <cmath>
#include <cstdio>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPushButton>
#include <QToolButton>

#include "workbench/base/sysassert.h"

namespace {

struct Code {
  const char* text;
  const char* code;
};
const Code kCodes[] = {
    {"&File Name", "&F"},    {"&Page Number", "&P"}, {"T&otal Pages", "&A"}, {"Current &Date", "&D"},
    {"Current &Time", "&T"}, {"&Left Align", "&L"},  {"&Center", "&C"},      {"&Right Align", "&R"},
};

}  // namespace

CPageSetupDlg::CPageSetupDlg(CfgPageSetup* config, QWidget* parent) : QDialog(parent), config_(config) {
  SYS_ASSERT(config);
  working_ = *config;
  setWindowTitle("Page Setup");
  auto* grid = new QGridLayout(this);
  header_ = new QLineEdit(QString::fromLatin1(working_.PageHeader.c_str()), this);
  footer_ = new QLineEdit(QString::fromLatin1(working_.PageFooter.c_str()), this);
  // Wide enough for the usual header and footer texts, whole.
  for (QLineEdit* edit : {header_, footer_})
    edit->setMinimumWidth(
        std::max(edit->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 40,
                 edit->fontMetrics().horizontalAdvance(edit->text()) + 2 * edit->fontMetrics().averageCharWidth()));
  auto* lh = new QLabel("Hea&der:", this);
  lh->setBuddy(header_);
  auto* lf = new QLabel("&Footer:", this);
  lf->setBuddy(footer_);
  grid->addWidget(lh, 0, 0);
  grid->addWidget(header_, 0, 1, 1, 3);
  grid->addWidget(CodeButton(0), 0, 4);
  grid->addWidget(lf, 1, 0);
  grid->addWidget(footer_, 1, 1, 1, 3);
  grid->addWidget(CodeButton(1), 1, 4);

  auto* box = new QGroupBox("Margins (cm)", this);
  auto* mg = new QGridLayout(box);
  const char* names[4] = {"&Left:", "&Right:", "&Top:", "&Bottom:"};
  const int32_t values[4] = {working_.LeftMargin, working_.RightMargin, working_.TopMargin, working_.BottomMargin};
  for (int i = 0; i < 4; ++i) {
    margins_[i] = new QDoubleSpinBox(box);
    margins_[i]->setRange(0.0, 15.0);
    margins_[i]->setDecimals(2);
    margins_[i]->setSingleStep(0.1);
    margins_[i]->setValue(values[i] / 100.0);
    auto* l = new QLabel(names[i], box);
    l->setBuddy(margins_[i]);
    mg->addWidget(l, i / 2, (i % 2) * 2);
    mg->addWidget(margins_[i], i / 2, (i % 2) * 2 + 1);
  }
  grid->addWidget(box, 2, 0, 1, 5);

  size_ = new QComboBox(this);
  size_->setEditable(true);
  // Room for "24.0" and the like.
  size_->setMinimumContentsLength(6);
  size_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  for (const char* s : {"6", "8", "10", "12", "14", "16", "18", "20", "22", "24"}) size_->addItem(s);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", working_.FontSize / 10.0);
  size_->setCurrentText(buf);
  auto* ls = new QLabel("&Size (pt):", this);
  ls->setBuddy(size_);
  bold_ = new QCheckBox("B&old", this);
  bold_->setChecked(working_.flags & CfgPageSetup::BoldFont);
  numbers_ = new QCheckBox("Print program files with line &numbers", this);
  numbers_->setChecked(working_.flags & CfgPageSetup::LineNumbers);
  grid->addWidget(ls, 3, 0);
  grid->addWidget(size_, 3, 1);
  grid->addWidget(bold_, 3, 2);
  grid->addWidget(numbers_, 4, 0, 1, 5);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  auto* printer = buttons->addButton("&Printer...", QDialogButtonBox::ActionRole);
  connect(printer, &QPushButton::clicked, this, [this] {
    static QPrinter shared;
    QPageSetupDialog dlg(&shared, this);
    dlg.exec();
  });
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  grid->addWidget(buttons, 5, 0, 1, 5);
}

QToolButton* CPageSetupDlg::CodeButton(int field) {
  auto* button = new QToolButton(this);
  button->setText(">");
  connect(button, &QToolButton::clicked, this, [this, button, field] {
    QMenu menu(button);
    for (const Code& c : kCodes) {
      const char* code = c.code;
      menu.addAction(c.text, this, [this, field, code] { InsertCode(field, code); });
    }
    menu.exec(button->mapToGlobal(button->rect().bottomLeft()));
  });
  return button;
}

void CPageSetupDlg::InsertCode(int field, const char* code) {
  QLineEdit* edit = field == 0 ? header_ : footer_;
  edit->setFocus();
  edit->insert(QString::fromLatin1(code));
}

void CPageSetupDlg::TakeValues() {
  working_.PageHeader = header_->text().toLatin1().toStdString();
  working_.PageFooter = footer_->text().toLatin1().toStdString();
  int32_t* fields[4] = {&working_.LeftMargin, &working_.RightMargin, &working_.TopMargin, &working_.BottomMargin};
  for (int i = 0; i < 4; ++i) *fields[i] = static_cast<int32_t>(std::floor(margins_[i]->value() * 100.0 + 1e-6));
  bool ok = false;
  double pt = size_->currentText().toDouble(&ok);
  if (ok) working_.FontSize = CfgPageSetup::ClampFontSize(static_cast<int32_t>(std::floor(pt * 10.0 + 1e-6)));
  working_.flags =
      (bold_->isChecked() ? CfgPageSetup::BoldFont : 0u) | (numbers_->isChecked() ? CfgPageSetup::LineNumbers : 0u);
}

bool CPageSetupDlg::Apply() {
  TakeValues();
  if (!working_.differs(*config_)) return false;
  working_.modified = 1;
  *config_ = working_;
  config_->Save();
  return true;
}

void CPageSetupDlg::accept() {
  Apply();
  QDialog::accept();
}
