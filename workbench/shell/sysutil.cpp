// System utilities: main window, directories, help settings, code pages.
#include "workbench/shell/sysutil.h"

#include "workbench/shell/sysassert.h"

namespace {

void* hwndMain = nullptr;

}  // namespace

void Sys_SetMainWindow(void* window)
{
    SYS_ASSERT(!hwndMain);
    hwndMain = window;
}

void* Sys_GetMainWindow()
{
    return hwndMain;
}

void Sys_ClearMainWindow()
{
    hwndMain = nullptr;
}
