#include "crc/crc_read_ahead.h"

#include <gtest/gtest.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "crc/crc_kernels.h"
#include "platform/file_system.h"
#include "platform/posix/posix_file_system.h"
#include "run/run.h"
#include "run/terminate.h"
#include "listing/test_run.h"
#include "testing/fake_system.h"

namespace korven {
namespace {

// The real file system, counting the files opened on threads other than the test's.
class CountingFileSystem : public PosixFileSystem {
 public:
  std::thread::id listingThread = std::this_thread::get_id();
  std::atomic<int> helperOpens{0};

  FileHandle OpenForReading(const std::string& path) override {
    if (std::this_thread::get_id() != listingThread) ++helperOpens;
    return PosixFileSystem::OpenForReading(path);
  }
};

class CrcReadAheadTest : public testing::Test {
 protected:
  CrcReadAheadTest() {
    run_.message = tmpfile();
    run_.listing = tmpfile();
  }
  ~CrcReadAheadTest() override {
    fclose(run_.message);
    fclose(run_.listing);
  }

  // A file of `size` random bytes, with its entry and its CRC text by the reference kernel.
  void AddFile(size_t size) {
    std::mt19937 random(static_cast<uint32_t>(size + entries_.size()));
    std::string bytes(size, '\0');
    for (char& b : bytes) b = static_cast<char>(random());
    FindEntry entry;
    entry.name = "file" + std::to_string(entries_.size());
    entry.size = size;
    std::ofstream(dirText_ + entry.name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(size));
    entries_.push_back(entry);
    char text[kCrcTextSize];
    auto data = reinterpret_cast<const unsigned char*>(bytes.data());
    expected_.push_back(CrcToText(~CrcUpdateByteTable(kCrcInitialRegister, data, size), text));
  }

  std::vector<const FindEntry*> Batch() const {
    std::vector<const FindEntry*> files;
    for (const FindEntry& entry : entries_) files.push_back(&entry);
    return files;
  }

  std::string CrcOf(size_t index) {
    uint32_t value = 0;
    char text[kCrcTextSize];
    return FileCrc(run_, dirText_ + entries_[index].name, &value, text, 0, entries_[index].size);
  }

  // Waits until the helpers have opened `count` files.
  void AwaitHelperOpens(int count) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (fs_.helperOpens.load() < count && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(fs_.helperOpens.load(), count);
  }

  TempDir dir_;
  const std::string& dirText_ = dir_.Path();
  std::vector<FindEntry> entries_;
  std::vector<std::string> expected_;
  FakeSystem sys_;
  CountingFileSystem fs_;
  korven::Run run_{fs_, sys_};
};

TEST_F(CrcReadAheadTest, ResultsReadByHelpersAreTheFilesOwn) {
  for (size_t size : {size_t{0}, size_t{1}, size_t{4096}, kCrcReadChunk, kCrcReadChunk + 1, size_t{3} << 20}) {
    AddFile(size);
  }
  CrcReadAhead readAhead(run_, 2);
  ASSERT_EQ(run_.readAhead, &readAhead);
  readAhead.Begin(dirText_, Batch());
  AwaitHelperOpens(static_cast<int>(entries_.size()));
  for (size_t i = 0; i < entries_.size(); ++i) EXPECT_EQ(CrcOf(i), expected_[i]) << entries_[i].size;
  EXPECT_EQ(ReadAll(run_.message), "");
}

// The listing and the helpers race through batches; whoever reads a file,
// each result belongs to its file, also when the listing skips some.
TEST_F(CrcReadAheadTest, ListingTakesEveryResultInItsTurn) {
  for (size_t i = 0; i < 300; ++i) AddFile((i * 7919) % 20000);
  struct Case {
    unsigned helpers;
    size_t step;  // the listing asks for every step-th file
  };
  for (const Case& c : {Case{1, 1}, Case{3, 1}, Case{1, 3}, Case{3, 2}}) {
    CrcReadAhead readAhead(run_, c.helpers);
    for (int round = 0; round < 3; ++round) {
      CrcReadAheadBatch batch(run_, dirText_, Batch());
      for (size_t i = 0; i < entries_.size(); i += c.step) {
        ASSERT_EQ(CrcOf(i), expected_[i]) << "helpers " << c.helpers << " step " << c.step << " file " << i;
      }
    }
  }
  EXPECT_GT(fs_.helperOpens.load(), 0);
}

TEST_F(CrcReadAheadTest, FileGoneBeforeItsReadIsACrcError) {
  AddFile(100);
  AddFile(200);
  std::filesystem::remove(dirText_ + entries_[0].name);
  CrcReadAhead readAhead(run_, 1);
  readAhead.Begin(dirText_, Batch());
  AwaitHelperOpens(2);
  EXPECT_EQ(CrcOf(0), "CRCERROR");
  EXPECT_EQ(CrcOf(1), expected_[1]);
}

TEST_F(CrcReadAheadTest, FilesOutsideTheBatchAreReadByTheListing) {
  AddFile(10);
  AddFile(20);
  CrcReadAhead readAhead(run_, 1);
  readAhead.Begin(dirText_, {&entries_[0]});
  CrcOutcome outcome;
  EXPECT_FALSE(readAhead.Take(dirText_ + entries_[1].name, 0, &outcome));
  EXPECT_FALSE(readAhead.Take(dirText_ + entries_[0].name, 512, &outcome));
  EXPECT_EQ(CrcOf(1), expected_[1]);
}

TEST_F(CrcReadAheadTest, HelpersReadTheNamedStreamsOfARunThatListsThem) {
  AddFile(10);
  AddFile(20);
  const std::string first = dirText_ + entries_[0].name;
  if (setxattr(first.c_str(), "user.note", "hello", 5, 0) != 0) GTEST_SKIP() << "no user extended attributes here";
  run_.countingPass = 0;
  run_.volumeType = kVolumeNamedStreams;
  run_.settings.showStreams = 1;
  CrcReadAhead readAhead(run_, 1);
  readAhead.Begin(dirText_, Batch());
  AwaitHelperOpens(2);
  std::vector<StreamEntry> streams;
  StreamsRead read = StreamsRead::kHeaderUnreadable;
  EXPECT_FALSE(readAhead.TakeStreams(first, &streams, &read));  // its CRC not taken yet
  EXPECT_EQ(CrcOf(0), expected_[0]);
  ASSERT_TRUE(readAhead.TakeStreams(first, &streams, &read));
  EXPECT_EQ(read, StreamsRead::kRead);
  ASSERT_EQ(streams.size(), 1u);
  EXPECT_EQ(streams[0].name, ":note:$DATA");
  EXPECT_EQ(streams[0].size, 5u);
  EXPECT_FALSE(readAhead.TakeStreams(first, &streams, &read));  // handed over once
  EXPECT_EQ(CrcOf(1), expected_[1]);
  EXPECT_TRUE(readAhead.TakeStreams(dirText_ + entries_[1].name, &streams, &read));
  EXPECT_TRUE(streams.empty());
}

TEST_F(CrcReadAheadTest, InterruptSeenByAHelperEndsTheRunWithoutACrc) {
  AddFile(kCrcReadChunk * 2);
  sys_.interrupted = true;
  CrcReadAhead readAhead(run_, 1);
  readAhead.Begin(dirText_, Batch());
  AwaitHelperOpens(1);
  try {
    CrcOf(0);
    FAIL() << "the run went on";
  } catch (const RunEnded& ended) {
    EXPECT_EQ(ended.status, kInputFile);
  }
}

TEST_F(CrcReadAheadTest, UnregistersFromTheRunAndStartsNoHelpersWhenAskedForNone) {
  {
    CrcReadAhead readAhead(run_, 0);
    EXPECT_EQ(readAhead.helperCount(), 0u);
    EXPECT_EQ(run_.readAhead, nullptr);
  }
  {
    CrcReadAhead readAhead(run_, 2);
    EXPECT_EQ(readAhead.helperCount(), 2u);
  }
  EXPECT_EQ(run_.readAhead, nullptr);
}

TEST_F(CrcReadAheadTest, SuitsOnlyRunsThatReadEveryFileOnceUnchanged) {
  EXPECT_TRUE(ReadAheadSuits(run_));
  const std::pair<const char*, int32_t RunSettings::*> settings[] = {
      {"path names only", &RunSettings::pathNameOnly},  {"date filter", &RunSettings::dateFilterOn},
      {"size above", &RunSettings::sizeGreaterOn},      {"size below", &RunSettings::sizeLessOn},
      {"create signature", &RunSettings::createSignature}, {"verify signature", &RunSettings::verifySignature},
      {"erase signature", &RunSettings::eraseSignature},
  };
  for (const auto& [name, field] : settings) {
    korven::Run run(fs_, sys_);
    run.settings.*field = 1;
    EXPECT_FALSE(ReadAheadSuits(run)) << name;
    EXPECT_EQ(CrcReadAhead::HelpersFor(run), 0u) << name;
  }
}

}  // namespace
}  // namespace korven
