#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/posix/posix_file_system.h"

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
  void SetUp() override {
    path_ = (std::filesystem::temp_directory_path() / ("korven_file_io_" + std::to_string(getpid()))).string();
    std::ofstream(path_) << "contents";
  }
  void TearDown() override { std::filesystem::remove(path_); }

  std::string path_;
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
  ASSERT_GE(fs_.SeekToEnd(handle), 0);
  ASSERT_EQ(fs_.Write(handle, "!", 1), 1);
  const int fd = DescriptorOf(handle);
  ASSERT_NE(fcntl(fd, F_GETFD), -1);
  fs_.Close(handle);
  EXPECT_EQ(fcntl(fd, F_GETFD), -1);
  std::string text;
  std::getline(std::ifstream(path_), text);
  EXPECT_EQ(text, "contents!");
}

}  // namespace
}  // namespace korven
