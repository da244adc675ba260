#include "text/field_text.h"

#include <cinttypes>
#include <cstdio>
#include <limits>

#include <gtest/gtest.h>

namespace korven {
namespace {

// printf is the reference: the fields must read exactly as it writes them.
TEST(FieldText, NumbersReadAsPrintfWritesThem) {
  const int64_t values[] = {0, 7, -7, 42, 999999999, 1000000000, 9999999999, 12345678901, -123456789,
                            -1234567890, std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::min()};
  for (int64_t value : values) {
    for (int width : {0, 1, 10, 11, 25}) {
      char expected[64];
      std::string got;
      snprintf(expected, sizeof expected, "%*" PRId64, width, value);
      AppendRightAligned(&got, value, width);
      EXPECT_EQ(got, expected) << value << " width " << width;
      got.clear();
      snprintf(expected, sizeof expected, "% *" PRId64, width, value);
      AppendRightAligned(&got, value, width, true);
      EXPECT_EQ(got, expected) << value << " width " << width << " blank sign";
    }
  }
  for (int value : {0, 5, 12, 59, 1601, 30828, 123456, -5, -123, std::numeric_limits<int>::min()}) {
    for (int width : {0, 2, 4}) {
      char expected[64];
      std::string got = "x";
      snprintf(expected, sizeof expected, "x%0*d", width, value);
      AppendZeroPadded(&got, value, width);
      EXPECT_EQ(got, expected) << value << " width " << width;
    }
  }
}

TEST(FieldText, TextIsPaddedAndCutAsPrintfDoes) {
  for (const char* text : {"", "A", "C:\\DIR\\FILE.TXT", "exactly12chr"}) {
    for (int width : {0, 3, 12, 20}) {
      char expected[64];
      std::string got;
      snprintf(expected, sizeof expected, "%-*.*s|", width, width, text);
      AppendLeftAligned(&got, text, width, true);
      EXPECT_EQ(got + "|", expected) << text << " width " << width;
      got.clear();
      snprintf(expected, sizeof expected, "%-*s|", width, text);
      AppendLeftAligned(&got, text, width, false);
      EXPECT_EQ(got + "|", expected) << text << " width " << width;
    }
  }
}

}  // namespace
}  // namespace korven
