#include "crc/file_crc.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "crc/crc_kernels.h"
#include "run/run.h"
#include "run/terminate.h"
#include "testing/memory_file_system.h"
#include "testing/test_run.h"

namespace korven {
namespace {

class FileCrcTest : public testing::Test {
 protected:
  // A fresh file of `size` random bytes, kept for the expected value.
  std::string MakeFile(size_t size) {
    std::mt19937 random(static_cast<uint32_t>(size));
    bytes_.resize(size);
    for (auto& b : bytes_) b = static_cast<unsigned char>(random());
    std::string path = "/d/file" + std::to_string(size);
    fs_.AddFile(path, std::string(bytes_.begin(), bytes_.end()));
    return path;
  }

  // The CRC of the file's bytes from `offset` on, by the reference kernel.
  uint32_t Expected(size_t offset) const {
    size_t start = offset < bytes_.size() ? offset : bytes_.size();
    return ~CrcUpdateByteTable(0xFFFFFFFFu, bytes_.data() + start, bytes_.size() - start);
  }

  // The CRC-32 value FileCrc found, or `none` when it found none.
  uint32_t CrcOf(const std::string& path, int64_t offset, char* text, uint32_t none = 0) {
    CrcOutcome outcome = FileCrc(run_, path, offset, text);
    return outcome.result == CrcRead::kDone ? outcome.value : none;
  }

  std::vector<unsigned char> bytes_;
  MemoryFileSystem fs_;
  TestRun t_{fs_};
  korven::Run& run_ = t_.run;
};

TEST_F(FileCrcTest, MatchesReferenceAcrossSizesAndOffsets) {
  struct Case {
    size_t size;
    int64_t offset;
  };
  const Case cases[] = {
      {0, 0},          {1, 0},          {59999, 0},     {60000, 0},   {60001, 0},
      {240000, 0},     {5 * 1048576 + 3, 0},            {240000, 512}, {60001, 1},
      {1000, 999},     {1048576, 100000},
      {kCrcReadChunk - 1, 0},           {kCrcReadChunk, 0},             {kCrcReadChunk + 1, 0},
      {2 * kCrcReadChunk, 7},
  };
  for (const Case& c : cases) {
    std::string path = MakeFile(c.size);
    char text[kCrcTextSize];
    const uint32_t value = CrcOf(path, c.offset, text, 0x5A5A5A5A);
    char expectedText[kCrcTextSize];
    snprintf(expectedText, sizeof expectedText, "%08X", Expected(static_cast<size_t>(c.offset)));
    EXPECT_EQ(value, Expected(static_cast<size_t>(c.offset))) << c.size << " from " << c.offset;
    EXPECT_STREQ(text, expectedText) << c.size << " from " << c.offset;
  }
  EXPECT_EQ(fs_.closes, fs_.opensForReading);
  EXPECT_EQ(fs_.fallbackOpens, 0);
  EXPECT_EQ(t_.Messages(), "");
}

TEST_F(FileCrcTest, ShortReadEndingAtTheDescribedSizeIsTheLastRead) {
  struct Case {
    size_t size;
    int64_t offset;
    int reads;
  };
  const Case cases[] = {
      {1, 0, 1},
      {60000, 0, 1},
      {kCrcReadChunk - 1, 0, 1},
      {kCrcReadChunk + 1, 0, 2},
      {1000, 999, 1},
      {3 * kCrcReadChunk + 5, 7, 3},
      // A full chunk says nothing about the end: the next read still finds it.
      {kCrcReadChunk, 0, 2},
      {2 * kCrcReadChunk, 0, 3},
      // Nothing to read: the first read already returns 0.
      {0, 0, 1},
      {100, 512, 1},
  };
  for (const Case& c : cases) {
    std::string path = MakeFile(c.size);
    fs_.reads = 0;
    char text[kCrcTextSize];
    const uint32_t value = CrcOf(path, c.offset, text);
    EXPECT_EQ(value, Expected(static_cast<size_t>(c.offset))) << c.size << " from " << c.offset;
    EXPECT_EQ(fs_.reads, c.reads) << c.size << " from " << c.offset;
  }
  EXPECT_EQ(fs_.closes, fs_.opensForReading);
}

TEST_F(FileCrcTest, FileThatChangesLengthWhileReadIsReadToItsEnd) {
  // A short read that ends anywhere but at the described size is not taken
  // for the end: a file that grew or shrank after it was described.
  std::string path = MakeFile(5000);
  const uint64_t describedSizes[] = {100, 4999, 0, 6000};
  for (uint64_t described : describedSizes) {
    fs_.SetReportedSize(path, described);
    fs_.reads = 0;
    char text[kCrcTextSize];
    EXPECT_EQ(CrcOf(path, 0, text), Expected(0)) << described;
    EXPECT_EQ(fs_.reads, 2) << described;
  }
}

TEST_F(FileCrcTest, ShortReadsBeforeTheDescribedSizeGoOn) {
  // Reads that return less than asked without being at the end, as a pipe's do.
  std::string path = MakeFile(250000);
  fs_.readLimit = 100000;
  char text[kCrcTextSize];
  EXPECT_EQ(CrcOf(path, 0, text), Expected(0));
  EXPECT_EQ(fs_.reads, 3);
}

TEST_F(FileCrcTest, OutcomeDescribesTheFileRead) {
  std::string path = MakeFile(4321);
  char text[kCrcTextSize];
  CrcOutcome outcome = FileCrc(run_, path, 0, text);
  EXPECT_EQ(outcome.file.size, 4321u);
  EXPECT_EQ(outcome.file.name, "file4321");
  EXPECT_TRUE(outcome.file.id.Known());
  // What the path opens must be a file: a directory is no file to list.
  fs_.AddDirectory("/d/sub");
  EXPECT_EQ(FileCrc(run_, "/d/sub", 0, text).result, CrcRead::kNotAFile);
  EXPECT_EQ(fs_.closes, fs_.opensForReading);
}

TEST_F(FileCrcTest, OffsetAtOrPastTheEndGivesZero) {
  const size_t sizes[] = {0, 512, 100};
  for (size_t size : sizes) {
    std::string path = MakeFile(size);
    char text[kCrcTextSize];
    EXPECT_EQ(CrcOf(path, 512, text, 0x5A5A5A5A), 0u) << size;
    EXPECT_STREQ(text, "00000000") << size;
  }
}

TEST_F(FileCrcTest, UnopenablePathGivesCrcError) {
  char text[kCrcTextSize];
  EXPECT_EQ(FileCrc(run_, "/d/missing", 0, text).result, CrcRead::kCannotOpen);
  EXPECT_STREQ(text, "CRCERROR");
  EXPECT_EQ(fs_.opensForReading, 1);
  EXPECT_EQ(fs_.fallbackOpens, 1);
  EXPECT_EQ(fs_.closes, 0);
}

TEST_F(FileCrcTest, ReadErrorMidFileGivesCrcErrorAndMessage) {
  std::string path = MakeFile(kCrcReadChunk + 200000);
  fs_.readsBeforeError = 1;
  char text[kCrcTextSize];
  EXPECT_EQ(FileCrc(run_, path, 0, text).result, CrcRead::kReadError);
  EXPECT_STREQ(text, "CRCERROR");
  EXPECT_NE(t_.Messages().find(path), std::string::npos);
  EXPECT_EQ(fs_.closes, 1);
}

TEST_F(FileCrcTest, FallbackOpenAppliesTheOffset) {
  std::string path = MakeFile(70000);
  fs_.failOpenForReading.insert(path);
  char text[kCrcTextSize];
  const uint32_t value = CrcOf(path, 512, text);
  EXPECT_EQ(fs_.fallbackOpens, 1);
  EXPECT_EQ(value, Expected(512));
  EXPECT_NE(value, Expected(0));
  EXPECT_EQ(fs_.closes, 1);
}

TEST_F(FileCrcTest, InterruptBetweenChunksEndsTheRunAndClosesTheFile) {
  std::string path = MakeFile(kCrcReadChunk + 200000);
  t_.sys.interrupted = true;
  char text[kCrcTextSize];
  try {
    FileCrc(run_, path, 0, text);
    FAIL() << "the run went on";
  } catch (const RunEnded& ended) {
    EXPECT_EQ(ended.status, kInputFile);
  }
  EXPECT_EQ(fs_.closes, 1);
}

TEST_F(FileCrcTest, ReadBufferIsAllocatedOnceForTheRun) {
  std::string path = MakeFile(10);
  char text[kCrcTextSize];
  FileCrc(run_, path, 0, text);
  const unsigned char* first = run_.readBuffer.get();
  ASSERT_NE(first, nullptr);
  FileCrc(run_, path, 0, text);
  EXPECT_EQ(run_.readBuffer.get(), first);
}

}  // namespace
}  // namespace korven
