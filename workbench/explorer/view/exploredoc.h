// The explore windows: Open windows (any number) and the one Save As
// window, each a document (CExploreDoc) in a child frame with the folder
// tree and the file list. ExplorerWindows owns the window kind: its
// template, the File Open menu, the count and activation of the windows,
// and the modal Save As; it is the shell's explorer neighbour.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QString>

#include "workbench/explorer/exploremodel.h"
#include "workbench/framework/fwdocument.h"
#include "workbench/shell/neighbours.h"

class CDriveView;
class CFileView;
class CExploreFrame;
class CfgExplore;
class CfgMruFiles;
class CfgSettings;
class ExplorerWindows;
class FwDocTemplate;
class FwNestedWait;

class CExploreDoc : public FwDocument {
 public:
  CExploreDoc(ExplorerWindows& windows, ExploreMode mode, SaveAsDocument* attached, std::optional<SaveAsPlugin> plugin);
  ~CExploreDoc() override;

  bool OnNewDocument() override;

  // The modal Save As of `doc` (see saveas.h); the explorer neighbour's.
  static int DoSaveAs(SaveAsDocument* doc, const std::string& path, const SaveAsPlugin* plugin);

  ExploreMode Mode() const { return mode_; }
  SaveAsDocument* Attached() const { return attached_; }
  const SaveAsPlugin* Plugin() const { return plugin_ ? &*plugin_ : nullptr; }
  ExplorerWindows& Windows() const { return windows_; }
  CExploreFrame* Frame() const;
  CDriveView* GetDriveView() const;
  CFileView* GetFileView() const;

  // The folder the list shows ("" for the computer).
  const std::string& CurrentPath() const { return path_; }
  // The tree selected a folder: the title and the list follow.
  void SetCurrentPath(const std::string& path);
  // The filter changed: the list refills.
  void FilterChanged();
  // "Open" or "Save " + the document's title, then " [text]".
  void UpdateTitle(const std::string& text);

  // The list's selection of files: the field shows them (a name with
  // blanks in quotes) and, while it is not edited, stands for exactly these
  // names, kept as bytes.
  void SetNamesFromList(const std::vector<std::string>& names);
  // OK or Enter of the file-name field.
  void DocAction();

  // Where the result and the end of a Save As go when the window closes.
  void SetResultTarget(int* result, bool* done) {
    result_target_ = result;
    done_ = done;
  }
  int Result() const { return result_; }
  // The frame is closing: the Save As result is handed over.
  void Finish();

 private:
  bool SaveAs(const std::string& path, const std::string& question);
  void OpenName(const ExploreAction& action);

  ExplorerWindows& windows_;
  ExploreMode mode_;
  SaveAsDocument* attached_;
  std::optional<SaveAsPlugin> plugin_;
  std::string path_;
  std::vector<std::string> list_names_;
  QString list_field_;
  int result_ = 0;
  int* result_target_ = nullptr;
  bool* done_ = nullptr;
  bool finished_ = false;
};

class ExplorerWindows : public ExplorerLink {
 public:
  // `explore` holds the explorer settings, `config` the environment's
  // (open mode of new files, window positions), `mru` the recent files.
  ExplorerWindows(CfgExplore& explore, CfgSettings& config, CfgMruFiles* mru);
  ~ExplorerWindows() override;
  ExplorerWindows(const ExplorerWindows&) = delete;
  ExplorerWindows& operator=(const ExplorerWindows&) = delete;

  // ExplorerLink.
  bool Plugged() const override { return true; }
  bool SaveAsOpen() const override { return save_as_ != nullptr; }
  void CloseSaveAs() override;
  int Count() const override;
  void FileOpen() override;
  void NewExplorer() override;
  void Activate(int index) override;
  int DoSaveAs(SaveAsDocument* doc, const std::string& path, const SaveAsPlugin* plugin) override;

  // The explore documents, in the order they were opened.
  std::vector<CExploreDoc*> Documents() const;
  CExploreDoc* SaveAsDoc() const { return save_as_; }

  // The Save As document's window closed.
  void SaveAsFinished(CExploreDoc* doc);

  CfgExplore& Explore() const { return explore_; }
  CfgSettings& Config() const { return config_; }
  void AddRecentFile(const std::string& path);

  // The File Open menu: "&Open New Explore Window" and one item per open
  // explore window; its actions (for tests).
  std::vector<std::string> FileOpenMenuTexts() const;

 private:
  CExploreDoc* OpenWindow(ExploreMode mode, SaveAsDocument* attached, const SaveAsPlugin* plugin);
  FwDocTemplate* Template();

  CfgExplore& explore_;
  CfgSettings& config_;
  CfgMruFiles* mru_;
  std::unique_ptr<FwDocTemplate> template_;
  // What the next document is made with.
  ExploreMode next_mode_ = ExploreMode::open;
  SaveAsDocument* next_attached_ = nullptr;
  std::optional<SaveAsPlugin> next_plugin_;
  CExploreDoc* save_as_ = nullptr;
  FwNestedWait* wait_ = nullptr;
  ExplorerLink* previous_ = nullptr;  // the neighbour before Explorer_Install

  friend std::unique_ptr<ExplorerWindows> Explorer_Install(CfgExplore&, CfgSettings&, CfgMruFiles*);
};

// Registers the explore windows' rows and plugs `windows` in as the
// shell's explorer neighbour (until it is destroyed).
std::unique_ptr<ExplorerWindows> Explorer_Install(CfgExplore& explore, CfgSettings& config, CfgMruFiles* mru);
