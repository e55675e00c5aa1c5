// Names one item of the shell namespace, either by its item identifier list or by the code
// of a special folder (a CSIDL value), whose list is looked up on first use and kept.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "ui/Pidl.h"

namespace app {

class TVtShellLocator {
 public:
  enum class Kind : uint8_t { IdList = 0, SpecialFolder = 1 };

  // An empty locator: kind IdList without a list. Where a folder is needed it means the
  // desktop; as a folder to preselect it means none.
  TVtShellLocator() = default;
  // Deep copies: kind, code and a copy of the list.
  TVtShellLocator(const TVtShellLocator& other) { Assign(other); }
  TVtShellLocator& operator=(const TVtShellLocator& other) {
    if (this != &other) Assign(other);
    return *this;
  }

  static TVtShellLocator FromSpecialFolder(uint8_t csidl);
  // A locator holding a copy of the list (null gives the empty locator).
  static TVtShellLocator FromIdList(LPCITEMIDLIST list);

  void Assign(const TVtShellLocator& other);
  void SetSpecialFolder(uint8_t csidl);
  void SetIdList(LPCITEMIDLIST list);

  Kind GetKind() const { return kind_; }
  uint8_t SpecialFolder() const { return csidl_; }
  // The absolute item identifier list; null for an empty locator and for a special folder
  // that the system does not know.
  LPCITEMIDLIST IdList() const;
  bool IsEmpty() const { return kind_ == Kind::IdList && list_.IsNull(); }

  // The binary form stored in layout data: the kind byte; for a special folder one byte with
  // the code; for a list its byte count (32-bit little-endian) and its bytes, where a count
  // of 0 stands for the special folder 0, the desktop.
  std::vector<uint8_t> SaveDesignData() const;
  // False, leaving the locator unchanged, when the data is truncated or of an unknown kind.
  bool LoadDesignData(const std::vector<uint8_t>& data);

 private:
  Kind kind_ = Kind::IdList;
  uint8_t csidl_ = 0;
  mutable ui::Pidl list_;
};

}  // namespace app
