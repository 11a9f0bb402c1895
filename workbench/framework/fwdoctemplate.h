// A document template: makes a document of one kind, its child frame and
// the frame's first view, and owns the documents it made until their last
// view goes.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

class FwDocument;
class FwView;
class FwChildFrame;
class QWidget;

class FwDocTemplate {
 public:
  using DocFactory = std::function<std::unique_ptr<FwDocument>()>;
  using FrameFactory = std::function<FwChildFrame*(FwDocument*)>;
  using ViewFactory = std::function<FwView*(FwDocument*, QWidget* parent)>;

  // A null frame factory makes plain FwChildFrames.
  FwDocTemplate(int resource_id, DocFactory doc, FrameFactory frame, ViewFactory view);
  ~FwDocTemplate();
  FwDocTemplate(const FwDocTemplate&) = delete;
  FwDocTemplate& operator=(const FwDocTemplate&) = delete;

  int ResourceId() const { return resource_id_; }
  // A new document (null path) or one read from a path, shown in a new child
  // frame of the main frame. Null when the document refused.
  FwDocument* OpenDocument(const char* path);
  // Another window on a document.
  FwChildFrame* CreateFrame(FwDocument* doc);
  // A view of a document, for a frame's splitter.
  FwView* CreateView(FwDocument* doc, QWidget* parent) const { return view_(doc, parent); }

  std::vector<FwDocument*> Documents() const;
  // Called by a document whose last view went: the document leaves the list
  // and is deleted when safe (fwlifetime.h).
  void DocumentClosed(FwDocument* doc);

 private:
  int resource_id_;
  DocFactory doc_;
  FrameFactory frame_;
  ViewFactory view_;
  std::vector<std::unique_ptr<FwDocument>> docs_;
  int untitled_ = 0;
};
