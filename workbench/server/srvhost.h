// A host for the server link in a program without windows of its own (the
// probe of the tests and the demo): the offscreen application whose event
// loop the link's nested waits run on. The header is free of Qt.
#pragma once

class SrvHost {
 public:
  SrvHost(int& argc, char** argv);
  ~SrvHost();  // closes every connection first
  SrvHost(const SrvHost&) = delete;
  SrvHost& operator=(const SrvHost&) = delete;

 private:
  void* app_;
};
