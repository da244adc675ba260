// The kind of disk that holds a file on POSIX: the device's
// queue/rotational in sysfs, found from the file system's device number.
#include "platform/posix/disk_kind.h"

#include <limits.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <fstream>

#include "platform/posix/posix_file_system.h"
#include "text/text.h"

namespace korven {

namespace {

// The first line of a sysfs attribute, without the blanks around it; false
// when it can't be read.
bool ReadAttribute(const std::string& path, std::string* value) {
  std::ifstream file(path);
  std::string line;
  if (!std::getline(file, line)) return false;
  *value = Trim(line, " \t\r\n");
  return true;
}

// A hypervisor's disk, which the kernel often marks rotational although
// nothing beneath it seeks. `devicePath` is where sysfs places the device,
// `disk` its directory.
bool IsVirtualDisk(const std::string& devicePath, const std::string& disk) {
  const std::string path = UpperAscii(devicePath);
  for (const char* bus : {"/VIRTIO", "/XEN", "/VBD-", "/VMBUS"}) {
    if (path.find(bus) != std::string::npos) return true;
  }
  std::string vendor;
  if (!ReadAttribute(disk + "/device/vendor", &vendor)) return false;
  for (const char* hypervisor : {"QEMU", "VMware", "Msft", "VBOX", "Red Hat"}) {
    if (vendor.starts_with(hypervisor)) return true;
  }
  return false;
}

}  // namespace

DiskKind DiskKindOfDevice(const std::string& sysfsRoot, unsigned major, unsigned minor) {
  // A link into the device tree: ../../devices/pci0000:00/.../block/sda/sda1.
  const std::string entry = sysfsRoot + "/dev/block/" + std::to_string(major) + ":" + std::to_string(minor);
  char target[PATH_MAX];
  const ssize_t length = readlink(entry.c_str(), target, sizeof target);
  if (length < 0) return DiskKind::kUnknown;
  // A partition has no queue of its own: its disk is the directory above.
  const std::string disk = access((entry + "/partition").c_str(), F_OK) == 0 ? entry + "/.." : entry;
  std::string rotational;
  if (!ReadAttribute(disk + "/queue/rotational", &rotational)) return DiskKind::kUnknown;
  if (rotational == "0") return DiskKind::kSolidState;
  if (rotational != "1") return DiskKind::kUnknown;
  return IsVirtualDisk(std::string(target, static_cast<size_t>(length)), disk) ? DiskKind::kSolidState
                                                                             : DiskKind::kRotational;
}

std::optional<uint64_t> PosixFileSystem::BlocksReadByThisThread() {
#ifdef RUSAGE_THREAD
  // The kernel counts the blocks a thread's reads had the disk fetch, where
  // it keeps I/O accounting, which /proc/self/io shows; elsewhere the count
  // stays 0 whatever is read.
  static const bool counted = access("/proc/self/io", R_OK) == 0;
  struct rusage usage;
  if (counted && getrusage(RUSAGE_THREAD, &usage) == 0) return static_cast<uint64_t>(usage.ru_inblock);
#endif
  return std::nullopt;
}

DiskKind PosixFileSystem::DiskKindOf(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return DiskKind::kUnknown;
  return DiskKindOfDevice(sysfsRoot_, major(st.st_dev), minor(st.st_dev));
}

}  // namespace korven
