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
    uint32_t value = 0x5A5A5A5A;
    char text[kCrcTextSize];
    EXPECT_EQ(FileCrc(run_, path, &value, text, c.offset), text);
    char expectedText[kCrcTextSize];
    snprintf(expectedText, sizeof expectedText, "%08X", Expected(static_cast<size_t>(c.offset)));
    EXPECT_EQ(value, Expected(static_cast<size_t>(c.offset))) << c.size << " from " << c.offset;
    EXPECT_STREQ(text, expectedText) << c.size << " from " << c.offset;
  }
  EXPECT_EQ(fs_.closes, fs_.opensForReading);
  EXPECT_EQ(fs_.fallbackOpens, 0);
  EXPECT_EQ(t_.Messages(), "");
}

TEST_F(FileCrcTest, ShortReadEndingAtTheExpectedSizeIsTheLastRead) {
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
    uint32_t value = 0;
    char text[kCrcTextSize];
    FileCrc(run_, path, &value, text, c.offset, c.size);
    EXPECT_EQ(value, Expected(static_cast<size_t>(c.offset))) << c.size << " from " << c.offset;
    EXPECT_EQ(fs_.reads, c.reads) << c.size << " from " << c.offset;
  }
  EXPECT_EQ(fs_.closes, fs_.opensForReading);
}

TEST_F(FileCrcTest, FileLongerThanExpectedIsReadToItsEnd) {
  // The file grew after the directory search: a short read that goes past the
  // expected size is not taken for the end.
  std::string path = MakeFile(5000);
  const uint64_t expectedSizes[] = {100, 4999, 0};
  for (uint64_t expected : expectedSizes) {
    fs_.reads = 0;
    uint32_t value = 0;
    char text[kCrcTextSize];
    FileCrc(run_, path, &value, text, 0, expected);
    EXPECT_EQ(value, Expected(0)) << expected;
    EXPECT_EQ(fs_.reads, 2) << expected;
  }
}

TEST_F(FileCrcTest, FileShorterThanExpectedIsReadToItsEnd) {
  std::string path = MakeFile(5000);
  fs_.reads = 0;
  uint32_t value = 0;
  char text[kCrcTextSize];
  FileCrc(run_, path, &value, text, 0, 6000);
  EXPECT_EQ(value, Expected(0));
  EXPECT_EQ(fs_.reads, 2);
}

TEST_F(FileCrcTest, ShortReadsBeforeTheExpectedSizeGoOn) {
  // Reads that return less than asked without being at the end, as a pipe's do.
  std::string path = MakeFile(250000);
  fs_.readLimit = 100000;
  uint32_t value = 0;
  char text[kCrcTextSize];
  FileCrc(run_, path, &value, text, 0, 250000);
  EXPECT_EQ(value, Expected(0));
  EXPECT_EQ(fs_.reads, 3);

  fs_.reads = 0;
  value = 0;
  FileCrc(run_, path, &value, text, 0);
  EXPECT_EQ(value, Expected(0));
  EXPECT_EQ(fs_.reads, 4);
}

TEST_F(FileCrcTest, WithoutAnExpectedSizeOnlyAnEmptyReadEndsTheFile) {
  std::string path = MakeFile(60000);
  uint32_t value = 0;
  char text[kCrcTextSize];
  FileCrc(run_, path, &value, text, 0);
  EXPECT_EQ(value, Expected(0));
  EXPECT_EQ(fs_.reads, 2);
}

TEST_F(FileCrcTest, OffsetAtOrPastTheEndGivesZero) {
  const size_t sizes[] = {0, 512, 100};
  for (size_t size : sizes) {
    std::string path = MakeFile(size);
    uint32_t value = 0x5A5A5A5A;
    char text[kCrcTextSize];
    FileCrc(run_, path, &value, text, 512);
    EXPECT_EQ(value, 0u) << size;
    EXPECT_STREQ(text, "00000000") << size;
  }
}

TEST_F(FileCrcTest, UnopenablePathGivesCrcErrorAndLeavesValue) {
  uint32_t value = 0x12345678;
  char text[kCrcTextSize];
  EXPECT_STREQ(FileCrc(run_, "/d/missing", &value, text, 0), "CRCERROR");
  EXPECT_EQ(value, 0x12345678u);
  EXPECT_EQ(fs_.opensForReading, 1);
  EXPECT_EQ(fs_.fallbackOpens, 1);
  EXPECT_EQ(fs_.closes, 0);
}

TEST_F(FileCrcTest, ReadErrorMidFileGivesCrcErrorAndMessage) {
  std::string path = MakeFile(kCrcReadChunk + 200000);
  fs_.readsBeforeError = 1;
  uint32_t value = 0x12345678;
  char text[kCrcTextSize];
  EXPECT_STREQ(FileCrc(run_, path, &value, text, 0), "CRCERROR");
  EXPECT_EQ(value, 0x12345678u);
  EXPECT_NE(t_.Messages().find(path), std::string::npos);
  EXPECT_EQ(fs_.closes, 1);
}

TEST_F(FileCrcTest, FallbackOpenAppliesTheOffset) {
  std::string path = MakeFile(70000);
  fs_.failOpenForReading.insert(path);
  uint32_t value = 0;
  char text[kCrcTextSize];
  FileCrc(run_, path, &value, text, 512);
  EXPECT_EQ(fs_.fallbackOpens, 1);
  EXPECT_EQ(value, Expected(512));
  EXPECT_NE(value, Expected(0));
  EXPECT_EQ(fs_.closes, 1);
}

TEST_F(FileCrcTest, InterruptBetweenChunksEndsTheRunAndClosesTheFile) {
  std::string path = MakeFile(kCrcReadChunk + 200000);
  t_.sys.interrupted = true;
  uint32_t value = 0x12345678;
  char text[kCrcTextSize];
  try {
    FileCrc(run_, path, &value, text, 0);
    FAIL() << "the run went on";
  } catch (const RunEnded& ended) {
    EXPECT_EQ(ended.status, kInputFile);
  }
  EXPECT_EQ(value, 0x12345678u);
  EXPECT_EQ(fs_.closes, 1);
}

TEST_F(FileCrcTest, ReadBufferIsAllocatedOnceForTheRun) {
  std::string path = MakeFile(10);
  uint32_t value;
  char text[kCrcTextSize];
  FileCrc(run_, path, &value, text, 0);
  const unsigned char* first = run_.readBuffer.get();
  ASSERT_NE(first, nullptr);
  FileCrc(run_, path, &value, text, 0);
  EXPECT_EQ(run_.readBuffer.get(), first);
}

}  // namespace
}  // namespace korven
