#include "text/text.h"

#include <cstdarg>
#include <cstdio>

namespace korven {

const char* Showable(const std::string& text, std::string* buffer) {
  buffer->assign(text);
  for (char& c : *buffer) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) c = '?';
  }
  return buffer->c_str();
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
