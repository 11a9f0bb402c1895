// Drives the modal dialogs of a test as a user would: each dialog that
// opens gets the next step of a script, run from the event loop once the
// dialog shows. A dialog that opens with no step left is cancelled and
// counted, so a test never hangs on an unexpected question.
#pragma once

#include <deque>
#include <functional>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "workbench/framework/tests/fwtest.h"

// Answers the modal dialogs that open, one step each, in order. A dialog
// that opens with no step left is cancelled and counted.
class DialogScript : public QObject {
 public:
  DialogScript() { Fw_TestQApp()->installEventFilter(this); }
  ~DialogScript() override { QApplication::instance()->removeEventFilter(this); }
  void Then(std::function<void(QDialog*)> step) { steps_.push_back(std::move(step)); }
  bool Done() const { return steps_.empty(); }
  int unexpected = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* dialog = qobject_cast<QDialog*>(watched);
    if (event->type() == QEvent::Show && dialog != nullptr && dialog->isModal()) {
      std::function<void(QDialog*)> step;
      if (steps_.empty()) {
        ++unexpected;
        step = [](QDialog* d) { d->reject(); };
      } else {
        step = std::move(steps_.front());
        steps_.pop_front();
      }
      QTimer::singleShot(0, dialog, [dialog, step] { step(dialog); });
    }
    return false;
  }

 private:
  std::deque<std::function<void(QDialog*)>> steps_;
};

inline QLineEdit* edit_named(QWidget* w, const char* name) { return w->findChild<QLineEdit*>(name); }

inline void type_into(QWidget* w, const char* name, const char* text) {
  QLineEdit* edit = edit_named(w, name);
  ASSERT_NE(edit, nullptr) << name;
  edit->setText(text);
}

inline QPushButton* button_named(QWidget* w, const QString& text) {
  for (QPushButton* b : w->findChildren<QPushButton*>())
    if (b->text() == text) return b;
  return nullptr;
}

// A click on a check box's indicator, where a user clicks.
inline void click_check(QCheckBox* box) {
  ASSERT_NE(box, nullptr);
  QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->iconSize().width() / 2 + 2, box->height() / 2));
}
