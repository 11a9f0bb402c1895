#include "workbench/explorer/view/exploredoc.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QCursor>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>

#include "platform/dirpath.h"
#include "workbench/base/settings/cfglists.h"
#include "workbench/base/settings/config.h"
#include "workbench/base/shellsink.h"
#include "workbench/base/sysassert.h"
#include "workbench/explorer/view/driveview.h"
#include "workbench/explorer/view/exploreframe.h"
#include "workbench/explorer/view/explorerows.h"
#include "workbench/explorer/view/fileview.h"
#include "workbench/framework/fwapp.h"
#include "workbench/framework/fwcommandtable.h"
#include "workbench/framework/fwdoctemplate.h"
#include "workbench/framework/fwmainframe.h"
#include "workbench/framework/fwnestedwait.h"
#include "workbench/framework/fwwindows.h"
#include "workbench/programs/dirutil.h"
#include "workbench/shell/controls/filecombos.h"
#include "workbench/shell/neighbours.h"

namespace {

// The explore windows' resource: their kind, their rows' kind.

constexpr const char* kAlreadySaving =
    "You have already opened a \"Save As\" window.\nPlease close it first before trying another \"Save As\".";

int Ask(const char* caption, const std::string& text, unsigned style) {
  return Shell_Sink().message_box(Shell_OwnerWindow(), caption, text.c_str(), style);
}

// A name shown in the file-name field: in quotes when it holds blanks.
QString FieldName(const std::string& name) {
  const QString shown = Explore_DisplayName(name);
  return name.find_first_of(" \t") == std::string::npos ? shown : "\"" + shown + "\"";
}

// The folder and the name of a proposed path.
void SplitPath(const std::string& path, std::string* folder, std::string* name) {
  if (path.find('/') == std::string::npos) {
    folder->clear();
    *name = path;
    return;
  }
  *folder = DirUtil_GetDir(path);
  *name = DirUtil_GetName(path);
}

}  // namespace

// ------------------------------------------------------------ document

CExploreDoc::CExploreDoc(ExplorerWindows& windows, ExploreMode mode, SaveAsDocument* attached,
                         std::optional<SaveAsPlugin> plugin)
    : windows_(windows), mode_(mode), attached_(attached), plugin_(std::move(plugin)) {}

CExploreDoc::~CExploreDoc() = default;

bool CExploreDoc::OnNewDocument() {
  UpdateTitle("");
  return true;
}

int CExploreDoc::DoSaveAs(SaveAsDocument* doc, const std::string& path, const SaveAsPlugin* plugin) {
  return Shell_Neighbours().explorer->DoSaveAs(doc, path, plugin);
}

CExploreFrame* CExploreDoc::Frame() const {
  for (FwChildFrame* frame : Frames())
    if (auto* f = dynamic_cast<CExploreFrame*>(frame)) return f;
  return nullptr;
}

CDriveView* CExploreDoc::GetDriveView() const {
  for (FwView* view : Views())
    if (auto* v = dynamic_cast<CDriveView*>(view)) return v;
  Sys_AssertFailed("!\"CExploreDoc::GetDriveView() CDriveView not attached\"", __FILE__, __LINE__);
}

CFileView* CExploreDoc::GetFileView() const {
  for (FwView* view : Views())
    if (auto* v = dynamic_cast<CFileView*>(view)) return v;
  Sys_AssertFailed("!\"CExploreDoc::GetFileView() CFileView not attached\"", __FILE__, __LINE__);
}

void CExploreDoc::SetCurrentPath(const std::string& path) {
  path_ = path;
  UpdateTitle(path);
  UpdateAllViews(nullptr, FwUpdateKind::FolderChanged);
}

void CExploreDoc::FilterChanged() { UpdateAllViews(nullptr, FwUpdateKind::FilterChanged); }

void CExploreDoc::UpdateTitle(const std::string& text) {
  std::string title;
  switch (mode_) {
    case ExploreMode::open: title = "Open"; break;
    case ExploreMode::save_as:
      SYS_ASSERT(attached_ && "pAttachedDoc");
      title = "Save " + attached_->SaveAsTitle();
      break;
  }
  if (!text.empty()) title += " [" + text + "]";
  SetTitle(title);
  UpdateFrameTitles();
}

void CExploreDoc::SetNamesFromList(const std::vector<std::string>& names) {
  CExploreFrame* frame = Frame();
  if (frame == nullptr || frame->BottomBar() == nullptr) return;
  QStringList shown;
  for (const std::string& name : names) shown << FieldName(name);
  QLineEdit* field = frame->BottomBar()->GetWndFileName();
  field->setText(shown.join(' '));
  list_names_ = names;
  list_field_ = field->text();
}

void CExploreDoc::DocAction() {
  CExploreFrame* frame = Frame();
  if (frame == nullptr || frame->BottomBar() == nullptr) return;
  QLineEdit* field = frame->BottomBar()->GetWndFileName();
  if (field->text().isEmpty()) {
    Shell_Sink().beep(SHELL_MB_ICONEXCLAMATION);
    return;
  }
  CDriveView* tree = GetDriveView();
  ExploreActionInput input;
  input.mode = mode_;
  input.field = field->text().toStdString();
  if (field->text() == list_field_) input.names = list_names_;
  input.folder = path_;
  input.is_subfolder = [tree](const std::string& name) { return tree->IsFolder(name, false); };
  input.is_folder = [](const std::string& path) {
    struct stat st;
    return DirUtil_SkipServerPrefix(path.c_str()) == nullptr && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  };
  input.file_exists = [](const std::string& path) { return DirUtil_FileExists(path.c_str()); };
  input.is_open = [](const std::string& path) { return Shell_Neighbours().program->IsOpen(path.c_str()); };

  int open_mode = CfgFileMode_Auto;
  bool read_only = false;
  CFileOpenAsCB* open_as = frame->TopBar() != nullptr ? frame->TopBar()->OpenAs() : nullptr;
  switch (mode_) {
    case ExploreMode::open:
      if (open_as != nullptr) {
        open_mode = open_as->GetMode();
        std::string probe = input.field;
        DesignerFileType type;
        if (open_as->GetPluginFileType(&probe, &type, false) >= 0 && !type.extension.empty())
          input.default_extension = type.extension;
      }
      if (frame->TopBar() != nullptr && frame->TopBar()->ReadOnly() != nullptr)
        read_only = frame->TopBar()->ReadOnly()->isChecked();
      input.binary_program =
          Cfg_IsBinaryFileMode(open_mode) ||
          (open_mode == CfgFileMode_Auto && Cfg_IsBinaryFileMode(windows_.Config().General.NewFileMode));
      break;
    case ExploreMode::save_as:
      if (CFileSaveAsCB* format = frame->TopBar() != nullptr ? frame->TopBar()->SaveAs() : nullptr)
        input.binary_program = !format->HasPlugin() && Cfg_IsBinaryFileMode(format->GetMode());
      break;
    default: Sys_AssertFailed("!\"CExploreDoc::DocAction() invalid ExploreMode\"", __FILE__, __LINE__);
  }

  for (const ExploreAction& action : Explore_DocAction(input)) {
    switch (action.step) {
      case ExploreStep::none: break;
      case ExploreStep::up: tree->Up(); break;
      case ExploreStep::navigate:
        if (tree->SelectPath(action.path, true)) field->clear();
        break;
      case ExploreStep::refuse: Ask("Save As", action.message, SHELL_MB_OK | SHELL_MB_ICONEXCLAMATION); break;
      case ExploreStep::save:
        if (SaveAs(action.path, action.message)) return;  // the window is closing
        break;
      case ExploreStep::activate:
      case ExploreStep::open:
        Shell_Neighbours().program->OpenRequest(action.path.c_str(), open_mode, read_only, false);
        break;
      case ExploreStep::create:
        if (Ask("Open", action.message, SHELL_MB_YESNO | SHELL_MB_ICONQUESTION) == SHELL_IDYES)
          Shell_Neighbours().program->OpenRequest(action.path.c_str(), open_mode, read_only, true);
        break;
    }
  }
}

bool CExploreDoc::SaveAs(const std::string& path, const std::string& question) {
  SYS_ASSERT(attached_ && "pAttachedDoc");
  CExploreFrame* frame = Frame();
  if (CFileSaveAsCB* format = frame != nullptr && frame->TopBar() != nullptr ? frame->TopBar()->SaveAs() : nullptr)
    attached_->SetSaveAsFormat(format->HasPlugin() ? format->GetPluginFileType() : format->GetMode());
  if (!question.empty() &&
      Ask("Save As", question, SHELL_MB_YESNO | SHELL_MB_ICONQUESTION | SHELL_MB_DEFBUTTON2) != SHELL_IDYES)
    return false;
  if (!attached_->SaveAsPath(path)) return false;
  windows_.AddRecentFile(path);
  result_ = 1;
  if (frame != nullptr) frame->close();
  return true;
}

void CExploreDoc::Finish() {
  if (finished_) return;
  finished_ = true;
  if (result_target_ != nullptr) *result_target_ = result_;
  if (mode_ == ExploreMode::save_as && attached_ != nullptr)
    if (FwDocument* doc = attached_->SaveAsFrames()) {
      const std::vector<FwChildFrame*> frames = doc->Frames();
      for (FwChildFrame* f : frames) f->setEnabled(true);
      if (!frames.empty() && frames.front()->mdiArea() != nullptr) {
        frames.front()->raise();
        frames.front()->mdiArea()->setActiveSubWindow(frames.front());
      }
    }
  if (done_ != nullptr) *done_ = !*done_;
  windows_.SaveAsFinished(this);
}

// ------------------------------------------------------------ the window kind

ExplorerWindows::ExplorerWindows(CfgExplore& explore, CfgSettings& config, CfgMruFiles* mru)
    : explore_(explore), config_(config), mru_(mru) {}

ExplorerWindows::~ExplorerWindows() {
  if (Shell_Neighbours().explorer == this) Shell_Neighbours().explorer = previous_;
  for (CExploreDoc* doc : Documents())
    for (FwChildFrame* frame : doc->Frames()) delete frame;
  template_.reset();
}

FwDocTemplate* ExplorerWindows::Template() {
  if (!template_)
    template_ = std::make_unique<FwDocTemplate>(
        IDR_EXPLORETYPE,
        [this] { return std::make_unique<CExploreDoc>(*this, next_mode_, next_attached_, next_plugin_); },
        [this](FwDocument* doc) -> FwChildFrame* {
          return new CExploreFrame(static_cast<CExploreDoc*>(doc), &config_.WindowPositions);
        },
        [](FwDocument* doc, QWidget* parent) -> FwView* { return new CDriveView(doc, parent); });
  return template_.get();
}

std::vector<CExploreDoc*> ExplorerWindows::Documents() const {
  std::vector<CExploreDoc*> out;
  if (template_)
    for (FwDocument* d : template_->Documents())
      if (auto* e = dynamic_cast<CExploreDoc*>(d)) out.push_back(e);
  return out;
}

int ExplorerWindows::Count() const { return static_cast<int>(Documents().size()); }

CExploreDoc* ExplorerWindows::OpenWindow(ExploreMode mode, SaveAsDocument* attached, const SaveAsPlugin* plugin) {
  next_mode_ = mode;
  next_attached_ = attached;
  next_plugin_ = plugin != nullptr ? std::optional<SaveAsPlugin>(*plugin) : std::nullopt;
  FwDocument* doc = Template()->OpenDocument(nullptr);
  next_mode_ = ExploreMode::open;
  next_attached_ = nullptr;
  next_plugin_.reset();
  return dynamic_cast<CExploreDoc*>(doc);
}

void ExplorerWindows::NewExplorer() {
  CExploreDoc* doc = OpenWindow(ExploreMode::open, nullptr, nullptr);
  if (doc == nullptr) return;
  if (!explore_.OpenDirectory.empty()) doc->GetDriveView()->SelectPath(explore_.OpenDirectory, false);
  if (CExploreFrame* frame = doc->Frame()) {
    frame->show();
    frame->KeepInsideArea();
    if (frame->mdiArea() != nullptr) frame->mdiArea()->setActiveSubWindow(frame);
    if (frame->BottomBar() != nullptr) frame->BottomBar()->GetWndFileName()->setFocus();
  }
  doc->UpdateTitle(doc->CurrentPath());
}

void ExplorerWindows::Activate(int index) {
  const std::vector<CExploreDoc*> docs = Documents();
  if (index < 0 || index >= static_cast<int>(docs.size())) return;
  CExploreFrame* frame = docs[static_cast<size_t>(index)]->Frame();
  if (frame == nullptr) return;
  if (frame->isMinimized()) frame->showNormal();
  frame->raise();
  if (frame->mdiArea() != nullptr) frame->mdiArea()->setActiveSubWindow(frame);
}

std::vector<std::string> ExplorerWindows::FileOpenMenuTexts() const {
  std::vector<std::string> texts{"&Open New Explore Window"};
  const std::vector<CExploreDoc*> docs = Documents();
  for (size_t i = 0; i < docs.size() && ID_EXPLORER_FIRST + static_cast<int>(i) <= ID_EXPLORER_LAST; ++i)
    texts.push_back("&" + std::to_string(i + 1) + " " + docs[i]->Title());
  return texts;
}

void ExplorerWindows::FileOpen() {
  if (Count() == 0) {
    NewExplorer();
    return;
  }
  FwApp* app = Fw_App();
  if (app == nullptr) return;
  QMenu menu;
  const std::vector<std::string> texts = FileOpenMenuTexts();
  menu.addAction(app->Commands().MakeRangeItem(ID_NEW_EXPLORER, QString::fromStdString(texts[0]), &menu));
  menu.addSeparator();
  for (size_t i = 1; i < texts.size(); ++i)
    menu.addAction(app->Commands().MakeRangeItem(ID_EXPLORER_FIRST + static_cast<int>(i) - 1,
                                                 QString::fromStdString(texts[i]), &menu));
  QPoint at = QCursor::pos();
  if (FwMainFrame* main = app->MainFrame()) {
    const QRect area(main->mapToGlobal(QPoint(0, 0)), main->size());
    if (!area.contains(at)) at = area.center();
  }
  menu.exec(at);
}

void ExplorerWindows::AddRecentFile(const std::string& path) {
  if (mru_ != nullptr) mru_->AddFile(path.c_str());
}

void ExplorerWindows::CloseSaveAs() {
  if (save_as_ != nullptr)
    if (CExploreFrame* frame = save_as_->Frame()) frame->close();
}

void ExplorerWindows::SaveAsFinished(CExploreDoc* doc) {
  if (doc == save_as_ && wait_ != nullptr) wait_->Exit(0);
}

int ExplorerWindows::DoSaveAs(SaveAsDocument* doc, const std::string& path, const SaveAsPlugin* plugin) {
  SYS_ASSERT(doc && "pDoc");
  if (save_as_ != nullptr) {
    Ask("Save As", kAlreadySaving, SHELL_MB_OK | SHELL_MB_ICONEXCLAMATION);
    return 0;
  }
  CExploreDoc* explore = OpenWindow(ExploreMode::save_as, doc, plugin);
  if (explore == nullptr) return 0;
  std::string folder, name;
  SplitPath(path, &folder, &name);
  if (!folder.empty() && explore->GetDriveView()->SelectPath(folder, false)) {
    explore->GetFileView()->SelectName(name);
    if (!name.empty()) explore->SetNamesFromList({name});
  } else if (!name.empty()) {
    explore->SetNamesFromList({name});
  }
  // The document's own windows wait while its Save As is open.
  if (FwDocument* attached = doc->SaveAsFrames())
    for (FwChildFrame* f : attached->Frames()) f->setEnabled(false);
  explore->UpdateTitle(explore->CurrentPath());
  if (CExploreFrame* frame = explore->Frame()) {
    frame->show();
    frame->KeepInsideArea();
    if (frame->mdiArea() != nullptr) frame->mdiArea()->setActiveSubWindow(frame);
    if (frame->BottomBar() != nullptr) frame->BottomBar()->GetWndFileName()->setFocus();
  }

  save_as_ = explore;
  int result = 0;
  bool done = false;
  explore->SetResultTarget(&result, &done);
  FwNestedWait wait;
  wait_ = &wait;
  wait.Run();
  wait_ = nullptr;
  if (!done) {
    // The application is quitting: the window goes and the quit is passed on.
    explore->SetResultTarget(nullptr, nullptr);
    save_as_ = nullptr;
    if (CExploreFrame* frame = explore->Frame()) frame->close();
    QCoreApplication::quit();
    return 0;
  }
  save_as_ = nullptr;
  return result;
}

std::unique_ptr<ExplorerWindows> Explorer_Install(CfgExplore& explore, CfgSettings& config, CfgMruFiles* mru) {
  // One frame per explore document, tracked by the template; the frames
  // keep their own place.
  if (FwApp* app = Fw_App(); app != nullptr && app->Windows().Kind(IDR_EXPLORETYPE) == nullptr)
    app->Windows().Register(
        {IDR_EXPLORETYPE, ID_NONE, nullptr, FwKindScope::PerDocument, FwKindHost::MdiChild, nullptr},
        Explore_CommandRows(), Explore_PlaceRows());
  auto windows = std::make_unique<ExplorerWindows>(explore, config, mru);
  windows->previous_ = Shell_Neighbours().explorer;
  Shell_Neighbours().explorer = windows.get();
  return windows;
}
