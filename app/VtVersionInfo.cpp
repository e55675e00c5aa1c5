#include "app/VtVersionInfo.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "ui/Path.h"

namespace app {

namespace {

constexpr const char* kFieldKeys[kVtVersionFieldCount] = {
    "CompanyName",     "FileDescription",  "FileVersion", "InternalName",   "LegalCopyright",
    "LegalTrademarks", "OriginalFilename", "ProductName", "ProductVersion", "Comments",
};

std::string FourHexDigits(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", value & 0xFFFFu);
  return text;
}

// "StringFileInfo\" + language + code page + "\" from the first Translation entry; with no
// Translation entry the two pieces stay empty, and no key will be found under it.
std::string StringBlockPrefix(const void* info) {
  void* entry = nullptr;
  UINT length = 0;
  std::string language;
  std::string codePage;
  if (VerQueryValueA(info, "\\VarFileInfo\\Translation", &entry, &length) && entry != nullptr &&
      length >= sizeof(DWORD)) {
    const DWORD translation = *static_cast<const DWORD*>(entry);
    language = FourHexDigits(LOWORD(translation));
    codePage = FourHexDigits(HIWORD(translation));
  }
  return "StringFileInfo\\" + language + codePage + "\\";
}

// The value's text up to its zero, and never past the end of the block: a damaged block may hold
// no zero, and the length the system gives is not that of the ANSI text on every system.
std::string QueryString(const std::vector<char>& info, const std::string& key) {
  void* text = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(info.data(), key.c_str(), &text, &length) || text == nullptr) return {};
  const char* begin = static_cast<const char*>(text);
  const char* end = info.data() + info.size();
  if (begin < info.data() || begin >= end) return {};
  return std::string(begin, strnlen(begin, static_cast<size_t>(end - begin)));
}

}  // namespace

TVtVersionInfo::TVtVersionInfo(bool ownerLoading) : loading_(ownerLoading) {
  ReadVersionInfo();
}

void TVtVersionInfo::Loaded() {
  loading_ = false;
  ReadVersionInfo();
}

void TVtVersionInfo::SetFilePath(const std::string& path) {
  if (path == filePath_) return;
  filePath_ = path;
  if (!loading_) ReadVersionInfo();
}

const std::string& TVtVersionInfo::FieldValue(int index) const {
  if (index < 0 || index >= static_cast<int>(fieldTexts_.size())) {
    char message[64];
    std::snprintf(message, sizeof message, "List index out of bounds (%d)", index);
    throw std::out_of_range(message);
  }
  return fieldTexts_[static_cast<size_t>(index)];
}

void TVtVersionInfo::ReadVersionInfo() {
  if (filePath_.empty()) filePath_ = ui::ExecutablePath();
  std::vector<std::string> texts(kVtVersionFieldCount, kValueNotAvailable);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(filePath_.c_str(), &ignored);
  if (size != 0) {
    std::vector<char> info(size, '\0');
    GetFileVersionInfoA(filePath_.c_str(), 0, size, info.data());
    const std::string prefix = StringBlockPrefix(info.data());
    for (int index = 0; index < kVtVersionFieldCount; ++index) {
      texts[static_cast<size_t>(index)] = QueryString(info, prefix + kFieldKeys[index]);
    }
  }
  fieldTexts_ = std::move(texts);
}

}  // namespace app
