#include "config/option_text.h"

#include <cstdarg>
#include <cstdio>

#include "platform/ascii.h"

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

bool EqualsIgnoreCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && UpperAscii(a) == UpperAscii(b);
}

std::string Trim(const std::string& text, const char* characters) {
  size_t first = text.find_first_not_of(characters);
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(characters) - first + 1);
}

std::string TrimNewlines(const std::string& text) { return Trim(text, "\n"); }

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int length = vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  if (length > 0) vsnprintf(text.data(), text.size() + 1, format, again);
  va_end(again);
  return text;
}

}  // namespace korven
