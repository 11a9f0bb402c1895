// The designer joining the environment's shell: its windows (template and
// window kinds) are added to the application and the shell's designer
// neighbour answers through the plug-in manager and the dialog documents.
// Alive while the environment runs.
#pragma once

#include <memory>
#include <string>

class FwApp;
class DlgWindows;

class DlgShellPlug {
 public:
  virtual ~DlgShellPlug() = default;
  virtual DlgWindows& Windows() = 0;
  // A file that a plug-in's file type claims opens in the designer (its
  // failures are the designer's to show) and the answer is true; any other
  // file is left to the caller.
  virtual bool OpenClaimedFile(const std::string& path) = 0;
  // Lists every open dialog document in the cross-reference window (the
  // files opened before the browse bar was there).
  virtual void ShowInXref() = 0;
};

// Installs the designer for `app`; the shell's neighbour goes back to what
// it was when the result is destroyed. The plug-ins load, when the shell
// starts the designer, from `plugin_dir` (empty: the installation's lib
// directory).
std::unique_ptr<DlgShellPlug> Designer_Install(FwApp& app, std::string plugin_dir = {});
