#include "workbench/shell/frames/yqapp.h"

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdio>

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QScreen>
#include <QSessionManager>
#include <QWidget>

#include "workbench/framework/fwchildframe.h"
#include "workbench/framework/fwcommandids.h"
#include "workbench/framework/fwmessage.h"
#include "workbench/framework/fwsnapshot.h"
#include "workbench/framework/fwwindows.h"
#include "workbench/base/diag.h"
#include "workbench/shell/filenew.h"
#include "workbench/shell/frames/kindicons.h"
#include "workbench/shell/frames/mainframe.h"
#include "workbench/shell/frames/shellrows.h"
#include "workbench/shell/frames/splashwnd.h"
#include "workbench/shell/neighbours.h"
#include "workbench/base/settings/cfgprofile.h"
#include "workbench/base/shellsink.h"
#include "workbench/base/sysutil.h"

namespace {

enum { MAX_EXPLORERS = 8 };

CYqApp* g_yqapp = nullptr;

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

CYqApp* YqApp() { return g_yqapp; }

CYqApp::CYqApp() {
  g_yqapp = this;
  // The section records count as changed until the start-up load settles
  // them.
  m_Config.SetModified(true);
  // The icons of the command rows come from the desktop's theme, else from
  // the free one.
  Shell_SetIconFallback();
  InitCommands();
  // Registered windows keep their places in the configuration's record.
  Windows().SetPositions(&m_Config.WindowPositions);
}

CYqApp::~CYqApp() {
  if (qApp != nullptr) qApp->removeEventFilter(this);
  EndContextHelp();
  delete splash_;  // clears splash_ on its way out
  delete main_.data();
  if (g_yqapp == this) g_yqapp = nullptr;
}

CMainFrame* CYqApp::MainWnd() const {
  // Documents that the frame's children own ask for it from their
  // destructors while the frame is being destroyed, when its own members are
  // already gone: the frame's type tells, and they get null.
  return dynamic_cast<CMainFrame*>(main_.data());
}

void CYqApp::InitCommands() { Commands().AddRows(0, Shell_CommandRows(), Shell_PlaceRows()); }

bool CYqApp::InitInstance(const std::vector<std::string>& args) {
  // 1-2. The long title; the framework's name stays for box captions.
  default_app_name_ = Sys_GetDefaultAppName();
  QCoreApplication::setApplicationName("QX Varnica Development Environment");
  // 3-4. The command line: a file to open, the splash and automation options.
  std::string file;
  bool splash = true, embedded = false;
  for (const std::string& a : args) {
    std::string opt = a;
    // Options begin with "-" (a "/" begins a path here).
    if (opt.size() > 1 && opt[0] == '-') {
      std::string name = opt.substr(opt[1] == '-' ? 2 : 1);
      for (auto& ch : name) ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
      if (name == "nologo") splash = false;
      if (name == "embedding" || name == "automation") embedded = true;
      continue;
    }
    if (file.empty()) file = a;
  }
  QApplication::setWindowIcon(Shell_AppIcon());
  // 5. The splash only for a plain start.
  if (file.empty() && !embedded && splash && std::getenv("VARNICA_SNAPSHOT") == nullptr) {
    splash_ = new CSplashWnd(2500, [this] { splash_ = nullptr; });
    splash_->show();
    splash_->repaint();
  }
  // 7. The diagnostics log.
  std::string flags = Cfg_GetString("Diagnostics", "LogFlags");
  std::string log = Cfg_GetString("Diagnostics", "LogFile");
  FILE* stream = log.empty() ? nullptr : fopen(log.c_str(), "a");
  Diag_Setup(flags.c_str(), stream);
  // 8-9. Tables, configuration and lists.
  Sys_InitCodepages();
  QSize screen(1024, 768);
  if (QScreen* s = QGuiApplication::primaryScreen()) screen = s->size();
  m_Config.Load(screen.width(), screen.height());
  m_MruFiles.Load();
  m_FindHistory.Load();
  m_ReplaceHistory.Load();
  m_Breakpoints.Load();
  m_Explore.Load();
  // 10. Program documents come with the program-document neighbour.
  // 11. The main frame.
  auto* frame = new CMainFrame;
  main_ = frame;
  SetMainFrame(frame);
  if (!frame->Create()) return false;
  // 12. Plug-ins.
  Shell_Neighbours().designer->Start();
  // 13. Keys pass through the application first.
  qApp->installEventFilter(this);
  // The desktop session ends: unsaved documents are asked about as at Exit,
  // and Cancel keeps the session.
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& session) {
    CMainFrame* main = MainWnd();
    if (main == nullptr || !session.allowsInteraction()) return;
    const bool close = main->SaveModifiedDocuments();
    session.release();
    if (!close) session.cancel();
  });
  // 14. Show the window, open the named file, started. The window comes
  // first so that a box about the file stands above it.
  if (embedded) return true;
  Fw_WatchForSnapshot(frame);
  if (frame->ShowMaximizedAtStart())
    frame->showMaximized();
  else
    frame->show();
  // The splash stays above the main window for the rest of its time.
  if (splash_ != nullptr) splash_->raise();
  if (!file.empty()) Shell_Neighbours().program->OpenFile(file.c_str(), CfgFileMode_Auto);
  started_ = 1;
  return true;
}

int CYqApp::ExitInstance() {
  m_Config.WindowPositions.Save();
  m_MruFiles.Save();
  m_FindHistory.Save();
  m_ReplaceHistory.Save();
  // The marks of the documents still open are breakpoints to keep.
  Shell_Neighbours().program->UpdateBreakpointList();
  m_Breakpoints.Save();
  m_Explore.Save();
  return 0;
}

bool CYqApp::OnIdle(int count) {
  OutputLink* output = Shell_Neighbours().output;
  if (!pending_output_.empty()) {
    bool wait = pending_count_ >= 100;
    if (wait) QApplication::setOverrideCursor(Qt::WaitCursor);
    output->AppendText(1, pending_output_);
    pending_output_.clear();
    if (wait) QApplication::restoreOverrideCursor();
    pending_count_ = 0;
  }
  if (show_tab_ >= 0) {
    int tab = show_tab_;
    show_tab_ = -1;
    // The pane comes forward on that tab; the window the user works in
    // (the editor after a compile) keeps the activation and the focus.
    QPointer<QWidget> focus = QApplication::focusWidget();
    CMainFrame* main = MainWnd();
    QMdiArea* area = main != nullptr ? main->MdiArea() : nullptr;
    QPointer<QMdiSubWindow> active = area != nullptr ? area->activeSubWindow() : nullptr;
    output->ShowTab(tab);
    QMdiSubWindow* shown = area != nullptr ? area->activeSubWindow() : nullptr;
    if (active && shown != nullptr && shown != active.data()) {
      area->setActiveSubWindow(active);
      if (!active->isMaximized()) shown->raise();
    }
    if (focus && QApplication::focusWidget() != focus.data()) focus->setFocus();
  }
  help_.OnIdle();
  return FwApp::OnIdle(count);
}

void CYqApp::QueueText(const std::string& text) {
  // Each piece is a line of its own.
  if (pending_count_ > 0) pending_output_ += '\n';
  pending_output_ += text;
  ++pending_count_;
}

// ------------------------------------------------------------ keys

bool CYqApp::eventFilter(QObject* watched, QEvent* event) {
  QEvent::Type t = event->type();
  if (context_help_ && ContextHelpEvent(watched, event)) return true;
  if (t != QEvent::KeyPress && t != QEvent::KeyRelease && t != QEvent::ShortcutOverride) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  switch (key->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_CapsLock: return false;
    default: break;
  }
  if (QWidget::mouseGrabber() != nullptr) return true;
  // Keys are swallowed until the start is over, except by a question asked
  // on the way (the password of a program named on the command line).
  if (!started_) return QApplication::activeModalWidget() == nullptr;
  if (t != QEvent::KeyPress) return false;
  Qt::KeyboardModifiers mods = key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  // F10 steps over instead of opening the menu.
  if (key->key() == Qt::Key_F10 && mods == Qt::NoModifier && main_ != nullptr) {
    Fw_PostMessage(main_, FW_MSG_DEBUG_STEP_OVER);
    return true;
  }
  enum { NONE, COPY, PASTE, CUT, UNDO } action = NONE;
  if (mods == Qt::ControlModifier) {
    switch (key->key()) {
      case Qt::Key_Insert:
      case Qt::Key_C: action = COPY; break;
      case Qt::Key_V: action = PASTE; break;
      case Qt::Key_X: action = CUT; break;
      case Qt::Key_Z: action = UNDO; break;
      default: break;
    }
  } else if (mods == Qt::ShiftModifier) {
    if (key->key() == Qt::Key_Insert) action = PASTE;
    if (key->key() == Qt::Key_Delete) action = CUT;
  } else if (mods == Qt::AltModifier && key->key() == Qt::Key_Backspace) {
    action = UNDO;
  }
  auto* edit = dynamic_cast<QLineEdit*>(watched);
  if (action == NONE || edit == nullptr) return false;
  switch (action) {
    case COPY: edit->copy(); break;
    case PASTE: edit->paste(); break;
    case CUT: edit->cut(); break;
    case UNDO: edit->undo(); break;
    default: break;
  }
  return true;
}

// ------------------------------------------------------------ help

const std::string& CYqApp::HelpBase() const {
  return m_Config.Help.Url.empty() ? m_Config.Help.ConfigURL : m_Config.Help.Url;
}
bool CYqApp::CallHelp(const std::string& topic) { return help_.CallHelp(HelpBase(), topic, NowMs()); }
bool CYqApp::ShowHelp(const std::string& topic) { return help_.ShowHelp(HelpBase(), topic, NowMs()); }
bool CYqApp::ShowKeywordHelp(const char* text) { return help_.ShowKeywordHelp(HelpBase(), text, NowMs()); }
bool CYqApp::WinHelp(unsigned long data, unsigned command) { return help_.WinHelp(HelpBase(), data, command, NowMs()); }

// ------------------------------------------------------------ commands

const FwCmdEntry<CYqApp> CYqApp::kMap[] = {
    {ID_APP_ABOUT, ID_APP_ABOUT, &CYqApp::OnAppAbout, nullptr},
    {ID_FILE_OPEN, ID_FILE_OPEN, &CYqApp::OnFileOpen, &CYqApp::OnUpdateFileOpen},
    {ID_FILE_NEW, ID_FILE_NEW, &CYqApp::OnFileNew, nullptr},
    {ID_FILE_MRU_FILE1, ID_FILE_MRU_LAST, &CYqApp::OnMruFile, &CYqApp::OnUpdateMruFile},
    {ID_NEW_EXPLORER, ID_NEW_EXPLORER, &CYqApp::OnNewExplorer, &CYqApp::OnUpdateNewExplorer},
    {ID_EXPLORER_FIRST, ID_EXPLORER_LAST, &CYqApp::OnActivateExplorer, nullptr},
    {ID_APP_EXIT, ID_APP_EXIT, &CYqApp::OnAppExit, nullptr},
    {ID_HELP_FINDER, ID_HELP_FINDER, &CYqApp::OnHelpCommand, nullptr},
    {ID_CONTEXT_HELP, ID_DEFAULT_HELP, &CYqApp::OnHelpCommand, nullptr},
};

std::span<const FwCmdEntry<CYqApp>> CYqApp::Handlers() { return kMap; }

void CYqApp::OnAppAbout(int) {
  Shell_Sink().message_box(main_, default_app_name_.c_str(),
                           "QX Varnica Development Environment\n\ntessarine, the development environment of the "
                           "Varnica tool set.",
                           SHELL_MB_OK | SHELL_MB_ICONINFORMATION);
}
void CYqApp::OnFileOpen(int) { Shell_Neighbours().explorer->FileOpen(); }

void CYqApp::OnFileNew(int) {
  if (CMainFrame* main = MainWnd()) main->OnFileNew();
}

void CYqApp::OnUpdateFileOpen(FwCmdUI& ui) { ui.Enable(Shell_Neighbours().explorer->Plugged()); }

void CYqApp::OnMruFile(int id) {
  int n = id - ID_FILE_MRU_FILE1;
  if (n < 0 || n >= m_MruFiles.files.Count()) return;
  std::string path = m_MruFiles.GetFile(n);
  if (Shell_Neighbours().program->OpenFile(path.c_str(), CfgFileMode_Auto)) return;
  // The opener has said why. A file that is gone leaves the list; one that
  // is there but could not be read stays for the next try.
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 && errno == ENOENT) m_MruFiles.files.Remove(n);
}

void CYqApp::OnUpdateMruFile(FwCmdUI& ui) { ui.Enable(m_MruFiles.files.Count() >= 1); }

void CYqApp::OnNewExplorer(int) { Shell_Neighbours().explorer->NewExplorer(); }

void CYqApp::OnUpdateNewExplorer(FwCmdUI& ui) {
  ExplorerLink* e = Shell_Neighbours().explorer;
  ui.Enable(e->Plugged() && e->Count() < MAX_EXPLORERS);
}

void CYqApp::OnActivateExplorer(int id) { Shell_Neighbours().explorer->Activate(id - ID_EXPLORER_FIRST); }

void CYqApp::OnAppExit(int) {
  if (main_ != nullptr) main_->close();
}

void CYqApp::OnHelpCommand(int id) {
  switch (id) {
    // Help on the active window's kind.
    case ID_HELP: WinHelp(Help_IdForWindow(ActiveKind()), HELP_CONTEXT); break;
    // The next click names the window to help on.
    case ID_CONTEXT_HELP:
      if (!context_help_) {
        context_help_ = true;
        QApplication::setOverrideCursor(Qt::WhatsThisCursor);
      }
      break;
    // Help Topics and Default Help: the contents.
    default: WinHelp(0, HELP_CONTENTS); break;
  }
}

void CYqApp::EndContextHelp() {
  if (!context_help_) return;
  context_help_ = false;
  QApplication::restoreOverrideCursor();
}

bool CYqApp::ContextHelpEvent(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      EndContextHelp();
      FwChildFrame* frame = Fw_ChildFrameOf(qobject_cast<QWidget*>(watched));
      const int kind = frame != nullptr ? frame->Kind() : 0;
      WinHelp(Help_IdForWindow(kind), HELP_CONTEXT);
      return true;
    }
    case QEvent::MouseButtonRelease: return true;
    case QEvent::KeyPress:
      // Escape ends the mode; any other key ends it and goes on.
      EndContextHelp();
      return static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
    default: return false;
  }
}
