// A document: the data behind one or more views. It keeps its views, tells
// them of changes through UpdateAllViews(sender, kind), and is a command
// target between its views and their child frame. A document with a model
// answers its title, path and modified flag from the model (it overrides
// Title, PathName and IsModified); the others keep them here.
#pragma once

#include <string>
#include <vector>

#include "workbench/framework/fwcmdtarget.h"
#include "workbench/framework/fwupdate.h"

class FwDocTemplate;
class FwView;
class FwChildFrame;

class FwDocument : public FwCmdTarget {
 public:
  FwDocument() = default;
  ~FwDocument() override = default;
  FwDocument(const FwDocument&) = delete;
  FwDocument& operator=(const FwDocument&) = delete;

  FwDocTemplate* Template() const { return template_; }
  void SetTemplate(FwDocTemplate* t) { template_ = t; }

  virtual std::string Title() const { return title_; }
  virtual void SetTitle(const std::string& title);
  virtual std::string PathName() const { return path_; }
  void SetPathName(const std::string& path);
  virtual bool IsModified() const { return modified_; }
  void SetModifiedFlag(bool modified = true);

  void AddView(FwView* view);
  void RemoveView(FwView* view);
  const std::vector<FwView*>& Views() const { return views_; }
  // The child frames showing this document, in the order of their views.
  std::vector<FwChildFrame*> Frames() const;
  // Calls OnUpdate of every view but the sender.
  void UpdateAllViews(FwView* sender, FwUpdateKind kind = FwUpdateKind::All);
  // Refreshes the titles of the frames showing the document (the main frame
  // does it at idle time too, so a model's modified flag shows).
  void UpdateFrameTitles();

  virtual bool OnNewDocument() { return true; }
  virtual bool OnOpenDocument(const std::string& path) {
    (void)path;
    return true;
  }
  // Asked before the last window closes; false keeps it open.
  virtual bool SaveModified() { return true; }

 private:
  FwDocTemplate* template_ = nullptr;
  std::string title_;
  std::string path_;
  bool modified_ = false;
  std::vector<FwView*> views_;
};
