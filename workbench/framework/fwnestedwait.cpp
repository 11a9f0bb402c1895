#include "workbench/framework/fwnestedwait.h"

#include <QTimer>

#include "workbench/framework/fwlifetime.h"

namespace {
int g_depth = 0;
}

int FwNestedWait::Depth() { return g_depth; }

int FwNestedWait::Run(int timeout_ms) {
  QTimer deadline;
  if (timeout_ms > 0) {
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop_, [this] { loop_.exit(-1); });
    deadline.start(timeout_ms);
  }
  FwBusyScope busy;
  ++g_depth;
  int code = loop_.exec();
  --g_depth;
  return code;
}

void FwNestedWait::Exit(int code) { loop_.exit(code); }
