#include "app/VtShellLocator.h"

#include <cstring>

#include "ui/Application.h"

namespace app {

namespace {

uint32_t ReadLittleEndian32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

}  // namespace

TVtShellLocator TVtShellLocator::FromSpecialFolder(uint8_t csidl) {
  TVtShellLocator locator;
  locator.SetSpecialFolder(csidl);
  return locator;
}

TVtShellLocator TVtShellLocator::FromIdList(LPCITEMIDLIST list) {
  TVtShellLocator locator;
  locator.SetIdList(list);
  return locator;
}

void TVtShellLocator::Assign(const TVtShellLocator& other) {
  list_ = ui::Pidl::Copy(other.list_.Get());
  kind_ = other.kind_;
  csidl_ = other.csidl_;
}

void TVtShellLocator::SetSpecialFolder(uint8_t csidl) {
  list_.Close();
  kind_ = Kind::SpecialFolder;
  csidl_ = csidl;
}

void TVtShellLocator::SetIdList(LPCITEMIDLIST list) {
  list_ = ui::Pidl::Copy(list);
  kind_ = Kind::IdList;
  csidl_ = 0;
}

LPCITEMIDLIST TVtShellLocator::IdList() const {
  if (kind_ == Kind::SpecialFolder && list_.IsNull()) {
    if (FAILED(SHGetSpecialFolderLocation(ui::MainWindowHandle(), csidl_, list_.Put()))) {
      list_.Close();
    }
  }
  return list_.Get();
}

std::vector<uint8_t> TVtShellLocator::SaveDesignData() const {
  if (kind_ == Kind::SpecialFolder) return {static_cast<uint8_t>(kind_), csidl_};
  const size_t size = list_.IsNull() ? 0 : ui::PidlSize(list_.Get()) + sizeof(USHORT);
  std::vector<uint8_t> data = {static_cast<uint8_t>(kind_)};
  for (int shift = 0; shift < 32; shift += 8) {
    data.push_back(static_cast<uint8_t>(size >> shift));
  }
  const auto* bytes = reinterpret_cast<const uint8_t*>(list_.Get());
  if (size != 0) data.insert(data.end(), bytes, bytes + size);
  return data;
}

bool TVtShellLocator::LoadDesignData(const std::vector<uint8_t>& data) {
  if (data.size() == 2 && data[0] == static_cast<uint8_t>(Kind::SpecialFolder)) {
    SetSpecialFolder(data[1]);
    return true;
  }
  if (data.size() < 5 || data[0] != static_cast<uint8_t>(Kind::IdList)) return false;
  const uint32_t size = ReadLittleEndian32(&data[1]);
  if (size == 0) {
    SetSpecialFolder(0);
    return true;
  }
  if (data.size() - 5 != size || size < sizeof(USHORT)) return false;
  // The stored bytes must form a list that ends where the data ends.
  std::vector<uint8_t> bytes(data.begin() + 5, data.end());
  size_t at = 0;
  while (at + sizeof(USHORT) <= bytes.size()) {
    USHORT itemSize = 0;
    std::memcpy(&itemSize, &bytes[at], sizeof itemSize);
    if (itemSize == 0) break;
    if (itemSize < sizeof(USHORT) || at + itemSize > bytes.size()) return false;
    at += itemSize;
  }
  if (at + sizeof(USHORT) != bytes.size()) return false;
  SetIdList(reinterpret_cast<LPCITEMIDLIST>(bytes.data()));
  return true;
}

}  // namespace app
