// Helpers for the editor model tests: a document with its own text and
// configuration, a host that records beeps and status texts, and a fixture
// that opens a model on a text of given lines in a window of a given size
// (cells of 8 x 16 pixels).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "workbench/editor/editmodel.h"
#include "workbench/editor/tests/txttest.h"

namespace edittest {

class TestDoc : public EditDocSlots {
 public:
  TextObj* text = nullptr;
  CfgSettings* config = nullptr;
  uint32_t stop = 0;
  bool modified = true;

  TextObj* GetTextObj() override { return text; }
  CfgSettings* GetDocConfig() override { return config; }
  void SetStopLine(uint32_t n) override { stop = n; }
  bool GetStopLine(uint32_t* n) const override {
    *n = stop;
    return stop != 0;
  }
  void SetModified(bool flag) override { modified = flag; }
};

class RecordingHost : public EditorHost {
 public:
  int beeps = 0;
  std::vector<std::pair<int, std::string>> statuses;
  std::string find;
  std::vector<std::string> history;
  int repaints = 0;

  void Beep() override { ++beeps; }
  void Status(int kind, const std::string& text) override { statuses.emplace_back(kind, text); }
  void Repaint(FwUpdateKind, bool) override { ++repaints; }
  std::string FindText() override { return find; }
  void AddFindHistory(const std::string& text) override { history.push_back(text); }
  std::string LastStatus() const { return statuses.empty() ? std::string() : statuses.back().second; }
  int LastKind() const { return statuses.empty() ? -1 : statuses.back().first; }
};

class Fixture : public txttest::ThrowingChecks {
 protected:
  TextObj text;
  CfgSettings config;
  TestDoc doc;
  RecordingHost host;
  std::unique_ptr<EditorModel> model;

  Fixture() {
    config.File.FileMode = CfgFileMode_Text_LF;
    config.File.Codepage = 1;
    doc.text = &text;
    doc.config = &config;
  }

  // A binary program file: keyword indentation, stops at 0, 3, 6, ...
  void ProgramFile() {
    config.File.FileMode = CfgFileMode_BinaryPROG;
    config.Program.options |= CfgProgram::AutoIndent;
    CfgEditItem* item = config.Edit.GetItemFor(config.File);
    item->IndentSize = 1;
    item->TabSize = 3;
  }

  void Open(const std::vector<std::string>& lines, int cols = 40, int rows = 20) {
    txttest::Load(text, lines);
    model = std::make_unique<EditorModel>(&doc, &host);
    model->SetMetrics(8, 16);
    model->SetClientSize(EV_MARGIN + cols * 8, rows * 16);
    model->InitialUpdate();
  }
};

}  // namespace edittest
