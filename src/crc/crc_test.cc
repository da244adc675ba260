#include "crc/crc.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "crc/crc_kernels.h"

namespace korven {
namespace {

TEST(CrcUpdate, CheckValueWithoutComplement) {
  const char* digits = "123456789";
  EXPECT_EQ(CrcUpdate(kCrcInitialRegister, reinterpret_cast<const unsigned char*>(digits), 9), ~0xCBF43926u);
  EXPECT_EQ(CrcUpdate(0x12345678u, nullptr, 0), 0x12345678u);
}

TEST(CrcUpdate, UsesTheLastListedKernel) {
  std::vector<unsigned char> data(3000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i * 7);
  EXPECT_EQ(CrcUpdate(1, data.data(), data.size()), AvailableCrcKernels().back().update(1, data.data(), data.size()));
  EXPECT_EQ(CrcUpdate(1, data.data(), data.size()), CrcUpdateByteTable(1, data.data(), data.size()));
}

TEST(CrcToText, EightUppercaseZeroPaddedDigits) {
  struct Case {
    uint32_t value;
    const char* text;
  };
  const Case cases[] = {
      {0x0000ABCDu, "0000ABCD"}, {0u, "00000000"}, {0xFFFFFFFFu, "FFFFFFFF"},
      {0xCBF43926u, "CBF43926"}, {0x10000000u, "10000000"}, {0x00000001u, "00000001"},
  };
  for (const Case& c : cases) {
    char text[kCrcTextSize];
    memset(text, 'x', sizeof text);
    EXPECT_EQ(CrcToText(c.value, text), text);
    EXPECT_STREQ(text, c.text);
  }
}

}  // namespace
}  // namespace korven
