// dbgprobe: the environment's debugger on the registry's current debug
// session, offscreen, for tests and the demo. The commands and what it
// prints: workbench/debugger/probe/debugprobe.h.
#include "workbench/debugger/probe/debugprobe.h"

int main(int argc, char** argv) { return DebugProbe_Main(argc, argv); }
