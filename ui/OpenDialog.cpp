#include "ui/OpenDialog.h"

#include <commdlg.h>

#include <vector>

#include "platform/win32/TextConversion.h"
#include "ui/Application.h"
#include "ui/Path.h"

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

// The dialog runs in UTF-16, and the chosen name is narrowed without best fit: the ANSI dialog
// maps a character outside the code page to a look-alike, so a file in a folder named with a
// fullwidth full stop would come back as the file of that name in the folder above. "?" names
// nothing.
bool OpenDialog::Execute(HWND owner) {
  const Application* application = Application::CurrentOrNull();
  const std::wstring filter = platform::Widened(SystemFilterText(filter_));
  const std::wstring startFolder = platform::Widened(
      DialogStartFolder(initialDir_, application != nullptr && application->CurrentDirFallback()));
  const std::wstring title = platform::Widened(title_);
  const std::wstring defaultExt = platform::Widened(defaultExt_);
  // The last chosen name is offered without its folder: given a folder in the name, the system
  // starts in that folder instead of the initial one.
  const std::wstring offered = platform::Widened(fileName_.substr(FolderPart(fileName_).size()));
  std::vector<wchar_t> name(kFileNameRoom, L'\0');
  offered.copy(name.data(), name.size() - 1);

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.hInstance = GetModuleHandleW(nullptr);
  dialog.lpstrFilter = filter_.empty() ? nullptr : filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.lpstrInitialDir = startFolder.empty() ? nullptr : startFolder.c_str();
  dialog.lpstrTitle = title.c_str();
  dialog.lpstrDefExt = defaultExt_.empty() ? nullptr : defaultExt.c_str();
  dialog.Flags = flags_;
  if (!GetOpenFileNameW(&dialog)) return false;
  fileName_ = platform::Narrowed(name.data(), platform::Unmappable::QuestionMark);
  return true;
}

}  // namespace ui
