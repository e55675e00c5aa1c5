#include "platform/StorageKind.h"

#include <windows.h>
#include <winioctl.h>

#include "platform/win32/Handles.h"

namespace platform {

namespace {

// The device name of the volume mounted at root ("C:\" -> "\\.\C:"; a volume mounted in a
// folder by its volume name without the trailing "\").
std::string VolumeDevice(const std::string& root) {
  if (root.size() == 3 && root[1] == ':') return std::string("\\\\.\\") + root.substr(0, 2);
  char name[MAX_PATH];
  if (!GetVolumeNameForVolumeMountPointA(root.c_str(), name, sizeof name)) return std::string();
  std::string device = name;
  if (!device.empty() && device.back() == '\\') device.pop_back();
  return device;
}

// Whether the volume's device reports a seek penalty (an HDD does; flash does not).
StorageKind KindBySeekPenalty(const std::string& root) {
  const std::string device = VolumeDevice(root);
  if (device.empty()) return StorageKind::Unknown;
  // No access asked: enough for a query of the device's properties, and granted to anyone.
  const FileHandle volume(CreateFileA(device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
  if (!volume.IsValid()) return StorageKind::Unknown;
  STORAGE_PROPERTY_QUERY query = {};
  query.PropertyId = StorageDeviceSeekPenaltyProperty;
  query.QueryType = PropertyStandardQuery;
  DEVICE_SEEK_PENALTY_DESCRIPTOR penalty = {};
  DWORD returned = 0;
  if (!DeviceIoControl(volume.Get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, &penalty,
                       sizeof penalty, &returned, nullptr) ||
      returned < sizeof penalty) {
    return StorageKind::Unknown;
  }
  return penalty.IncursSeekPenalty ? StorageKind::Rotating : StorageKind::SolidState;
}

}  // namespace

StorageKind StorageKindOf(const std::string& folder) {
  char root[MAX_PATH];
  if (!GetVolumePathNameA(folder.c_str(), root, sizeof root)) return StorageKind::Unknown;
  switch (GetDriveTypeA(root)) {
    case DRIVE_CDROM:
      return StorageKind::Optical;
    case DRIVE_REMOTE:
      return StorageKind::Network;
    case DRIVE_RAMDISK:
      return StorageKind::Memory;
    case DRIVE_FIXED:
    case DRIVE_REMOVABLE:
      return KindBySeekPenalty(root);
    default:
      return StorageKind::Unknown;
  }
}

}  // namespace platform
