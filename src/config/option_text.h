// Reading option values: strict numbers and switch words.
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

}  // namespace korven

#endif  // KORVEN_CONFIG_OPTION_TEXT_H_
