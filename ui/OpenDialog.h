// The system's open-file dialog (GetOpenFileNameW), configured once and shown as often as
// needed; it offers the last chosen name again.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

class OpenDialog {
 public:
  // Pairs of description and pattern separated by "|": "Text files|*.txt|All|*.*".
  void SetFilter(const std::string& filter) { filter_ = filter; }
  // Handed to the system unchanged.
  void SetDefaultExt(const std::string& extension) { defaultExt_ = extension; }
  void SetTitle(const std::string& title) { title_ = title; }
  void SetInitialDir(const std::string& folder) { initialDir_ = folder; }
  const std::string& InitialDir() const { return initialDir_; }
  // OFN_* flags; Explorer style, read-only box hidden and resizable unless changed.
  void SetOptions(DWORD flags) { flags_ = flags; }
  DWORD Options() const { return flags_; }

  // The chosen file's full name after a confirmed choice. The next showing offers its name
  // again, in the initial folder.
  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& name) { fileName_ = name; }

  // Shows the dialog modally; true when the user confirmed a choice.
  bool Execute(HWND owner);

 private:
  std::string filter_;
  std::string defaultExt_;
  std::string title_;
  std::string initialDir_;
  std::string fileName_;
  DWORD flags_ = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING;
};

// The filter in the system's form: each piece ends in a zero, the whole in a second zero.
std::string SystemFilterText(const std::string& filter);

// The folder the system is asked to start in: without a trailing "\" unless it follows ":"
// (C:\ stays C:\), and "." for an empty folder when the fallback is on.
std::string DialogStartFolder(const std::string& folder, bool currentDirFallback);

}  // namespace ui
