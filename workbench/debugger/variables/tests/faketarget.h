// A target without a connection for the Variables rows: a tree of
// variables that tests change between stops, answering GET_ELEMENTS and
// SET_ELEMENT the way the debugger core does (through VariableHandOver),
// counting requests per path and recording what the rows tell the user.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "workbench/debugger/variables/variablelink.h"
#include "workbench/debugger/variables/variablerows.h"

struct FakeNode {
  uint16_t index = 0;
  std::string name;
  uint8_t kind = VARKIND_INTEGER;
  std::string value;
  std::vector<FakeNode> children;
};

class FakeTarget : public VariableTarget {
 public:
  // The handle every reply carries.
  static constexpr int32_t kHandle = 7;

  bool IsStopped() const override { return stopped; }

  bool GetElements(VariableRows& rows, Variable* parent, int idx) override {
    ++requests;
    const VariablePath path = Variable_GetPath(parent);
    ++requests_by_path[path.indices];
    if (fail_get) return false;
    const std::vector<FakeNode>* nodes = Find(path.indices);
    if (!nodes) return false;
    VariableHandOver hand_over(rows, parent, idx);
    for (const FakeNode& node : *nodes)
      hand_over.Take(Variable_Create(node.kind, node.name.c_str(), node.value, kHandle, node.index));
    return hand_over.Finish();
  }

  bool SetElement(const Variable& var) override {
    set_requests.push_back({Variable_GetPath(&var).indices, var.GetValueText()});
    if (fail_set) return false;
    FakeNode* node = FindNode(Variable_GetPath(&var).indices);
    if (node) node->value = var.GetValueText();
    return node != nullptr;
  }

  void CheckSession() override { ++session_checks; }
  void SetBusy(bool busy) override { busy_changes.push_back(busy); }
  void Beep(unsigned kind) override { beeps.push_back(kind); }
  void Status(int kind, const std::string& text) override { statuses.push_back({kind, text}); }

  // The node at a path of element indices (top level first).
  FakeNode* FindNode(const std::vector<uint16_t>& indices) {
    std::vector<FakeNode>* level = &top;
    FakeNode* node = nullptr;
    for (uint16_t index : indices) {
      node = nullptr;
      if (index < level->size() && (*level)[index].index == index)
        node = &(*level)[index];  // the usual layout: indices are positions
      else
        for (FakeNode& candidate : *level)
          if (candidate.index == index) node = &candidate;
      if (!node) return nullptr;
      level = &node->children;
    }
    return node;
  }

  std::vector<FakeNode> top;
  bool stopped = true;
  bool fail_get = false;
  bool fail_set = false;
  int requests = 0;
  std::map<std::vector<uint16_t>, int> requests_by_path;
  std::vector<std::pair<std::vector<uint16_t>, std::string>> set_requests;
  int session_checks = 0;
  std::vector<bool> busy_changes;
  std::vector<unsigned> beeps;
  std::vector<std::pair<int, std::string>> statuses;

 private:
  const std::vector<FakeNode>* Find(const std::vector<uint16_t>& indices) {
    if (indices.empty()) return &top;
    FakeNode* node = FindNode(indices);
    return node ? &node->children : nullptr;
  }
};

// A window that measures 7 pixels per character and records redraws.
class FakeListHost : public VariableListHost {
 public:
  int MeasureText(const std::string& text) override { return 7 * static_cast<int>(text.size()); }
  void RowsChanged() override { ++rows_changed; }
  void RedrawRow(int row) override { redrawn.push_back(row); }
  void EnsureVisible(int row) override { visible = row; }
  void DestroyEditControl() override { ++edit_controls_destroyed; }
  void ValueWidthChanged(int width) override { widths.push_back(width); }

  int rows_changed = 0;
  std::vector<int> redrawn;
  int visible = -1;
  int edit_controls_destroyed = 0;
  std::vector<int> widths;
};
