#include "workbench/framework/fwdesktopsink.h"

#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>
#include <QWidget>

int FwDesktopSink::message_box(void* owner, const char* caption, const char* text, unsigned style) {
  QMessageBox box(static_cast<QWidget*>(owner));
  box.setWindowTitle(QString::fromUtf8(caption ? caption : ""));
  box.setText(QString::fromUtf8(text ? text : ""));
  switch (style & 0xF0) {
    case SHELL_MB_ICONSTOP: box.setIcon(QMessageBox::Critical); break;
    case SHELL_MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case SHELL_MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
    case SHELL_MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
  }
  unsigned buttons = style & 0x0F;
  bool second_default = (style & 0x100) != 0;
  switch (buttons) {
    case SHELL_MB_YESNO:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(second_default ? QMessageBox::No : QMessageBox::Yes);
      break;
    case SHELL_MB_OKCANCEL:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      box.setDefaultButton(second_default ? QMessageBox::Cancel : QMessageBox::Ok);
      break;
    case 0x05:  // retry, cancel
      box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
      break;
    default: box.setStandardButtons(QMessageBox::Ok); break;
  }
  switch (box.exec()) {
    case QMessageBox::Yes: return SHELL_IDYES;
    case QMessageBox::No: return SHELL_IDNO;
    case QMessageBox::Cancel: return SHELL_IDCANCEL;
    case QMessageBox::Retry: return 4;
    default: return SHELL_IDOK;
  }
}

void FwDesktopSink::debug_output(const char* text) { fputs(text ? text : "", stderr); }

bool FwDesktopSink::open_text_file(const char* path) {
  return path != nullptr && QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromUtf8(path)));
}

void FwDesktopSink::end_process(int code) { std::exit(code); }

void FwDesktopSink::beep(unsigned) { QApplication::beep(); }
