#include "dialogs/plugins/setup/plugsetup.h"

#include <algorithm>
#include <cstdio>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr const char* kPaneTitle = "Setup VUZ Dialog Plug-In";
constexpr const char* kTextTitle = "Setup ASCII DLG Plug-In";
constexpr const char* kAddTitle = "Add Template File";
constexpr const char* kRangeText = "Please enter an integer between 0 and %d.";
constexpr const char* kMissingTitle = "Missing Entry";
constexpr const char* kMissingText = "An entry in the field named \"%s\" is required.";
constexpr const char* kFileNameField = "File Name";
constexpr const char* kDuplicateTitle = "Duplicate Template File Name";
constexpr const char* kDuplicateText =
    "This file name seems to be already in the list:\n\"%s\"\n\nDo you want to add it anyway?";
constexpr const char* kRemoveTitle = "Remove Template File";
constexpr const char* kRemoveText = "Are you sure you want to remove template file\n\"%s\"?";
// The widest a number field needs to be: two digits and a margin.
constexpr int kNumberFieldChars = 4;

QString percent_s(const char* pattern) { return QString::fromUtf8(pattern).replace("%s", "%1"); }

// A box with the given buttons; the button pressed. No is the default of a
// question.
int ask(QWidget* parent, const char* title, const QString& text, bool question) {
  QMessageBox box(question ? QMessageBox::Question : QMessageBox::Warning, title, text,
                  question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
  box.setDefaultButton(question ? QMessageBox::No : QMessageBox::Ok);
  return box.exec();
}

QLineEdit* number_field(QWidget* parent, const char* name) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  edit->setMaxLength(kNumberFieldChars);
  edit->setFixedWidth(QFontMetrics(edit->font()).horizontalAdvance('0') * (kNumberFieldChars + 2));
  return edit;
}

// The number in `edit` when it is an unsigned integer from 0 to `max`;
// otherwise the box, the field selected, and -1.
int checked_number(QDialog* dlg, QLineEdit* edit, int max) {
  bool ok = false;
  const QString text = edit->text().trimmed();
  const int value = text.toInt(&ok);
  if (ok && !text.startsWith('-') && !text.startsWith('+') && value >= 0 && value <= max) return value;
  char message[64];
  std::snprintf(message, sizeof message, kRangeText, max);
  ask(dlg, dlg->windowTitle().toUtf8().constData(), QString::fromUtf8(message), false);
  edit->setFocus();
  edit->selectAll();
  return -1;
}

// The title bar's caption in full: as wide as the caption in a bold face
// half as large again (window managers often draw titles larger than the
// dialog's own font), with room for the window's icon and its three buttons.
void fit_caption(QDialog* dlg) {
  QFont bold = dlg->font();
  bold.setBold(true);
  const QFontMetrics metrics(bold);
  constexpr int kTitleBarGlyphs = 6;  // icon, three buttons and their spacing
  const int caption = metrics.horizontalAdvance(dlg->windowTitle()) * 3 / 2;
  dlg->setMinimumWidth(std::max(dlg->minimumWidth(), caption + kTitleBarGlyphs * metrics.height()));
}

QDialogButtonBox* ok_cancel(QDialog* dlg, QLayout* layout) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dlg);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dlg, &QDialog::reject);
  return buttons;
}

}  // namespace

bool PlugSetup_HasApplication() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

QWidget* PlugSetup_Parent() { return PlugSetup_HasApplication() ? QApplication::activeWindow() : nullptr; }

// ------------------------------------------------------------ VUZ

PaneSetupDlg::PaneSetupDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(kPaneTitle);
  fit_caption(this);
  auto* outer = new QVBoxLayout(this);
  auto* group = new QGroupBox("File-Load Options", this);
  auto* form = new QFormLayout(group);
  font_ = number_field(group, "FontVariant");
  color_ = number_field(group, "ColorVariant");
  form->addRow("Use &Font Variant:", font_);
  form->addRow("Use &Color Variant:", color_);
  outer->addWidget(group);
  QDialogButtonBox* buttons = ok_cancel(this, outer);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    const int font = checked_number(this, font_, MaxVariant);
    if (font < 0) return;
    const int color = checked_number(this, color_, MaxVariant);
    if (color < 0) return;
    m_FontVariant = font;
    m_ColorVariant = color;
    accept();
  });
}

int PaneSetupDlg::DoModal() {
  font_->setText(QString::number(m_FontVariant));
  color_->setText(QString::number(m_ColorVariant));
  font_->setFocus();
  return exec();
}

// ------------------------------------------------------------ ASCII

TextSetupDlg::TextSetupDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(kTextTitle);
  fit_caption(this);
  auto* outer = new QVBoxLayout(this);

  auto* save = new QGroupBox("File-Save Options", this);
  auto* rows = new QVBoxLayout(save);
  struct SaveRow {
    const char* before;
    const char* name;
    const char* after;
    QLineEdit** field;
  };
  const SaveRow save_rows[] = {
      {"Nested objects will be &indented by", "Indent", "columns.", &indent_},
      {"Objects will be &separated with", "BlankLines", "blank lines.", &blank_},
  };
  for (const SaveRow& r : save_rows) {
    auto* line = new QHBoxLayout;
    auto* label = new QLabel(r.before, save);
    *r.field = number_field(save, r.name);
    label->setBuddy(*r.field);
    line->addWidget(label);
    line->addWidget(*r.field);
    line->addWidget(new QLabel(r.after, save));
    line->addStretch();
    rows->addLayout(line);
  }
  outer->addWidget(save);

  auto* templates = new QGroupBox("Dialog Template Files", this);
  auto* tline = new QHBoxLayout(templates);
  list_ = new QTreeWidget(templates);
  list_->setObjectName("Templates");
  list_->setRootIsDecorated(false);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setHeaderHidden(true);
  tline->addWidget(list_, 1);
  auto* tbuttons = new QVBoxLayout;
  auto* add = new QPushButton("&Add Template File...", templates);
  add->setObjectName("Add");
  add->setAutoDefault(false);
  auto* remove = new QPushButton("&Remove Template File", templates);
  remove->setObjectName("Remove");
  remove->setAutoDefault(false);
  connect(add, &QPushButton::clicked, this, [this] { OnAdd(); });
  connect(remove, &QPushButton::clicked, this, [this] { OnRemove(); });
  tbuttons->addWidget(add);
  tbuttons->addWidget(remove);
  tbuttons->addStretch();
  tline->addLayout(tbuttons);
  outer->addWidget(templates);

  QDialogButtonBox* buttons = ok_cancel(this, outer);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    const int indent = checked_number(this, indent_, MaxSaveOption);
    if (indent < 0) return;
    const int blank = checked_number(this, blank_, MaxSaveOption);
    if (blank < 0) return;
    m_Indent = indent;
    m_BlankLines = blank;
    m_Templates.clear();
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
      m_Templates.push_back(list_->topLevelItem(i)->text(0).toStdString());
    accept();
  });
}

int TextSetupDlg::DoModal() {
  indent_->setText(QString::number(m_Indent));
  blank_->setText(QString::number(m_BlankLines));
  list_->clear();
  for (const std::string& name : m_Templates)
    list_->addTopLevelItem(new QTreeWidgetItem(QStringList{QString::fromStdString(name)}));
  indent_->setFocus();
  return exec();
}

void TextSetupDlg::OnAdd() {
  AddTemplateDlg dlg(this);
  while (dlg.DoModal() == QDialog::Accepted) {
    if (dlg.m_FileName.empty()) {
      ask(&dlg, kMissingTitle, percent_s(kMissingText).arg(kFileNameField), false);
      continue;
    }
    const QString name = QString::fromStdString(dlg.m_FileName);
    bool listed = false;
    for (int i = 0; i < list_->topLevelItemCount() && !listed; ++i) listed = list_->topLevelItem(i)->text(0) == name;
    if (listed && ask(&dlg, kDuplicateTitle, percent_s(kDuplicateText).arg(name), true) != QMessageBox::Yes) continue;
    auto* item = new QTreeWidgetItem(QStringList{name});
    list_->addTopLevelItem(item);
    list_->setCurrentItem(item);
    return;
  }
}

void TextSetupDlg::OnRemove() {
  QTreeWidgetItem* item = list_->currentItem();
  if (item == nullptr || !item->isSelected()) return;
  if (ask(this, kRemoveTitle, percent_s(kRemoveText).arg(item->text(0)), true) != QMessageBox::Yes) return;
  delete item;
}

// ------------------------------------------------------------ Add

AddTemplateDlg::AddTemplateDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(kAddTitle);
  fit_caption(this);
  auto* outer = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  name_ = new QLineEdit(this);
  name_->setObjectName("FileName");
  form->addRow("&File Name:", name_);
  outer->addLayout(form);
  QDialogButtonBox* buttons = ok_cancel(this, outer);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
}

int AddTemplateDlg::DoModal() {
  name_->setText(QString::fromStdString(m_FileName));
  name_->setFocus();
  const int result = exec();
  if (result == QDialog::Accepted) m_FileName = name_->text().toStdString();
  return result;
}
