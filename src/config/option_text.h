// Reading option values: strict numbers, switch words, ASCII case, messages.
#ifndef KORVEN_CONFIG_OPTION_TEXT_H_
#define KORVEN_CONFIG_OPTION_TEXT_H_

#include <cstdint>
#include <string>

namespace korven {

// A decimal number made of digits only, within [low, high]. False for
// anything else (signs, blanks, letters, overflow, empty text).
bool ParseNumber(const std::string& text, int64_t low, int64_t high, int64_t* value);

// "1", "on", "yes", "true" / "0", "off", "no", "false", in any case.
bool ParseOnOff(const std::string& text, bool* on);

// Equal but for the case of ASCII letters.
bool EqualsIgnoreCase(const std::string& a, const std::string& b);

// The text without any of `characters` at either end.
std::string Trim(const std::string& text, const char* characters);
// The text without the newlines around it, for messages quoted in a line.
std::string TrimNewlines(const std::string& text);

// printf into a std::string, for the messages that refuse a value and the
// fields of an expanded name template.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace korven

#endif  // KORVEN_CONFIG_OPTION_TEXT_H_
