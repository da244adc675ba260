// ASCII letter case, the one case that names and option words are folded
// in: bytes outside a-z are left as they are.
#ifndef KORVEN_PLATFORM_ASCII_H_
#define KORVEN_PLATFORM_ASCII_H_

#include <string>

namespace korven {

constexpr char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

inline std::string UpperAscii(std::string text) {
  for (char& c : text) c = UpperAscii(c);
  return text;
}

}  // namespace korven

#endif  // KORVEN_PLATFORM_ASCII_H_
