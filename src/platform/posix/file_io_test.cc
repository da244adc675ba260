#include <fcntl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/posix/posix_file_system.h"
#include "testing/temp_dir.h"

namespace korven {
namespace {

size_t OpenDescriptors() {
  size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    (void)entry;
    ++count;
  }
  return count;
}

class PosixFileIoTest : public testing::Test {
 protected:
  TempDir dir_;
  const std::string path_ = dir_.Write("file", "contents");
  PosixFileSystem fs_;
};

// Files only read are closed in batches: however many are read, at most one
// batch stays open.
TEST_F(PosixFileIoTest, FilesReadAreClosedWithoutPilingUp) {
  const size_t before = OpenDescriptors();
  for (int i = 0; i < 1000; ++i) {
    FileHandle handle = i % 2 == 0 ? fs_.OpenForReading(path_) : fs_.OpenFallback(path_);
    ASSERT_NE(handle, kInvalidHandle);
    char byte;
    ASSERT_EQ(fs_.Read(handle, &byte, 1), 1);
    fs_.Close(handle);
  }
  EXPECT_LE(OpenDescriptors(), before + 64);
}

TEST_F(PosixFileIoTest, FileOpenedForUpdateIsClosedAtOnce) {
  FileHandle handle = fs_.OpenForUpdate(path_);
  ASSERT_NE(handle, kInvalidHandle);
  ASSERT_TRUE(fs_.SeekToEnd(handle));
  ASSERT_EQ(fs_.Write(handle, "!", 1), 1);
  const int fd = DescriptorOf(handle);
  ASSERT_NE(fcntl(fd, F_GETFD), -1);
  fs_.Close(handle);
  EXPECT_EQ(fcntl(fd, F_GETFD), -1);
  EXPECT_EQ(ReadFileText(path_), "contents!");
}

}  // namespace
}  // namespace korven
