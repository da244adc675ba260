#include "platform/ascii.h"

#include <gtest/gtest.h>

namespace korven {
namespace {

TEST(AsciiTest, OnlyLettersAToZChange) {
  EXPECT_EQ(UpperAscii('a'), 'A');
  EXPECT_EQ(UpperAscii('z'), 'Z');
  EXPECT_EQ(UpperAscii('A'), 'A');
  EXPECT_EQ(UpperAscii('`'), '`');
  EXPECT_EQ(UpperAscii('{'), '{');
  EXPECT_EQ(UpperAscii('\xe4'), '\xe4');
  EXPECT_EQ(UpperAscii(std::string("dir/File.txt\xe4")), "DIR/FILE.TXT\xe4");
  EXPECT_EQ(UpperAscii(std::string()), "");
}

}  // namespace
}  // namespace korven
