#include "app/ShellItem.h"

#include <utility>

#include "platform/win32/TextConversion.h"
#include "ui/Pidl.h"

namespace app {

namespace {

// The text of a display name; a name handed over as task memory is freed here.
std::string StrRetText(STRRET& name, LPCITEMIDLIST item) {
  switch (name.uType) {
    case STRRET_WSTR: {
      const ui::TaskMemory<LPWSTR> text(std::exchange(name.pOleStr, nullptr));
      return platform::Narrowed(text.Get(), platform::Unmappable::LookAlike);
    }
    case STRRET_OFFSET:
      return reinterpret_cast<const char*>(item) + name.uOffset;
    case STRRET_CSTR:
      return name.cStr;
    default:
      return {};
  }
}

}  // namespace

std::string DisplayName(IShellFolder& folder, LPCITEMIDLIST item, SHGDNF flags) {
  STRRET name{};
  if (FAILED(folder.GetDisplayNameOf(item, flags, &name))) return {};
  return StrRetText(name, item);
}

// Taken in UTF-16 and narrowed without best fit: the ANSI call maps a character outside the code
// page to a look-alike, so a folder named with a fullwidth full stop would come back as "." (its
// parent), or one with a c with circumflex as the folder "c" beside it. "?" names nothing.
std::string FileSystemPath(LPCITEMIDLIST absolute) {
  wchar_t path[MAX_PATH] = {};
  if (!SHGetPathFromIDListW(absolute, path)) return {};
  return platform::Narrowed(path, platform::Unmappable::QuestionMark);
}

bool BindToParent(LPCITEMIDLIST absolute, ui::ComPtr<IShellFolder>& parent, LPCITEMIDLIST& last) {
  if (ui::PidlItemCount(absolute) == 0) return false;
  return SUCCEEDED(SHBindToParent(absolute, IID_IShellFolder, parent.PutVoid(), &last));
}

bool SameItem(IShellFolder& folder, LPCITEMIDLIST a, LPCITEMIDLIST b) {
  const HRESULT order = folder.CompareIDs(0, a, b);
  return SUCCEEDED(order) && static_cast<short>(HRESULT_CODE(order)) == 0;
}

}  // namespace app
