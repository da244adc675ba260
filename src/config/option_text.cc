#include "config/option_text.h"

#include "text/text.h"

namespace korven {

bool ParseNumber(const std::string& text, int64_t low, int64_t high, int64_t* value) {
  if (text.empty()) return false;
  int64_t number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    int digit = c - '0';
    // Refuse before the multiplication could overflow.
    if (number > (high - digit) / 10) return false;
    number = number * 10 + digit;
  }
  if (number < low || number > high) return false;
  *value = number;
  return true;
}

bool ParseOnOff(const std::string& text, bool* on) {
  static const char* const kOn[] = {"1", "on", "yes", "true"};
  static const char* const kOff[] = {"0", "off", "no", "false"};
  for (const char* word : kOn) {
    if (EqualsIgnoreCase(text, word)) return *on = true;
  }
  for (const char* word : kOff) {
    if (EqualsIgnoreCase(text, word)) {
      *on = false;
      return true;
    }
  }
  return false;
}

}  // namespace korven
