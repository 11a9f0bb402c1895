#include "workbench/server/srvhost.h"

#include <cstdlib>

#include <QApplication>

#include "workbench/server/srvconn.h"

SrvHost::SrvHost(int& argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  app_ = new QApplication(argc, argv);
}

SrvHost::~SrvHost() {
  SrvConn::CloseAll();
  delete static_cast<QApplication*>(app_);
}
