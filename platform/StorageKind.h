// What kind of medium a folder lies on, as far as the system tells: the console tool reads
// several files at once only where that does not make the medium seek back and forth.
#pragma once

#include <string>

namespace platform {

enum class StorageKind {
  Unknown,     // the system does not tell (or the folder cannot be reached)
  Rotating,    // a disk that pays for every seek
  SolidState,  // no seek penalty: flash, NVMe
  Memory,      // a RAM disk or a memory-backed file system
  Optical,     // a CD, DVD or Blu-ray drive
  Network,     // a network share
};

// Linux: a memory-backed, network or optical file system by its type; otherwise the block
// device the folder's file system lies on, and whether that device (or, for a partition, the
// disk it is on) is rotational. Windows: the drive type of the folder's volume, then whether
// the volume's device incurs a seek penalty.
StorageKind StorageKindOf(const std::string& folder);

}  // namespace platform
