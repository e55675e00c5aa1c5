#include "platform/StorageKind.h"

#include <sys/stat.h>

#include <fstream>

#ifdef __linux__
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#endif

namespace platform {

namespace {

#ifdef __linux__

// File system types from statfs (their magic numbers, as the kernel defines them).
StorageKind KindOfFileSystem(unsigned long type) {
  switch (type) {
    case 0x01021994:  // tmpfs
    case 0x858458f6:  // ramfs
      return StorageKind::Memory;
    case 0x6969:      // nfs
    case 0x517B:      // smb
    case 0xFF534D42:  // cifs
    case 0xFE534D42:  // smb2
    case 0x01021997:  // v9fs
    case 0x00C36400:  // ceph
    case 0x5346414F:  // afs
    case 0x73757245:  // coda
      return StorageKind::Network;
    case 0x9660:      // iso9660
    case 0x15013346:  // udf
      return StorageKind::Optical;
    default:
      return StorageKind::Unknown;
  }
}

// The device's queue/rotational flag, or that of the disk a partition belongs to (sysfs keeps
// the queue with the whole disk).
StorageKind KindOfBlockDevice(dev_t device) {
  const std::string base =
      "/sys/dev/block/" + std::to_string(major(device)) + ":" + std::to_string(minor(device));
  for (const char* queue : {"/queue/rotational", "/../queue/rotational"}) {
    std::ifstream flag(base + queue);
    char value = 0;
    if (flag.get(value)) return value == '0' ? StorageKind::SolidState : StorageKind::Rotating;
  }
  return StorageKind::Unknown;
}

#endif

}  // namespace

StorageKind StorageKindOf(const std::string& folder) {
#ifdef __linux__
  struct statfs fileSystem;
  if (statfs(folder.c_str(), &fileSystem) != 0) return StorageKind::Unknown;
  const StorageKind byType = KindOfFileSystem(static_cast<unsigned long>(fileSystem.f_type));
  if (byType != StorageKind::Unknown) return byType;
  struct stat info;
  if (stat(folder.c_str(), &info) != 0) return StorageKind::Unknown;
  // Device 0:N is a file system without a block device of its own (a FUSE mount, an overlay,
  // a btrfs subvolume): its kind cannot be told from the device.
  if (major(info.st_dev) == 0) return StorageKind::Unknown;
  return KindOfBlockDevice(info.st_dev);
#else
  (void)folder;
  return StorageKind::Unknown;
#endif
}

}  // namespace platform
