#include <fcntl.h>
#include <gtest/gtest.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/posix/open_ring.h"
#include "platform/posix/posix_file_system.h"
#include "platform/system.h"
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

// Files opened together are the files named, each under its own
// directory; a file that can't be opened that way is left to the caller.
TEST_F(PosixFileIoTest, FilesOpenedAllAtOnceAreTheFilesNamed) {
  const std::string a = dir_.Path() + "a/";
  const std::string b = dir_.Path() + "b/";
  ASSERT_EQ(mkdir(a.c_str(), 0755), 0);
  ASSERT_EQ(mkdir(b.c_str(), 0755), 0);
  WriteFileText(a + "one", "1");
  WriteFileText(a + "two", "22");
  WriteFileText(b + "three", "333");
  ASSERT_EQ(mkfifo((a + "fifo").c_str(), 0644), 0);
  struct Case {
    std::string path;
    const char* contents;  // null: left to the caller
  };
  const std::vector<Case> cases = {
      {a + "one", "1"},          {a + "gone", nullptr},   {a + "two", "22"},
      {a + "fifo", ""},          {b + "three", "333"},    {"file", nullptr},
      {a + std::string(PATH_MAX, 'x'), nullptr},         {a, nullptr},
  };
  std::vector<const std::string*> paths;
  for (const Case& c : cases) paths.push_back(&c.path);
  std::vector<FileHandle> handles(cases.size(), 0);

  // The run's own file system is shared by threads: it opens none.
  fs_.OpenAllForReading(paths, handles);
  for (FileHandle handle : handles) EXPECT_EQ(handle, kInvalidHandle);

  std::unique_ptr<FileSystem> own = fs_.NewSearcher();
  if (!OpenRing::Make()) GTEST_SKIP() << "the kernel gives this process no io_uring";
  // Twice: the files closed after the first batch are closed with the
  // second one's opens, and those after the second when the file system goes.
  std::vector<int> closed;
  for (int round = 0; round < 2; ++round) {
    own->OpenAllForReading(paths, handles);
    for (size_t i = 0; i < cases.size(); ++i) {
      if (cases[i].contents == nullptr) {
        EXPECT_EQ(handles[i], kInvalidHandle) << cases[i].path.substr(0, 80);
        continue;
      }
      ASSERT_NE(handles[i], kInvalidHandle) << cases[i].path;
      char bytes[8];
      const int64_t got = own->Read(handles[i], bytes, sizeof bytes);
      EXPECT_EQ(std::string(bytes, static_cast<size_t>(std::max<int64_t>(got, 0))), cases[i].contents);
      own->Close(handles[i]);
      closed.push_back(DescriptorOf(handles[i]));
    }
  }
  own.reset();
  for (int fd : closed) EXPECT_EQ(fcntl(fd, F_GETFD), -1) << "descriptor " << fd << " left open";
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
  EXPECT_EQ(ReadFileText(path_), "contents!");
}

TEST_F(PosixFileIoTest, OpenFileDescribesItself) {
  FindEntry looked;
  ASSERT_TRUE(fs_.LookUp(path_, &looked));
  FileHandle handle = fs_.OpenForReading(path_);
  ASSERT_NE(handle, kInvalidHandle);
  FindEntry described;
  described.name = ".name";  // the hidden attribute comes from the name
  described.attributes = kAttrReparsePoint;  // a handle can't tell a link: kept
  ASSERT_TRUE(fs_.Describe(handle, &described));
  fs_.Close(handle);
  EXPECT_EQ(described.size, 8u);
  EXPECT_EQ(described.times.write, looked.times.write);
  EXPECT_EQ(described.attributes, kAttrArchive | kAttrHidden | kAttrReparsePoint);
  EXPECT_TRUE(described.id.Known());
  EXPECT_EQ(described.id, looked.id);
}

TEST_F(PosixFileIoTest, NothingIsChangedThroughASymbolicLink) {
  const std::string link = path_ + ".link";
  ASSERT_EQ(symlink(path_.c_str(), link.c_str()), 0);
  struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path_.c_str(), old, 0), 0);
  ASSERT_EQ(chmod(path_.c_str(), 0644), 0);

  EXPECT_EQ(fs_.OpenForUpdate(link), kInvalidHandle);
  EXPECT_FALSE(fs_.SetAttributes(link, kAttrReadOnly));
  FileTimes times;
  times.write = times.access = EpochToFileTime(1500000000);
  fs_.SetTimes(link, times);
  struct stat st;
  ASSERT_EQ(stat(path_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, 1000000000);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
}

}  // namespace
}  // namespace korven
