// The splash window of a plain start: the short title, shown for its display
// time (or until closed); it tells the application when it goes.
#pragma once

#include <functional>

#include <QWidget>

class CSplashWnd : public QWidget {
 public:
  CSplashWnd(int display_ms, std::function<void()> on_gone);
  ~CSplashWnd() override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::function<void()> on_gone_;
};
