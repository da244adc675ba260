#include "text/text.h"

#include <gtest/gtest.h>

namespace korven {
namespace {

TEST(TextTest, OnlyLettersAToZChange) {
  EXPECT_EQ(UpperAscii('a'), 'A');
  EXPECT_EQ(UpperAscii('z'), 'Z');
  EXPECT_EQ(UpperAscii('A'), 'A');
  EXPECT_EQ(UpperAscii('`'), '`');
  EXPECT_EQ(UpperAscii('{'), '{');
  EXPECT_EQ(UpperAscii('\xe4'), '\xe4');
  EXPECT_EQ(UpperAscii(std::string("dir/File.txt\xe4")), "DIR/FILE.TXT\xe4");
  EXPECT_EQ(UpperAscii(std::string()), "");
}

TEST(TextTest, CaseNewlinesAndFormat) {
  EXPECT_TRUE(EqualsIgnoreCase("Korven.INI", "korven.ini"));
  EXPECT_FALSE(EqualsIgnoreCase("korven.ini", "korven.in"));
  EXPECT_EQ(TrimNewlines("\n\nabc\nd\n"), "abc\nd");
  EXPECT_EQ(TrimNewlines("\n\n"), "");
  EXPECT_EQ(TrimNewlines(" \nabc\n "), " \nabc\n ");
  EXPECT_EQ(Trim(" \t key = value\r\n", " \t\r\n"), "key = value");
  EXPECT_EQ(Trim(" \t\r\n", " \t\r\n"), "");
  EXPECT_EQ(Trim("", " "), "");
  EXPECT_EQ(Format("%s=%d", "w", 40), "w=40");
  EXPECT_EQ(Format("%s", std::string(3000, 'x').c_str()).size(), 3000u);
}

}  // namespace
}  // namespace korven
