#include "workbench/shell/frames/splashwnd.h"

#include <QPainter>
#include <QTimer>

CSplashWnd::CSplashWnd(int display_ms, std::function<void()> on_gone)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      on_gone_(std::move(on_gone)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle("QX Varnica IDE");
  resize(360, 160);
  QTimer::singleShot(display_ms, this, [this] { close(); });
}

CSplashWnd::~CSplashWnd() {
  if (on_gone_) on_gone_();
}

void CSplashWnd::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(0, 0, 128));
  p.setPen(Qt::white);
  QFont f = font();
  f.setPointSize(f.pointSize() * 2);
  p.setFont(f);
  p.drawText(rect(), Qt::AlignCenter, windowTitle());
}
