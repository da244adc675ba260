#include "config/option_text.h"

#include <gtest/gtest.h>

#include <cstdint>


namespace korven {
namespace {

TEST(ParseNumberTest, DigitsOnlyWithinBounds) {
  struct Case {
    const char* text;
    int64_t low;
    int64_t high;
    bool ok;
    int64_t value;
  } cases[] = {
      {"0", 0, 10, true, 0},
      {"10", 0, 10, true, 10},
      {"11", 0, 10, false, 0},
      {"007", 0, 10, true, 7},
      {"", 0, 10, false, 0},
      {"-1", -5, 10, false, 0},
      {"+1", 0, 10, false, 0},
      {" 1", 0, 10, false, 0},
      {"1x", 0, 10, false, 0},
      {"0", 1, 10, false, 0},
      {"9223372036854775807", 0, INT64_MAX, true, INT64_MAX},
      {"9223372036854775808", 0, INT64_MAX, false, 0},
      {"99999999999999999999999", 0, INT64_MAX, false, 0},
  };
  for (const Case& c : cases) {
    int64_t value = -42;
    EXPECT_EQ(ParseNumber(c.text, c.low, c.high, &value), c.ok) << c.text;
    EXPECT_EQ(value, c.ok ? c.value : -42) << c.text;
  }
}

TEST(ParseOnOffTest, WordsInAnyCase) {
  struct Case {
    const char* text;
    bool ok;
    bool on;
  } cases[] = {
      {"1", true, true},    {"ON", true, true},   {"Yes", true, true}, {"true", true, true},
      {"0", true, false},   {"off", true, false}, {"NO", true, false}, {"False", true, false},
      {"", false, false},   {"2", false, false},  {"onn", false, false},
  };
  for (const Case& c : cases) {
    bool on = !c.on;
    EXPECT_EQ(ParseOnOff(c.text, &on), c.ok) << c.text;
    EXPECT_EQ(on, c.ok ? c.on : !c.on) << c.text;
  }
}

}  // namespace
}  // namespace korven
