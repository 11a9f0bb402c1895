// The cross-reference tree without windows: one node per open document
// (sorted by label), under a program document one node per segment (the
// main program, each SUB and function) in the order they were added. Every
// node holds one item that knows its label, image, default action and
// context menu. The window paints the tree and turns clicks and keys into
// calls here; a listener hears of every insertion, removal and change so
// the window can follow without rebuilding.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

// A document as the tree sees it. Program and text documents implement it.
class XrefSubject {
 public:
  virtual ~XrefSubject() = default;
  virtual std::string XrefTitle() const = 0;
  virtual bool XrefModified() const = 0;
  // True for a document in one of the program file modes.
  virtual bool XrefIsProgram() const = 0;
  // Brings every frame of the document forward and makes it active.
  virtual void XrefActivate() = 0;
  // Moves the caret to a line of the program.
  virtual void XrefShowLocation(int line) = 0;
  // Asks every frame of the document to close.
  virtual void XrefClose() = 0;
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
};

// A document node's item. Kinds: 0 text document, 1 program document,
// 2 main program, 3 SUB, 4 FN, 5 FN$ (the kind is also the image).
class XrefDoc {
 public:
  enum Kind { Text = 0, Program = 1, Main = 2, Sub = 3, Fn = 4, FnString = 5 };
  // Context commands, as offsets from the menu's first id.
  enum Command { CmdDefault = 0, CmdExpand = 1, CmdClose = 2 };

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
  // node is selected. A document whose label is empty is not added.
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
  void Select(XrefNode* node);
  void SetExpanded(XrefNode* node, bool expanded);
  // Runs a context command of a node's menu (an offset, see XrefDoc).
  void ContextCommand(XrefNode* node, int offset);
  // Enter on a node, or a double click: the item's default action, then a
  // repaint of the node.
  void DefaultAction(XrefNode* node);

 private:
  XrefNode* Insert(XrefNode* parent, size_t row, std::unique_ptr<XrefDoc> item);
  void Remove(XrefNode* node);
  std::vector<std::unique_ptr<XrefNode>>& ListOf(XrefNode* parent) { return parent ? parent->children_ : roots_; }
  static void Renumber(std::vector<std::unique_ptr<XrefNode>>& list, size_t from);
  bool Contains(const XrefNode* ancestor, const XrefNode* node) const;

  std::vector<std::unique_ptr<XrefNode>> roots_;
  XrefNode* selected_ = nullptr;
  XrefListener* listener_ = nullptr;
};
