// New folders: made inside the selected folder under the first free name of a series, then
// shown and their labels edited in place; a folder that cannot be made is reported in a box.
#include <cstdio>
#include <vector>

#include "app/VtShellTree.h"
#include "app/resources/FolderDialog.h"
#include "platform/SystemError.h"
#include "platform/UniqueHandle.h"
#include "ui/Application.h"
#include "ui/StringResource.h"

namespace app {

namespace {

constexpr int kHighestNumberedName = 50;

// The folder is made with CreateDirectoryA, past the shell, whose folder objects hear of it
// only from the file system's change notification: that comes late, and later still on the
// desktop. The refresh after the wait reads the children through those objects, and the label
// edit is started on the child that carries the new name; a refresh that does not list the
// folder yet leaves it made but not in the tree, and no edit starts. Hence the wait, with the
// hourglass.
constexpr DWORD kDesktopWaitMs = 2100;
constexpr DWORD kFolderWaitMs = 1000;

// The system's sentence for an error with its full stop, which SystemErrorText leaves out.
std::string SystemSentence(DWORD error) {
  const std::string text = platform::SystemErrorText(error);
  return text.empty() ? text : text + ".";
}

// Text the system allocates for its caller (FORMAT_MESSAGE_ALLOCATE_BUFFER), freed with its owner.
using LocalText = platform::UniqueHandle<platform::ReleasedBy<char*, LocalFree>>;

// A pattern with the system's positional inserts (%1, %2, ...) filled in.
std::string FormatInserts(const std::string& pattern, const std::vector<std::string>& inserts) {
  std::vector<DWORD_PTR> arguments;
  for (const std::string& insert : inserts) {
    arguments.push_back(reinterpret_cast<DWORD_PTR>(insert.c_str()));
  }
  LocalText buffer;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY,
      pattern.c_str(), 0, 0, reinterpret_cast<char*>(buffer.Put()), 0,
      reinterpret_cast<va_list*>(arguments.data()));
  return length != 0 && buffer.IsValid() ? std::string(buffer.Get(), length) : pattern;
}

std::string CurrentDirectory() {
  char path[MAX_PATH] = {};
  const DWORD length = GetCurrentDirectoryA(MAX_PATH, path);
  return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
}

}  // namespace

bool TVtShellTree::CreateNewFolder() {
  const TVtShellNode* node = Node(Selected());
  std::string parent = node != nullptr && !node->path.empty() ? node->path : CurrentDirectory();
  if (parent.empty() || parent.back() != '\\') parent += '\\';
  std::string created;
  const SeriesEnd first = TryNameSeries(parent, "New Folder", " (%d)", created);
  SeriesEnd second = SeriesEnd::Created;
  if (first != SeriesEnd::Created) second = TryNameSeries(parent, "fldr", "%d", created);
  if (first != SeriesEnd::Created && second != SeriesEnd::Created) {
    // A failure already explained in a box is not reported again as a name clash.
    if (first == SeriesEnd::AllExist && second == SeriesEnd::AllExist) {
      ShowCreateWarning(ERROR_ALREADY_EXISTS, "New Folder");
    }
    return false;
  }
  {
    const ui::ScopedScreenCursor hourglass;
    const bool onDesktop = node != nullptr && node->absolute.IsEmpty();
    Sleep(onDesktop ? kDesktopWaitMs : kFolderWaitMs);
  }
  Refresh();
  EditNewFolderLabel(created);
  return true;
}

TVtShellTree::SeriesEnd TVtShellTree::TryNameSeries(const std::string& parent,
                                                    const std::string& base,
                                                    const char* numberFormat,
                                                    std::string& created) {
  for (int number = 1; number <= kHighestNumberedName; ++number) {
    std::string name = base;
    if (number > 1) {
      char suffix[16] = {};
      std::snprintf(suffix, sizeof suffix, numberFormat, number);
      name += suffix;
    }
    if (CreateDirectoryA((parent + name).c_str(), nullptr)) {
      created = name;
      return SeriesEnd::Created;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS) {
      ShowCreateWarning(error, name);
      return SeriesEnd::Failed;
    }
  }
  return SeriesEnd::AllExist;
}

void TVtShellTree::ShowCreateWarning(DWORD error, const std::string& name) {
  const std::string pattern = ui::LoadStringResource(IDS_FOLDER_CREATE_FAILED) + "\r\n\r\n%1";
  const std::string text = FormatInserts(pattern, {SystemSentence(error), name});
  const std::string caption = ui::LoadStringResource(IDS_FOLDER_WARNING);
  MessageBoxA(GetAncestor(Handle(), GA_ROOT), text.c_str(), caption.c_str(),
              MB_OK | MB_ICONWARNING);
}

// Expands the selected folder and starts editing the label of its child of that name.
void TVtShellTree::EditNewFolderLabel(const std::string& name) {
  HTREEITEM selected = Selected();
  if (selected == nullptr) return;
  Expand(selected);
  for (HTREEITEM child = view_.FirstChild(selected); child != nullptr;
       child = view_.NextSibling(child)) {
    if (view_.ItemText(child) == name) {
      view_.EnsureVisible(child);
      SetFocus(Handle());
      view_.EditLabel(child);
      return;
    }
  }
}

}  // namespace app
