// The "Help" tab of the browse bar: the help contents as a tree of books
// and pages, read from the help project file that the Help record names.
// A double click shows the entry's address, F1 the pane's own topic.
#pragma once

#include <functional>
#include <string>

#include <QWidget>

#include "workbench/shell/helpcontent.h"

class CfgHelp;
class QTreeWidget;
class QTreeWidgetItem;

class ContentWnd : public QWidget {
 public:
  // Shows a help topic or address (the application's ShowHelp).
  using ShowHelp = std::function<void(const std::string&)>;

  // `help` names the project file and builds the base address from its "M"
  // line; it outlives the pane.
  ContentWnd(CfgHelp* help, ShowHelp show_help, QWidget* parent = nullptr);

  // Drops every entry and reads the project file again. A file that is not
  // there leaves the tree empty without a word; a bad line shows the
  // syntax-error box and keeps the entries read before it.
  void Reload();

  QTreeWidget* Tree() const { return tree_; }
  const HelpContents& Contents() const { return contents_; }
  // The entry a tree row shows.
  const ContentItem* ItemOf(const QTreeWidgetItem* row) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void AddRows(QTreeWidgetItem* parent, const ContentItem& item);

  CfgHelp* help_;
  ShowHelp show_help_;
  QTreeWidget* tree_;
  HelpContents contents_;
};
