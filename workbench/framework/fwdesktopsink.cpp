#include "workbench/framework/fwdesktopsink.h"

#include <cstdio>
#include <cstdlib>
#include <vector>
#include <algorithm>

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>
#include <QWidget>

namespace {

// The buttons of each button set, first to last, with the answer of each.
struct BoxButton {
  QMessageBox::StandardButton button;
  int answer;
};

std::vector<BoxButton> ButtonsOf(unsigned style) {
  switch (style & SHELL_MB_BUTTONS) {
    case SHELL_MB_OKCANCEL: return {{QMessageBox::Ok, SHELL_IDOK}, {QMessageBox::Cancel, SHELL_IDCANCEL}};
    case SHELL_MB_YESNOCANCEL:
      return {{QMessageBox::Yes, SHELL_IDYES}, {QMessageBox::No, SHELL_IDNO}, {QMessageBox::Cancel, SHELL_IDCANCEL}};
    case SHELL_MB_YESNO: return {{QMessageBox::Yes, SHELL_IDYES}, {QMessageBox::No, SHELL_IDNO}};
    case SHELL_MB_RETRYCANCEL: return {{QMessageBox::Retry, SHELL_IDRETRY}, {QMessageBox::Cancel, SHELL_IDCANCEL}};
    default: return {{QMessageBox::Ok, SHELL_IDOK}};
  }
}

}  // namespace

int FwDesktopSink::message_box(void* owner, const char* caption, const char* text, unsigned style) {
  QMessageBox box(static_cast<QWidget*>(owner));
  box.setWindowTitle(QString::fromUtf8(caption ? caption : ""));
  box.setText(QString::fromUtf8(text ? text : ""));
  switch (style & SHELL_MB_ICONS) {
    case SHELL_MB_ICONSTOP: box.setIcon(QMessageBox::Critical); break;
    case SHELL_MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case SHELL_MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
    case SHELL_MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
  }
  const std::vector<BoxButton> buttons = ButtonsOf(style);
  QMessageBox::StandardButtons set;
  for (const BoxButton& b : buttons) set |= b.button;
  box.setStandardButtons(set);
  // The default button: the first, or the second or third when asked for.
  size_t default_index = (style & SHELL_MB_DEFBUTTON3) ? 2 : (style & SHELL_MB_DEFBUTTON2) ? 1 : 0;
  box.setDefaultButton(buttons[std::min(default_index, buttons.size() - 1)].button);
  // Escape answers Cancel where there is one, else the last button.
  box.setEscapeButton(buttons.back().button);
  const int pressed = box.exec();
  for (const BoxButton& b : buttons)
    if (b.button == pressed) return b.answer;
  return buttons.back().answer;
}

void FwDesktopSink::debug_output(const char* text) { fputs(text ? text : "", stderr); }

bool FwDesktopSink::open_text_file(const char* path) {
  return path != nullptr && QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromUtf8(path)));
}

void FwDesktopSink::end_process(int code) { std::exit(code); }

void FwDesktopSink::beep(unsigned) { QApplication::beep(); }
