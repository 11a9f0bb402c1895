// What the explorer's Save As window needs of the document it saves, and
// the file types a plug-in offers for it.
//
// The window is modal for its document: while it is open the document's
// frames are disabled and a second Save As is refused. When the user picks
// a name the window gives the document the chosen format, has it save
// itself under the path (SaveAsPath) and closes on success; the caller of
// the explorer's DoSaveAs learns 1 when the document was saved, else 0, and
// does not save again.
#pragma once

#include <string>
#include <vector>

class FwDocument;

// A file type of a plug-in that documents can be saved in.
struct SaveAsFileType {
  std::string description;  // the entry of the "Save as:" list
  std::string extension;    // ".ext", matched at the end of a name without regard to case
};

// A plug-in's writable file types; `selected` is the document's own.
struct SaveAsPlugin {
  std::vector<SaveAsFileType> types;
  int selected = 0;
};

class SaveAsDocument {
 public:
  virtual ~SaveAsDocument() = default;
  // The document's title ("Save " + title is the window's caption).
  virtual std::string SaveAsTitle() const = 0;
  // The document in the window layer, whose frames the window disables
  // while it is open; null when it has none.
  virtual FwDocument* SaveAsFrames() { return nullptr; }
  // The file mode (1 to 6 of the configuration's file modes) the document
  // is saved in now; asked only of documents without a plug-in.
  virtual int SaveAsFileMode() const = 0;
  // The chosen format: the file mode 1 to 6, or with a plug-in the index
  // into its writable types.
  virtual void SetSaveAsFormat(int format) = 0;
  // Saves under `path` (the name the user chose, taken from the folder the
  // window shows); true when saved.
  virtual bool SaveAsPath(const std::string& path) = 0;
};
