// tessarine: the development environment. Starts the application object on
// the desktop (message boxes and beeps through the desktop sink), runs the
// event loop and saves what changed at exit. "-help" and "-version" as the
// first argument answer without a display, as the other tools do.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QMdiArea>
#include <QPointer>

#include "workbench/debugger/debuggerplug.h"
#include "workbench/debugger/callstackdoc.h"
#include "workbench/debugger/debugplug.h"
#include "workbench/dialogs/views/win/dlgshellplug.h"
#include "workbench/editor/view/editorplug.h"
#include "workbench/editor/view/outputdoc.h"
#include "workbench/explorer/view/driveview.h"
#include "workbench/explorer/view/exploredoc.h"
#include "workbench/framework/fwchildframe.h"
#include "workbench/framework/fwdesktopsink.h"
#include "workbench/framework/fwmainframe.h"
#include "workbench/programs/view/programsplug.h"
#include "workbench/programs/view/progdocwin.h"
#include "workbench/shell/browse/browseplug.h"
#include "workbench/shell/frames/mainframe.h"
#include "workbench/shell/frames/yqapp.h"
#include "workbench/shell/settings/appsheet.h"
#include "workbench/base/shellsink.h"
#include "language/toolframe.h"

// The usage that "-help" prints.
const char* const usage_table[] = {
    "Usage: tessarine [file] [-nologo]",
    " file    = a source or text file to open in an editor window",
    " -nologo = no splash window at the start",
    "<$END>",
};

int main(int argc, char** argv) {
  if (tool_early_request(argc, argv, TOOL_EARLY_LEADING) != TOOL_REQUEST_NONE) {
    banner_tool("TESSARINE");
    tool_early_options(argc, argv, TOOL_EARLY_LEADING, [](int status) { std::exit(status); });
  }
  QApplication qt(argc, argv);
  FwDesktopSink sink;
  Shell_SetSink(&sink);
  int code = 1;
  {
    CYqApp app;
    Programs_Install();  // program and text files open as program documents
    Editor_Install();
    std::unique_ptr<DebuggerWindows> debugger_windows = Debugger_InstallWindows(app);
    Debugger_Install(&debugger_windows->variables);
    Settings_Install();
    // Dialog files open in the designer; plug-ins load as the application starts.
    std::unique_ptr<DlgShellPlug> designer = Designer_Install(app);
    // From the command line, the recent files and the explorer alike.
    CProgDoc::SetPluginOpener([&designer](const std::string& path) { return designer->OpenClaimedFile(path); });
    std::unique_ptr<ExplorerWindows> explorer = Explorer_Install(app.m_Explore, app.m_Config, &app.m_MruFiles);
    std::vector<std::string> args(argv + 1, argv + argc);
    if (app.InitInstance(args)) {
      Browse_Install(app.MainWnd()->BrowseBar());
      Programs_ShowInXref();  // the files given on the command line
      designer->ShowInXref();
      // For pictures of the environment: an explore window on a folder.
      const char* shot_folder = std::getenv("VARNICA_SNAPSHOT_EXPLORE");
      if (std::getenv("VARNICA_SNAPSHOT") != nullptr && shot_folder != nullptr) {
        // The document window active before stays active (the picture's
        // commands go to it).
        QPointer<FwChildFrame> active = app.MainFrame() ? app.MainFrame()->ActiveChild() : nullptr;
        explorer->NewExplorer();
        if (!explorer->Documents().empty())
          explorer->Documents().back()->GetDriveView()->SelectPath(shot_folder, false);
        if (active && active->mdiArea()) active->mdiArea()->setActiveSubWindow(active);
      }
      QApplication::exec();
      CCallstackDoc::Shutdown();
      COutputDoc::Shutdown();
      code = app.ExitInstance();
    }
    CProgDoc::SetPluginOpener(nullptr);
  }
  Shell_SetSink(nullptr);
  return code;
}
