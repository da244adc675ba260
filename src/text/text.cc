#include "text/text.h"

#include <cstdarg>
#include <cstdio>

namespace korven {

bool EqualsIgnoreCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && UpperAscii(a) == UpperAscii(b);
}

namespace {

void ShowControls(std::string& text) {
  for (char& c : text) {
    if (IsControlCharacter(c)) c = '?';
  }
}

}  // namespace

const char* Showable(const std::string& text, std::string* buffer) {
  buffer->assign(text);
  ShowControls(*buffer);
  return buffer->c_str();
}

std::string Shown(std::string text) {
  ShowControls(text);
  return text;
}

std::string Trim(const std::string& text, const char* characters) {
  size_t first = text.find_first_not_of(characters);
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(characters) - first + 1);
}

std::string TrimNewlines(const std::string& text) { return Trim(text, "\n"); }

namespace {

// Short texts, such as a record's fields, are formatted without a second pass.
int AppendFormatList(std::string* out, const char* format, va_list args) {
  va_list again;
  va_copy(again, args);
  char text[128];
  int length = vsnprintf(text, sizeof text, format, args);
  if (length > 0 && static_cast<size_t>(length) < sizeof text) {
    out->append(text, static_cast<size_t>(length));
  } else if (length > 0) {
    const size_t start = out->size();
    out->resize(start + static_cast<size_t>(length));
    vsnprintf(out->data() + start, static_cast<size_t>(length) + 1, format, again);
  }
  va_end(again);
  return length > 0 ? length : 0;
}

}  // namespace

std::string Format(const char* format, ...) {
  std::string text;
  va_list args;
  va_start(args, format);
  AppendFormatList(&text, format, args);
  va_end(args);
  return text;
}

int AppendFormat(std::string* out, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int length = AppendFormatList(out, format, args);
  va_end(args);
  return length;
}

}  // namespace korven
