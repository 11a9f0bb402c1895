#include "workbench/framework/fwdoctemplate.h"

#include <algorithm>

#include "workbench/framework/fwapp.h"
#include "workbench/framework/fwchildframe.h"
#include "workbench/framework/fwdocument.h"
#include "workbench/framework/fwlifetime.h"
#include "workbench/framework/fwmainframe.h"
#include "workbench/framework/fwview.h"

FwDocTemplate::FwDocTemplate(int resource_id, DocFactory doc, FrameFactory frame, ViewFactory view)
    : resource_id_(resource_id), doc_(std::move(doc)), frame_(std::move(frame)), view_(std::move(view)) {}

FwDocTemplate::~FwDocTemplate() {
  // Documents go after their frames; a frame still open loses its document
  // pointer through the views' own clean-up.
  for (auto& d : docs_) d->SetTemplate(nullptr);
}

FwDocument* FwDocTemplate::OpenDocument(const char* path) {
  std::unique_ptr<FwDocument> doc = doc_();
  if (!doc) return nullptr;
  doc->SetTemplate(this);
  bool ok = path == nullptr ? doc->OnNewDocument() : doc->OnOpenDocument(path);
  if (!ok) return nullptr;
  if (path != nullptr)
    doc->SetPathName(path);
  else if (doc->Title().empty())
    doc->SetTitle("Untitled" + std::to_string(++untitled_));
  FwDocument* raw = doc.get();
  docs_.push_back(std::move(doc));
  if (CreateFrame(raw) == nullptr) {
    DocumentClosed(raw);
    return nullptr;
  }
  return raw;
}

FwChildFrame* FwDocTemplate::CreateFrame(FwDocument* doc) {
  FwChildFrame* frame = frame_ ? frame_(doc) : new FwChildFrame(doc);
  if (frame == nullptr) return nullptr;
  frame->CreateClient(this);
  if (FwApp* app = Fw_App()) {
    // A registered kind knows its windows before they first show.
    app->Windows().Track(resource_id_, frame);
    if (FwMainFrame* main = app->MainFrame()) main->AddChild(frame);
  }
  doc->UpdateFrameTitles();
  return frame;
}

std::vector<FwDocument*> FwDocTemplate::Documents() const {
  std::vector<FwDocument*> out;
  for (const auto& d : docs_) out.push_back(d.get());
  return out;
}

void FwDocTemplate::DocumentClosed(FwDocument* doc) {
  auto it = std::find_if(docs_.begin(), docs_.end(), [doc](const auto& d) { return d.get() == doc; });
  if (it == docs_.end()) return;
  // The document leaves the list now and is freed once no route or wait
  // above may still use it.
  std::shared_ptr<FwDocument> closing(std::move(*it));
  docs_.erase(it);
  Fw_WhenSafe([closing]() mutable { closing.reset(); });
}
