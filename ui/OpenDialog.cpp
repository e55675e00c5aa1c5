#include "ui/OpenDialog.h"

#include <commdlg.h>

#include <vector>

#include "ui/Application.h"

namespace ui {

namespace {

// Room for any name the dialog can return; it fails rather than truncate.
constexpr size_t kFileNameRoom = 32768;

}  // namespace

std::string SystemFilterText(const std::string& filter) {
  std::string text = filter;
  for (char& c : text) {
    if (c == '|') c = '\0';
  }
  text.push_back('\0');
  text.push_back('\0');
  return text;
}

std::string DialogStartFolder(const std::string& folder, bool currentDirFallback) {
  if (folder.empty()) return currentDirFallback ? "." : "";
  std::string start = folder;
  if (start.size() >= 2 && start.back() == '\\' && start[start.size() - 2] != ':') {
    start.pop_back();
  }
  return start;
}

bool OpenDialog::Execute(HWND owner) {
  const Application* application = Application::CurrentOrNull();
  const std::string filter = SystemFilterText(filter_);
  const std::string startFolder =
      DialogStartFolder(initialDir_, application != nullptr && application->CurrentDirFallback());
  std::vector<char> name(kFileNameRoom, '\0');
  fileName_.copy(name.data(), name.size() - 1);

  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.hInstance = GetModuleHandleA(nullptr);
  dialog.lpstrFilter = filter_.empty() ? nullptr : filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.lpstrInitialDir = startFolder.empty() ? nullptr : startFolder.c_str();
  dialog.lpstrTitle = title_.c_str();
  dialog.lpstrDefExt = defaultExt_.empty() ? nullptr : defaultExt_.c_str();
  dialog.Flags = flags_;
  if (!GetOpenFileNameA(&dialog)) return false;
  fileName_ = name.data();
  return true;
}

}  // namespace ui
