#include "workbench/shell/xrefmodel.h"

#include <algorithm>
#include <strings.h>

#include "workbench/base/sysassert.h"

// ------------------------------------------------------------ items

XrefDoc::XrefDoc(XrefSubject* document) : document_(document), kind_(Text) {
  SYS_ASSERT(document);
  kind_ = document->XrefIsDialog() ? Dialog : document->XrefIsProgram() ? Program : Text;
}

std::string XrefDoc::GetLabel() const {
  std::string label = document_->XrefTitle();
  if (!label.empty() && document_->XrefModified()) label += XREF_MODIFIED_MARKER;
  return label;
}

void XrefDoc::DefaultAction() { document_->XrefActivate(); }

std::vector<XrefMenuEntry> XrefDoc::BuildMenu(bool has_children, bool expanded, bool at_root) const {
  std::vector<XrefMenuEntry> menu;
  menu.push_back({CmdDefault, GetDefaultActionLabel()});
  if (has_children) menu.push_back({CmdExpand, expanded ? "Collaps&e\tSpace" : "&Expand\tSpace"});
  if (at_root) {
    menu.push_back({-1, ""});
    menu.push_back({CmdClose, "Close"});
  }
  return menu;
}

namespace {

struct SegmentPrefix {
  const char* text;
  int kind;
};
// The four-character prefixes of segment texts and the kinds they give.
constexpr SegmentPrefix kPrefixes[] = {
    {"SUB ", XrefDoc::Sub},
    {"FN  ", XrefDoc::Fn},
    {"FN$ ", XrefDoc::FnString},
};
constexpr size_t kPrefixLength = 4;

int segment_kind(const char* text) {
  for (const SegmentPrefix& p : kPrefixes)
    if (strncasecmp(text, p.text, kPrefixLength) == 0) return p.kind;
  return XrefDoc::Main;
}

}  // namespace

XrefSegment::XrefSegment(XrefSubject* document, const char* text, int segment, int line)
    : XrefDoc(document, segment_kind(text ? text : "")), segment_(segment), line_(line) {
  SYS_ASSERT(document);
  SYS_ASSERT(text);
  name_ = GetKind() == Main ? text : text + kPrefixLength;
}

std::string XrefSegment::GetLabel() const {
  for (const SegmentPrefix& p : kPrefixes)
    if (p.kind == GetKind()) return p.text + name_;
  return name_;
}

void XrefSegment::DefaultAction() { Document()->XrefShowLocation(line_); }

// ------------------------------------------------------------ dialog items

XrefDlgItem::XrefDlgItem(XrefSubject* document, XrefDlgObject* object) : XrefDoc(document, Dialog), object_(object) {
  if (object == nullptr) Sys_AssertFailed("anchor", __FILE__, __LINE__);
}

std::string XrefDlgItem::GetLabel() const {
  std::string name = object_->XrefDisplayName();
  return name.empty() ? "Untitled" : name;
}

int XrefDlgItem::GetImage() const {
  int children = object_->XrefHasChildren() ? 1 : 0;
  if (IsDialog()) return DialogImage + children;
  return ObjectImage + children + (object_->XrefClassFlag() ? 2 : 0);
}

std::vector<XrefMenuEntry> XrefDlgItem::BuildMenu(bool has_children, bool expanded, bool at_root) const {
  std::vector<XrefMenuEntry> menu = XrefDoc::BuildMenu(has_children, expanded, at_root);
  menu.front().enabled = object_->XrefVisible();
  bool editable = object_->XrefEditable();
  menu.push_back({-1, ""});
  menu.push_back({CmdDelete, "&Delete", editable && object_->XrefDeletable()});
  menu.push_back({-1, ""});
  menu.push_back({CmdVisible, "&Visible", editable, object_->XrefVisible(), true});
  menu.push_back({-1, ""});
  menu.push_back({CmdProperties, "&Properties..."});
  menu.push_back({CmdPalette, "&Object Palette..."});
  return menu;
}

void XrefDlgItem::ContextCommand(int offset) {
  switch (offset) {
    case CmdDelete: object_->XrefDelete(); break;
    case CmdVisible: object_->XrefToggleVisible(); break;
    case CmdProperties: object_->XrefShowProperties(); break;
    case CmdPalette: object_->XrefShowPalette(); break;
    default: break;
  }
}

// ------------------------------------------------------------ tree

XrefTree::~XrefTree() {
  listener_ = nullptr;
  selected_ = nullptr;
}

XrefNode* XrefTree::FindDocument(XrefSubject* document) const {
  for (const auto& node : roots_)
    if (node->item_->Document() == document) return node.get();
  return nullptr;
}

void XrefTree::Renumber(std::vector<std::unique_ptr<XrefNode>>& list, size_t from) {
  for (size_t i = from; i < list.size(); ++i) list[i]->row_ = static_cast<int>(i);
}

XrefNode* XrefTree::Insert(XrefNode* parent, size_t row, std::unique_ptr<XrefDoc> item) {
  auto& list = ListOf(parent);
  auto node = std::make_unique<XrefNode>();
  node->item_ = std::move(item);
  node->parent_ = parent;
  XrefNode* raw = node.get();
  if (listener_) listener_->BeginInsert(parent, static_cast<int>(row), static_cast<int>(row));
  list.insert(list.begin() + static_cast<std::ptrdiff_t>(row), std::move(node));
  Renumber(list, row);
  if (listener_) listener_->EndInsert();
  // A node that was opened before it had children opens in the view with
  // its first one.
  if (parent != nullptr && parent->expanded_ && list.size() == 1 && listener_) listener_->ExpansionChanged(parent);
  return raw;
}

bool XrefTree::Holds(const XrefNode* node) const {
  std::vector<const XrefNode*> pending;
  for (const auto& root : roots_) pending.push_back(root.get());
  while (!pending.empty()) {
    const XrefNode* at = pending.back();
    pending.pop_back();
    if (at == node) return true;
    for (const auto& child : at->children_) pending.push_back(child.get());
  }
  return false;
}

bool XrefTree::Contains(const XrefNode* ancestor, const XrefNode* node) const {
  for (; node != nullptr; node = node->parent_)
    if (node == ancestor) return true;
  return false;
}

void XrefTree::Remove(XrefNode* node) {
  auto& list = ListOf(node->parent_);
  size_t row = static_cast<size_t>(node->row_);
  if (Contains(node, selected_)) {
    selected_ = nullptr;
    if (listener_) listener_->SelectionChanged(nullptr);
  }
  Forget(node);
  if (listener_) listener_->BeginRemove(node->parent_, node->row_, node->row_);
  list.erase(list.begin() + static_cast<std::ptrdiff_t>(row));
  Renumber(list, row);
  if (listener_) listener_->EndRemove();
}

XrefNode* XrefTree::AddDocument(XrefSubject* document) {
  auto item = std::make_unique<XrefDoc>(document);
  std::string label = item->GetLabel();
  if (label.empty()) return nullptr;
  XrefNode* old = FindDocument(document);
  // Sorted by label without regard to case; equal labels keep their order.
  size_t row = 0;
  while (row < roots_.size() &&
         (roots_[row].get() == old || strcasecmp(roots_[row]->item_->GetLabel().c_str(), label.c_str()) <= 0))
    ++row;
  XrefNode* node = Insert(nullptr, row, std::move(item));
  if (old != nullptr) {
    // The old node's children (with their own children and expansion)
    // pass to the new node in their order.
    if (!old->children_.empty()) {
      std::vector<std::unique_ptr<XrefNode>> moved;
      int last = static_cast<int>(old->children_.size()) - 1;
      if (listener_) listener_->BeginRemove(old, 0, last);
      moved.swap(old->children_);
      if (listener_) listener_->EndRemove();
      if (listener_) listener_->BeginInsert(node, 0, last);
      node->children_ = std::move(moved);
      for (auto& child : node->children_) child->parent_ = node;
      if (listener_) listener_->EndInsert();
    }
    bool expanded = old->expanded_;
    Remove(old);
    if (expanded) SetExpanded(node, true);
  } else {
    // A new document opens, so its segments or dialogs are in sight as
    // they arrive.
    node->expanded_ = true;
  }
  Select(node);
  return node;
}

void XrefTree::RemoveDocument(XrefSubject* document) {
  if (XrefNode* node = FindDocument(document)) Remove(node);
}

XrefNode* XrefTree::SelectDocument(XrefSubject* document) {
  XrefNode* node = FindDocument(document);
  if (node == nullptr) return nullptr;
  if (!(selected_ != nullptr && selected_ != node && Contains(node, selected_))) Select(node);
  return node;
}

void XrefTree::ExpandDocument(XrefSubject* document) {
  if (XrefNode* node = FindDocument(document)) SetExpanded(node, !node->expanded_);
}

void XrefTree::RedrawDocument(XrefSubject* document) {
  if (XrefNode* node = FindDocument(document))
    if (listener_) listener_->Changed(node);
}

XrefNode* XrefTree::AddSegment(XrefSubject* document, const char* text, int segment, int line) {
  XrefNode* node = FindDocument(document);
  if (node == nullptr) return nullptr;
  return Insert(node, node->children_.size(), std::make_unique<XrefSegment>(document, text, segment, line));
}

void XrefTree::RemoveChildren(XrefSubject* document) {
  XrefNode* node = FindDocument(document);
  if (node == nullptr) return;
  while (!node->children_.empty()) Remove(node->children_.back().get());
}

XrefNode* XrefTree::FindSegment(XrefSubject* document, int segment) const {
  XrefNode* node = FindDocument(document);
  if (node == nullptr) return nullptr;
  for (const auto& child : node->children_) {
    const XrefDoc* item = child->item_.get();
    if (item->IsSegment() && static_cast<const XrefSegment*>(item)->Segment() == segment) return child.get();
  }
  return nullptr;
}

XrefNode* XrefTree::FindSegmentAtLine(XrefSubject* document, int line) const {
  XrefNode* node = FindDocument(document);
  if (node == nullptr) return nullptr;
  XrefNode* before = nullptr;
  for (const auto& child : node->children_) {
    const XrefDoc* item = child->item_.get();
    if (!item->IsSegment()) continue;
    if (static_cast<const XrefSegment*>(item)->StartLine() > line) break;
    before = child.get();
  }
  return before;
}

XrefNode* XrefTree::SelectSegment(XrefSubject* document, int segment) {
  XrefNode* node = FindSegment(document, segment);
  if (node == nullptr) return nullptr;
  SetExpanded(node->parent_, true);
  Select(node);
  return node;
}

int XrefTree::GetSelectedIndex(XrefSubject* document) const {
  XrefNode* node = FindDocument(document);
  if (node == nullptr || selected_ == nullptr || selected_->parent_ != node) return -1;
  return selected_->row_;
}

void XrefTree::Select(XrefNode* node) {
  if (selected_ == node) return;
  selected_ = node;
  if (listener_) listener_->SelectionChanged(node);
}

void XrefTree::SetExpanded(XrefNode* node, bool expanded) {
  if (node == nullptr || node->expanded_ == expanded) return;
  node->expanded_ = expanded;
  if (listener_) listener_->ExpansionChanged(node);
}

void XrefTree::DefaultAction(XrefNode* node) {
  if (node == nullptr) return;
  node->item_->DefaultAction();
  if (listener_) listener_->Changed(node);
}

void XrefTree::ContextCommand(XrefNode* node, int offset) {
  if (node == nullptr) return;
  switch (offset) {
    case XrefDoc::CmdDefault: DefaultAction(node); break;
    case XrefDoc::CmdExpand:
      if (!node->children_.empty()) SetExpanded(node, !node->expanded_);
      break;
    case XrefDoc::CmdClose:
      if (node->parent_ == nullptr) node->item_->Document()->XrefClose();
      break;
    default:
      // The command may remove the node: the selection is what is repainted.
      node->item_->ContextCommand(offset);
      if (selected_ != nullptr && listener_) listener_->Changed(selected_);
      break;
  }
}

void XrefTree::Forget(const XrefNode* node) {
  if (const XrefDlgObject* object = node->item_->Object()) objects_.erase(object);
  for (const auto& child : node->children_) Forget(child.get());
}

// ------------------------------------------------------------ dialog documents

XrefNode* XrefTree::FindDlgObject(XrefSubject* document, const XrefDlgObject* object) const {
  auto it = objects_.find(object);
  if (it == objects_.end() || it->second->item_->Document() != document) return nullptr;
  return it->second;
}

XrefDlgObject* XrefTree::GetRootObject(XrefSubject* document) const {
  XrefNode* node = FindDocument(document);
  if (node == nullptr || node->children_.empty()) return nullptr;
  return node->children_.front()->item_->Object();
}

XrefNode* XrefTree::SelectRootObject(XrefSubject* document, XrefDlgObject* object) {
  XrefNode* node = FindDlgObject(document, object);
  if (node == nullptr || node->parent_ == nullptr || node->parent_->parent_ != nullptr) return nullptr;
  SetExpanded(node->parent_, true);
  Select(node);
  return node;
}

XrefNode* XrefTree::AddDlgObject(XrefSubject* document, XrefDlgObject* object) {
  if (object == nullptr) return nullptr;
  XrefDlgObject* parent_object = object->XrefParent();
  XrefNode* parent = parent_object ? FindDlgObject(document, parent_object) : FindDocument(document);
  if (parent == nullptr || objects_.count(object)) return nullptr;
  const auto& siblings = parent->children_;
  size_t row = 0;
  XrefNode* before = FindDlgObject(document, object->XrefPrevSibling());
  if (before != nullptr && before->parent_ == parent) {
    row = static_cast<size_t>(before->row_) + 1;
  } else if (object->XrefInsertAtEnd()) {
    row = siblings.size();
  } else {
    for (size_t i = 0; i < siblings.size(); ++i) {
      const XrefDlgObject* sibling = siblings[i]->item_->Object();
      if (sibling != nullptr && sibling->XrefKeepsPlace()) row = i + 1;
    }
  }
  XrefNode* node = Insert(parent, row, std::make_unique<XrefDlgItem>(document, object));
  objects_[object] = node;
  if (parent_object != nullptr && listener_) listener_->Changed(parent);  // its image shows children now
  return node;
}

XrefNode* XrefTree::SelectDlgObject(XrefDlgObject* object) {
  if (object == nullptr) return nullptr;
  XrefNode* node = FindDlgObject(object->XrefDocument(), object);
  if (node == nullptr) return nullptr;
  for (XrefNode* up = node->parent_; up != nullptr; up = up->parent_) SetExpanded(up, true);
  Select(node);
  return node;
}

void XrefTree::RedrawDlgObject(XrefSubject* document, XrefDlgObject* object) {
  if (XrefNode* node = FindDlgObject(document, object))
    if (listener_) listener_->Changed(node);
}

void XrefTree::RemoveDlgObject(XrefSubject* document, XrefDlgObject* object) {
  if (XrefNode* node = FindDlgObject(document, object)) Remove(node);
}

// ------------------------------------------------------------ dragging

const XrefNode* XrefTree::DialogOf(const XrefNode* node) {
  while (node != nullptr && node->parent_ != nullptr && node->parent_->parent_ != nullptr) node = node->parent_;
  return node;
}

bool XrefTree::CanDrag(const XrefNode* node) const {
  const XrefDlgObject* object = node ? node->item_->Object() : nullptr;
  return object != nullptr && object->XrefParent() != nullptr && !object->XrefParent()->XrefLocked();
}

bool XrefTree::AcceptsDrop(const XrefNode* target, const XrefNode* dragged) const {
  if (target == nullptr || dragged == nullptr || target == dragged || !CanDrag(dragged)) return false;
  const XrefDlgObject* object = target->item_->Object();
  if (object == nullptr || object->XrefParent() == nullptr || object->XrefParent()->XrefKeepsOrder()) return false;
  return DialogOf(target) == DialogOf(dragged);
}

bool XrefTree::Drop(XrefNode* target, XrefNode* dragged, bool after) {
  if (!AcceptsDrop(target, dragged)) return false;
  dragged->item_->Object()->XrefReorder(target->item_->Object(), after);
  return true;
}
