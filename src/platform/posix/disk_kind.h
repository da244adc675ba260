// The kind of a block device, as the kernel's sysfs tells it.
#ifndef KORVEN_PLATFORM_POSIX_DISK_KIND_H_
#define KORVEN_PLATFORM_POSIX_DISK_KIND_H_

#include <string>

#include "platform/file_system.h"

namespace korven {

// The kind of the block device `major`:`minor`, read from the sysfs mounted
// at `sysfsRoot`; kUnknown when it has no entry there (the anonymous devices
// of btrfs, overlay or tmpfs) or the entry can't be read.
DiskKind DiskKindOfDevice(const std::string& sysfsRoot, unsigned major, unsigned minor);

}  // namespace korven

#endif  // KORVEN_PLATFORM_POSIX_DISK_KIND_H_
