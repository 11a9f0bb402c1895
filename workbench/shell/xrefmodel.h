// The cross-reference tree without windows: one node per open document
// (sorted by label), under a program document one node per segment (the
// main program, each SUB and function) in the order they were added, under
// a dialog document its dialogs and their objects in the object hierarchy
// (dialog objects can be reordered by dragging one onto another). Every
// node holds one item that knows its label, image, default action and
// context menu. The window paints the tree and turns clicks and keys into
// calls here; a listener hears of every insertion, removal and change so
// the window can follow without rebuilding.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// A document as the tree sees it. Program and text documents implement it.
class XrefSubject {
 public:
  virtual ~XrefSubject() = default;
  virtual std::string XrefTitle() const = 0;
  virtual bool XrefModified() const = 0;
  // True for a document in one of the program file modes.
  virtual bool XrefIsProgram() const = 0;
  // True for a dialog document.
  virtual bool XrefIsDialog() const { return false; }
  // Brings every frame of the document forward and makes it active.
  virtual void XrefActivate() = 0;
  // Moves the caret to a line of the program.
  virtual void XrefShowLocation(int line) = 0;
  // Asks every frame of the document to close.
  virtual void XrefClose() = 0;
};

// A dialog object as the tree sees it; the dialog designer's objects
// implement it. A dialog is an object without a parent.
class XrefDlgObject {
 public:
  virtual ~XrefDlgObject() = default;
  virtual XrefDlgObject* XrefParent() const = 0;
  // The object before it among its parent's children, or null.
  virtual XrefDlgObject* XrefPrevSibling() const = 0;
  // The dialog document that holds it.
  virtual XrefSubject* XrefDocument() const = 0;
  // The name, " [", the template's dotted path and " : " when it has one,
  // the class name, "]".
  virtual std::string XrefDisplayName() const = 0;
  virtual bool XrefHasChildren() const = 0;
  // The class flag that chooses between the two object images.
  virtual bool XrefClassFlag() const = 0;
  virtual bool XrefVisible() const = 0;
  // A user-placed object whose parent's class is not locked.
  virtual bool XrefEditable() const = 0;
  virtual bool XrefDeletable() const = 0;
  // Its class is locked: its children are not dragged.
  virtual bool XrefLocked() const = 0;
  // Its class forbids reordering its children.
  virtual bool XrefKeepsOrder() const = 0;
  // Its class puts its item behind its siblings' items.
  virtual bool XrefInsertAtEnd() const = 0;
  // It is of a kind that keeps its place: other items go behind it.
  virtual bool XrefKeepsPlace() const = 0;

  // The designer's operations: activate the view of its dialog and select
  // it; delete it (asking first for a whole dialog); flip its hidden
  // display and its "visible" property; select it in the property window;
  // show its dialog's classes in the object palette; move it before or
  // after a sibling.
  virtual void XrefSelect() = 0;
  virtual void XrefDelete() = 0;
  virtual void XrefToggleVisible() = 0;
  virtual void XrefShowProperties() = 0;
  virtual void XrefShowPalette() = 0;
  virtual void XrefReorder(XrefDlgObject* sibling, bool after) = 0;
};

// What the document title shows after a modified document's title.
inline constexpr const char* XREF_MODIFIED_MARKER = " *";

// One entry of an item's context menu; its command is the menu's first
// command id plus `offset`.
struct XrefMenuEntry {
  int offset = 0;  // -1 for a separator
  std::string text;
  bool enabled = true;
  bool checked = false;
  bool checkable = false;
};

// A document node's item. Kinds: 0 text document, 1 program document,
// 2 main program, 3 SUB, 4 FN, 5 FN$, 6 dialog document (the kind is also
// the image); dialog items have images of their own.
class XrefDoc {
 public:
  enum Kind { Text = 0, Program = 1, Main = 2, Sub = 3, Fn = 4, FnString = 5, Dialog = 6 };
  enum Image {
    DialogImage = 7,  // a dialog; 8 when it has objects
    ObjectImage = 9,  // an object; +1 with children, +2 with its class flag
  };
  // Context commands, as offsets from the menu's first id; the last four
  // only on dialog items.
  enum Command {
    CmdDefault = 0,
    CmdExpand = 1,
    CmdClose = 2,
    CmdDelete = 3,
    CmdVisible = 4,
    CmdProperties = 5,
    CmdPalette = 6,
  };

  explicit XrefDoc(XrefSubject* document);
  virtual ~XrefDoc() = default;
  XrefDoc(const XrefDoc&) = delete;
  XrefDoc& operator=(const XrefDoc&) = delete;

  XrefSubject* Document() const { return document_; }
  int GetKind() const { return kind_; }
  virtual bool IsSegment() const { return false; }
  virtual std::string GetLabel() const;
  virtual int GetImage() const { return kind_; }
  virtual int GetSelectedImage() const { return GetImage(); }
  virtual std::string GetDefaultActionLabel() const { return "Ac&tivate"; }
  virtual void DefaultAction();
  // The menu: the default action, then "&Expand" or "Collaps&e" when the
  // node has children, then for root nodes a separator and "Close".
  virtual std::vector<XrefMenuEntry> BuildMenu(bool has_children, bool expanded, bool at_root) const;
  // A command of the menu beyond the three every item has.
  virtual void ContextCommand(int offset) { (void)offset; }
  // The dialog object of a dialog item, else null.
  virtual XrefDlgObject* Object() const { return nullptr; }

 protected:
  XrefDoc(XrefSubject* document, int kind) : document_(document), kind_(kind) {}

 private:
  XrefSubject* document_;
  int kind_;
};

// A program segment: its kind comes from the first four characters of the
// text it is made from ("SUB ", "FN  ", "FN$ ", without regard to case;
// the rest is the name), any other text being the main program's name.
class XrefSegment : public XrefDoc {
 public:
  XrefSegment(XrefSubject* document, const char* text, int segment, int line);
  bool IsSegment() const override { return true; }
  std::string GetLabel() const override;
  std::string GetDefaultActionLabel() const override { return "Go &To"; }
  void DefaultAction() override;

  const std::string& Name() const { return name_; }
  int Segment() const { return segment_; }
  int StartLine() const { return line_; }

 private:
  std::string name_;
  int segment_;
  int line_;
};

// A dialog or one of its objects.
class XrefDlgItem : public XrefDoc {
 public:
  // A null object is a failed check.
  XrefDlgItem(XrefSubject* document, XrefDlgObject* object);
  XrefDlgObject* Object() const override { return object_; }
  bool IsDialog() const { return object_->XrefParent() == nullptr; }
  // The display name, "Untitled" when it has none.
  std::string GetLabel() const override;
  int GetImage() const override;
  std::string GetDefaultActionLabel() const override { return "Selec&t"; }
  void DefaultAction() override { object_->XrefSelect(); }
  // The common entries (the default greyed while the object is hidden),
  // then "&Delete", "&Visible", "&Properties..." and "&Object Palette...".
  std::vector<XrefMenuEntry> BuildMenu(bool has_children, bool expanded, bool at_root) const override;
  void ContextCommand(int offset) override;

 private:
  XrefDlgObject* object_;
};

class XrefNode {
 public:
  XrefDoc* Item() const { return item_.get(); }
  XrefNode* Parent() const { return parent_; }
  const std::vector<std::unique_ptr<XrefNode>>& Children() const { return children_; }
  bool Expanded() const { return expanded_; }
  // The node's row among its parent's children (the root list for roots).
  int Row() const { return row_; }

 private:
  friend class XrefTree;
  std::unique_ptr<XrefDoc> item_;
  XrefNode* parent_ = nullptr;
  std::vector<std::unique_ptr<XrefNode>> children_;
  bool expanded_ = false;
  int row_ = 0;
};

// Told of every change, so a view can follow the tree. Insertions and
// removals come in pairs around the change itself.
class XrefListener {
 public:
  virtual ~XrefListener() = default;
  // Rows first to last of `parent` (null: the roots).
  virtual void BeginInsert(XrefNode* parent, int first, int last) = 0;
  virtual void EndInsert() = 0;
  virtual void BeginRemove(XrefNode* parent, int first, int last) = 0;
  virtual void EndRemove() = 0;
  // Label or image of a node may have changed.
  virtual void Changed(XrefNode* node) = 0;
  virtual void ExpansionChanged(XrefNode* node) = 0;
  virtual void SelectionChanged(XrefNode* node) = 0;
};

class XrefTree {
 public:
  XrefTree() = default;
  ~XrefTree();
  XrefTree(const XrefTree&) = delete;
  XrefTree& operator=(const XrefTree&) = delete;

  void SetListener(XrefListener* listener) { listener_ = listener; }
  const std::vector<std::unique_ptr<XrefNode>>& Roots() const { return roots_; }
  XrefNode* Selected() const { return selected_; }

  // Adds (or re-announces) a document at its sorted place: a node of the
  // same document hands over its children and expansion and goes; the new
  // node is selected. A document that was not in the tree comes expanded.
  // A document whose label is empty is not added.
  XrefNode* AddDocument(XrefSubject* document);
  void RemoveDocument(XrefSubject* document);
  // Selects the document's node unless one of its children is selected.
  XrefNode* SelectDocument(XrefSubject* document);
  void ExpandDocument(XrefSubject* document);
  void RedrawDocument(XrefSubject* document);
  XrefNode* AddSegment(XrefSubject* document, const char* text, int segment, int line);
  void RemoveChildren(XrefSubject* document);
  XrefNode* FindSegment(XrefSubject* document, int segment) const;
  // The last child that starts at or before `line` (children in tree
  // order); none when the first child already starts after it.
  XrefNode* FindSegmentAtLine(XrefSubject* document, int line) const;
  XrefNode* SelectSegment(XrefSubject* document, int segment);
  // The selected node's row among the document's children, or -1.
  int GetSelectedIndex(XrefSubject* document) const;

  XrefNode* FindDocument(XrefSubject* document) const;
  // Whether the node is (still) in the tree.
  bool Holds(const XrefNode* node) const;
  void Select(XrefNode* node);
  void SetExpanded(XrefNode* node, bool expanded);
  // Runs a context command of a node's menu (an offset, see XrefDoc).
  void ContextCommand(XrefNode* node, int offset);
  // Enter on a node, or a double click: the item's default action, then a
  // repaint of the node.
  void DefaultAction(XrefNode* node);

  // ---- dialog documents ----
  // The object of the first item under a dialog document, or null.
  XrefDlgObject* GetRootObject(XrefSubject* document) const;
  XrefNode* SelectRootObject(XrefSubject* document, XrefDlgObject* object);
  // Inserts an object's item under its parent's item (a dialog under the
  // document): behind its predecessor's item when it has one, else at its
  // own insert position. Null when the parent has no item.
  XrefNode* AddDlgObject(XrefSubject* document, XrefDlgObject* object);
  // Expands the path to the object's item and selects it.
  XrefNode* SelectDlgObject(XrefDlgObject* object);
  void RedrawDlgObject(XrefSubject* document, XrefDlgObject* object);
  void RemoveDlgObject(XrefSubject* document, XrefDlgObject* object);
  XrefNode* FindDlgObject(XrefSubject* document, const XrefDlgObject* object) const;

  // ---- dragging dialog objects ----
  // A drag starts from an object (not a dialog) whose parent's class is
  // not locked.
  bool CanDrag(const XrefNode* node) const;
  // An item takes a drop of another object of the same dialog onto itself
  // unless its parent's class keeps the order of its children.
  bool AcceptsDrop(const XrefNode* target, const XrefNode* dragged) const;
  // Reorders the dragged object before or after the target's; false when
  // the target does not take it.
  bool Drop(XrefNode* target, XrefNode* dragged, bool after);

 private:
  XrefNode* Insert(XrefNode* parent, size_t row, std::unique_ptr<XrefDoc> item);
  void Remove(XrefNode* node);
  std::vector<std::unique_ptr<XrefNode>>& ListOf(XrefNode* parent) { return parent ? parent->children_ : roots_; }
  static void Renumber(std::vector<std::unique_ptr<XrefNode>>& list, size_t from);
  bool Contains(const XrefNode* ancestor, const XrefNode* node) const;
  // Drops a subtree's dialog objects from the index.
  void Forget(const XrefNode* node);
  // The dialog item a node lies in (the child of its document node).
  static const XrefNode* DialogOf(const XrefNode* node);

  std::vector<std::unique_ptr<XrefNode>> roots_;
  std::unordered_map<const XrefDlgObject*, XrefNode*> objects_;
  XrefNode* selected_ = nullptr;
  XrefListener* listener_ = nullptr;
};
