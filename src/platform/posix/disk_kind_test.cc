#include "platform/posix/disk_kind.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/posix/posix_file_system.h"
#include "testing/temp_dir.h"

namespace korven {
namespace {

namespace fs = std::filesystem;

const char kAtaDisk[] = "pci0000:00/0000:00:1f.2/ata1/host0/target0:0:0/0:0:0:0/block/sda";

struct SysfsFile {
  std::string path;  // under the disk's directory; ending in '/', a directory
  std::string text;
};

// A sysfs tree in `root` where device `major`:`minor` is `device` (a path
// under devices/) holding `files`.
void MakeSysfs(const std::string& root, unsigned major, unsigned minor, const std::string& device,
               const std::vector<SysfsFile>& files) {
  fs::create_directories(root + "/dev/block");
  fs::create_directories(root + "/devices/" + device);
  fs::create_directory_symlink("../../devices/" + device,
                               root + "/dev/block/" + std::to_string(major) + ":" + std::to_string(minor));
  for (const SysfsFile& file : files) {
    const fs::path path = root + "/devices/" + device + "/" + file.path;
    fs::create_directories(path.parent_path());
    if (file.path.ends_with('/')) continue;
    WriteFileText(path.string(), file.text);
  }
}

TEST(DiskKindTest, RotationalFlagTellsAndVirtualDisksCountAsSolidState) {
  struct Case {
    const char* name;
    std::string device;  // empty: the device has no entry
    std::vector<SysfsFile> files;
    DiskKind expected;
  } cases[] = {
      {"nvme", "pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0/nvme0n1", {{"queue/rotational", "0\n"}},
       DiskKind::kSolidState},
      {"ata hdd", kAtaDisk, {{"queue/rotational", "1\n"}, {"device/vendor", "ATA     \n"}}, DiskKind::kRotational},
      {"hdd partition",
       std::string(kAtaDisk) + "/sda1",
       {{"partition", "1\n"}, {"../queue/rotational", "1\n"}, {"../device/vendor", "ATA     \n"}},
       DiskKind::kRotational},
      {"virtio", "pci0000:00/0000:00:02.0/virtio1/block/vda", {{"queue/rotational", "1\n"}}, DiskKind::kSolidState},
      {"qemu scsi",
       "pci0000:00/0000:00:05.0/host2/target2:0:0/2:0:0:0/block/sdb",
       {{"queue/rotational", "1\n"}, {"device/vendor", "QEMU    \n"}},
       DiskKind::kSolidState},
      {"no entry", "", {}, DiskKind::kUnknown},
      {"garbage", kAtaDisk, {{"queue/rotational", "yes\n"}}, DiskKind::kUnknown},
      {"unreadable", kAtaDisk, {{"queue/rotational/", ""}}, DiskKind::kUnknown},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::string root = dir.Path() + "sys";
    if (c.device.empty()) {
      fs::create_directories(root + "/dev/block");
    } else {
      MakeSysfs(root, 8, 1, c.device, c.files);
    }
    EXPECT_EQ(DiskKindOfDevice(root, 8, 1), c.expected) << c.name;
  }
}

// The file system asks about the device that holds the path it is given.
TEST(DiskKindTest, FileSystemFindsTheDeviceOfAPath) {
  TempDir dir;
  const std::string root = dir.Path() + "sys";
  struct stat st;
  ASSERT_EQ(stat(dir.Path().c_str(), &st), 0);
  MakeSysfs(root, major(st.st_dev), minor(st.st_dev), kAtaDisk, {{"queue/rotational", "1\n"}});
  PosixFileSystem fileSystem(root);
  EXPECT_EQ(fileSystem.DiskKindOf(dir.Path()), DiskKind::kRotational);
  EXPECT_EQ(fileSystem.DiskKindOf(dir.Path() + "missing"), DiskKind::kUnknown);
}

}  // namespace
}  // namespace korven
