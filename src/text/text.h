// Small text helpers every layer may use: ASCII case, trimming, printf into
// a string.
#ifndef KORVEN_TEXT_TEXT_H_
#define KORVEN_TEXT_TEXT_H_

#include <string>

namespace korven {

// ASCII letter case, the one case that names and option words are folded
// in: bytes outside a-z are left as they are.
constexpr char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

inline std::string UpperAscii(std::string text) {
  for (char& c : text) c = UpperAscii(c);
  return text;
}

// A byte that a printed name shows as '?'.
constexpr bool IsControlCharacter(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return u < 0x20 || u == 0x7F;
}
// `text` with each control character shown as '?', kept in `buffer`: a name
// written to the listing or the terminal stays on its line and can't steer
// the terminal.
const char* Showable(const std::string& text, std::string* buffer);
// The same, as a text of its own.
std::string Shown(std::string text);

// Equal but for the case of ASCII letters.
bool EqualsIgnoreCase(const std::string& a, const std::string& b);

// The text without any of `characters` at either end.
std::string Trim(const std::string& text, const char* characters);
// The text without the newlines around it, for messages quoted in a line.
std::string TrimNewlines(const std::string& text);

// printf into a std::string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
// printf at the end of `out`; returns the characters added.
int AppendFormat(std::string* out, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace korven

#endif  // KORVEN_TEXT_TEXT_H_
