#include "crc/crc_kernels.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace korven {
namespace {

std::vector<unsigned char> RandomBytes(size_t count, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<unsigned char> bytes(count);
  for (auto& b : bytes) b = static_cast<unsigned char>(random());
  return bytes;
}

class CrcKernelTest : public testing::TestWithParam<CrcKernel> {};

TEST_P(CrcKernelTest, CheckValue) {
  const char* digits = "123456789";
  uint32_t reg = GetParam().update(0xFFFFFFFFu, reinterpret_cast<const unsigned char*>(digits), 9);
  EXPECT_EQ(~reg, 0xCBF43926u);
}

TEST_P(CrcKernelTest, MatchesByteTableAtEveryLengthUpTo1024) {
  auto data = RandomBytes(1024, 1);
  std::mt19937 random(2);
  for (size_t length = 0; length <= data.size(); ++length) {
    uint32_t start = random();
    ASSERT_EQ(GetParam().update(start, data.data(), length), CrcUpdateByteTable(start, data.data(), length))
        << "length " << length;
  }
}

TEST_P(CrcKernelTest, MatchesByteTableAtLargeLengthsAndMisalignments) {
  auto data = RandomBytes(1 << 20, 3);
  std::mt19937 random(4);
  for (int round = 0; round < 40; ++round) {
    size_t offset = random() % 64;
    size_t length = random() % (data.size() - offset);
    uint32_t start = random();
    ASSERT_EQ(GetParam().update(start, data.data() + offset, length),
              CrcUpdateByteTable(start, data.data() + offset, length))
        << "offset " << offset << " length " << length;
  }
}

TEST_P(CrcKernelTest, ChainedUpdatesMatchOneUpdate) {
  auto data = RandomBytes(70000, 5);
  uint32_t whole = CrcUpdateByteTable(0xFFFFFFFFu, data.data(), data.size());
  for (size_t split : {size_t{0}, size_t{1}, size_t{15}, size_t{16}, size_t{17}, size_t{255}, size_t{511},
                       size_t{512}, size_t{513}, size_t{4099}, size_t{60000}, data.size()}) {
    uint32_t reg = GetParam().update(0xFFFFFFFFu, data.data(), split);
    reg = GetParam().update(reg, data.data() + split, data.size() - split);
    EXPECT_EQ(reg, whole) << "split at " << split;
  }
}

TEST_P(CrcKernelTest, AllOnesAndZerosMatchByteTable) {
  for (unsigned char fill : {0x00, 0xFF}) {
    std::vector<unsigned char> data(5000, fill);
    for (uint32_t start : {0u, 0xFFFFFFFFu}) {
      EXPECT_EQ(GetParam().update(start, data.data(), data.size()),
                CrcUpdateByteTable(start, data.data(), data.size()));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Available, CrcKernelTest, testing::ValuesIn(AvailableCrcKernels().begin(), AvailableCrcKernels().end()),
                         [](const testing::TestParamInfo<CrcKernel>& info) {
                           std::string name = info.param.name;
                           for (char& c : name) {
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

TEST(CrcKernels, ReferenceComesFirstAndPortableKernelsAreAlwaysThere) {
  auto kernels = AvailableCrcKernels();
  ASSERT_GE(kernels.size(), 2u);
  EXPECT_EQ(kernels[0].update, CrcUpdateByteTable);
  EXPECT_EQ(kernels[1].update, CrcUpdateSlice16);
}

}  // namespace
}  // namespace korven
