#include "workbench/framework/fwdocument.h"

#include <algorithm>

#include "workbench/framework/fwchildframe.h"
#include "workbench/framework/fwdoctemplate.h"
#include "workbench/framework/fwview.h"

void FwDocument::SetTitle(const std::string& title) {
  title_ = title;
  UpdateFrameTitles();
}

void FwDocument::SetPathName(const std::string& path) {
  path_ = path;
  size_t slash = path.find_last_of('/');
  SetTitle(slash == std::string::npos ? path : path.substr(slash + 1));
}

void FwDocument::SetModifiedFlag(bool modified) {
  if (modified_ == modified) return;
  modified_ = modified;
  UpdateFrameTitles();
}

void FwDocument::AddView(FwView* view) {
  if (std::find(views_.begin(), views_.end(), view) == views_.end()) views_.push_back(view);
}

void FwDocument::RemoveView(FwView* view) {
  views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
  if (views_.empty() && template_ != nullptr) template_->DocumentClosed(this);  // freed when safe
}

std::vector<FwChildFrame*> FwDocument::Frames() const {
  std::vector<FwChildFrame*> frames;
  for (FwView* v : views_) {
    FwChildFrame* f = v->Frame();
    if (f != nullptr && std::find(frames.begin(), frames.end(), f) == frames.end()) frames.push_back(f);
  }
  return frames;
}

void FwDocument::UpdateAllViews(FwView* sender, FwUpdateKind kind) {
  const FwUpdate update{kind, sender};
  std::vector<FwView*> copy = views_;
  for (FwView* v : copy)
    if (v != sender) v->OnUpdate(update);
}

void FwDocument::UpdateFrameTitles() {
  for (FwChildFrame* f : Frames()) f->UpdateTitle();
}
